#pragma once

#include "core/ErrorReport.h"
#include "core/RowTexts.h"
#include "core/ScanSettings.h"
#include "core/Texts.h"
#include "support/ScriptedDialogs.h"
#include "support/TestDir.h"
#include "ui/MainWindow.h"
#include "ui/ResultsModel.h"

#include <QAbstractItemModel>
#include <QStandardPaths>
#include <QStringList>
#include <QTest>
#include <QTreeView>

#include <memory>

namespace nw::test {

// The named child of the window; fails the test when it is missing.
template <typename T> T* child(const QObject& window, const QString& name) {
    T* found = window.findChild<T*>(name);
    if (!found)
        qFatal("no child %s of the expected type", qPrintable(name));
    return found;
}

// The files of rows made by hand, which every window of makeWindow() reads its rows from.
struct HandFiles {
    std::shared_ptr<FileList> list = std::make_shared<FileList>();
    std::shared_ptr<RowFiles> rows = std::make_shared<RowFiles>(RowFiles{list, {}});
    // size: as the list shows it, in the locale in use.
    int add(const QString& path, const QString& size) {
        list->append(path);
        rows->sizes.push_back(qRound64(parseKilobyteText(size) * 1000));
        return int(list->size()) - 1;
    }
};
inline HandFiles& handFiles() {
    static HandFiles files;
    return files;
}

// Options of a window whose qvx.ini lies in a temporary folder and whose start folder is given;
// whatever else the window keeps goes to the test locations, not the user's.
inline WindowOptions windowOptions(const TestDir& config, const QString& startFolder,
                                   VolumeSource volumes = {}) {
    QStandardPaths::setTestModeEnabled(true);
    WindowOptions options;
    options.favouritesFile = config.file(QStringLiteral("qvx.ini"));
    options.startFolder = startFolder;
    options.volumes = std::move(volumes);
    return options;
}

inline std::unique_ptr<MainWindow> makeWindow(const TestDir& config, const QString& startFolder,
                                              VolumeSource volumes = {}) {
    auto window =
        std::make_unique<MainWindow>(windowOptions(config, startFolder, std::move(volumes)));
    window->results()->setFiles(handFiles().rows);
    return window;
}

// A row as the scan builds it; folders are folder texts, sizes as shown.
inline ResultRow pairRow(const QString& name1, const QString& size1, const QString& folder1,
                         const QString& name2, const QString& size2, const QString& folder2) {
    const int one = handFiles().add(folder1 + name1, size1);
    return {one, handFiles().add(folder2 + name2, size2), 9, 0, 0};
}

// The window's rows from the top, cells joined by "|".
inline QStringList shownRows(const MainWindow& window) {
    QStringList rows;
    const QAbstractItemModel* model = child<QTreeView>(window, "FListView")->model();
    for (int r = 0; r < model->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < ColumnCount; ++c)
            cells << model->index(r, c).data().toString();
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

// Presses a mouse button over the list: over row `row` (from 0), or below the rows when -1.
inline void pressList(const MainWindow& window, int row, Qt::MouseButton button) {
    auto* list = child<QTreeView>(window, "FListView");
    QPoint at(10, list->viewport()->height() - 3);
    if (row >= 0)
        at = list->visualRect(list->model()->index(row, 0)).center();
    QTest::mousePress(list->viewport(), button, {}, at);
    QTest::mouseRelease(list->viewport(), button, {}, at);
}

} // namespace nw::test
