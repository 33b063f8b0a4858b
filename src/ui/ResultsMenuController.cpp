#include "ui/ResultsMenuController.h"
#include "core/ErrorReport.h"
#include "core/ScanLog.h"
#include "core/Texts.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "ui/ChooseFolder.h"
#include "ui/Handled.h"
#include "ui/ResultsModel.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QTreeView>

namespace nw {

namespace {
const QString Module = QStringLiteral("frmMain");

QLatin1String prefix(FileAction action) {
    switch (action) {
    case FileAction::OpenFolder:
        return QLatin1String("Open: ");
    case FileAction::Delete:
        return QLatin1String("Delete: ");
    case FileAction::Move:
        return QLatin1String("Move: ");
    }
    return {};
}

// Menu texts take "&" as a mnemonic mark; a file name shows it as it is.
QString menuText(const QString& caption) {
    QString text = caption;
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}
} // namespace

ResultsMenuController::ResultsMenuController(const Controls& controls,
                                             std::function<QString()> scanPath, QObject* parent)
    : QObject(parent)
    , controls_(controls)
    , scanPath_(std::move(scanPath)) {
    QHeaderView* header = controls_.list->header();
    connect(header, &QHeaderView::sectionClicked, this,
            [this](int column) { columnClick(column + 1); });
    connect(controls_.results, &ResultsModel::sortChanged, header,
            [header](int column, Qt::SortOrder order) {
                if (column >= 0)
                    header->setSortIndicator(column, order);
                header->setSortIndicatorShown(column >= 0);
            });
    controls_.list->viewport()->installEventFilter(this);
    for (const PairSide side : {PairSide::Larger, PairSide::Smaller}) {
        for (const FileAction action :
             {FileAction::OpenFolder, FileAction::Delete, FileAction::Move})
            connect(controls_.fileItems[size_t(side)][size_t(action)], &QAction::triggered, this,
                    [this, side, action] { fileActionClick(side, action); });
    }
    connect(controls_.remove, &QAction::triggered, this, &ResultsMenuController::removeClick);
    connect(controls_.openLog, &QAction::triggered, this, [this] {
        handled("OpenLogText", [&] { openDocument(logPath(scanPath_(), QStringLiteral("Log"))); });
    });
}

void ResultsMenuController::showFileMenus(bool shown) {
    for (QMenu* menu : controls_.fileMenus)
        menu->menuAction()->setVisible(shown);
}

bool ResultsMenuController::eventFilter(QObject* watched, QEvent* event) {
    // The type first: the list may be half destroyed when its viewport's last events come.
    if (event->type() == QEvent::MouseButtonPress && watched == controls_.list->viewport())
        return listPress(static_cast<QMouseEvent*>(event));
    return QObject::eventFilter(watched, event);
}

// The name or folder after the item's prefix. Only the leading prefix goes: the same text may
// stand in the name itself.
QString ResultsMenuController::FileItem::target(FileAction action) const {
    return caption.startsWith(prefix(action)) ? caption.mid(prefix(action).size()) : QString();
}

void ResultsMenuController::columnClick(int index) {
    handled("FListView_ColumnClick", [&] {
        // First by File One, so rows equal in the clicked column stand in File One order.
        controls_.results->sort(ColFile1, Qt::AscendingOrder);
        controls_.results->sort(index - 1, Qt::AscendingOrder);
    });
}

int ResultsMenuController::selectedRow() const {
    const QModelIndexList selected = controls_.list->selectionModel()->selectedRows();
    return selected.isEmpty() ? 0 : selected.first().row() + 1;
}

bool ResultsMenuController::listPress(QMouseEvent* event) {
    // A press selects the row under it before the menu is prepared; a press beside the rows
    // keeps the selection, so the menu still describes the selected pair.
    const QModelIndex at = controls_.list->indexAt(event->position().toPoint());
    if (at.isValid())
        controls_.list->setCurrentIndex(at);
    listMouseDown(event->button(), event->globalPosition().toPoint());
    return !at.isValid() || event->button() == Qt::RightButton;
}

void ResultsMenuController::listMouseDown(Qt::MouseButton button, const QPoint& globalPos) {
    handled("FListView_MouseDown", [&] {
        const ResultsModel& results = *controls_.results;
        if (results.rowCount() == 0)
            return;
        const QString procedure = QStringLiteral("FListView_MouseDown");
        const int row = selectedRow();
        if (row == 0) {
            ReportError(Module, procedure, ErrorInfo::make(ErrObjectNotSet));
            return;
        }
        bool ok2 = false;
        bool ok1 = false;
        const double size2 = parseKilobyteText(results.cell(row, ColFSize2), &ok2);
        const double size1 = parseKilobyteText(results.cell(row, ColFSize1), &ok1);
        if (!ok1 || !ok2) {
            ReportError(
                Module, procedure,
                ErrorInfo::make(ErrTypeMismatch, results.cell(row, ok1 ? ColFSize2 : ColFSize1)));
            return;
        }
        // Equal sizes count file two as the larger.
        const bool twoLarger = size2 >= size1;
        const QString one[] = {results.cell(row, ColFPath1), results.cell(row, ColFile1)};
        const QString two[] = {results.cell(row, ColFPath2), results.cell(row, ColFile2)};
        prepareItems(PairSide::Larger, twoLarger ? two[0] : one[0], twoLarger ? two[1] : one[1]);
        prepareItems(PairSide::Smaller, twoLarger ? one[0] : two[0], twoLarger ? one[1] : two[1]);
        if (button == Qt::RightButton)
            controls_.menu->popup(globalPos);
    });
}

void ResultsMenuController::prepareItems(PairSide side, const QString& folder,
                                         const QString& name) {
    auto& items = items_[size_t(side)];
    items[size_t(FileAction::OpenFolder)] = {prefix(FileAction::OpenFolder) + folder, {}};
    items[size_t(FileAction::Delete)] = {prefix(FileAction::Delete) + name, folder + name};
    items[size_t(FileAction::Move)] = {prefix(FileAction::Move) + name, folder + name};
    for (size_t action = 0; action < items.size(); ++action) {
        QAction* item = controls_.fileItems[size_t(side)][action];
        item->setText(menuText(items[action].caption));
        item->setVisible(true);
    }
}

void ResultsMenuController::fileActionClick(PairSide side, FileAction action) {
    const char* procedure = side == PairSide::Larger ? "mnuOption1_Click" : "mnuOption2_Click";
    handled(procedure, [&] {
        // A copy: the dialogs below let events run, and a press on the list prepares the items
        // anew.
        const FileItem item = items_[size_t(side)][size_t(action)];
        if (item.caption.isEmpty())
            return;
        if (action == FileAction::OpenFolder) {
            exploreFolder(item.target(action));
            return;
        }
        const QString name = item.target(action);

        if (action == FileAction::Delete) {
            const MessageAnswer answer =
                showMessage(QStringLiteral("Confirmation"),
                            QStringLiteral("Are you sure you want to delete\n") + item.caption +
                                QLatin1Char('?'),
                            MessageButtons::YesNo, MessageIcon::None, MessageAnswer::Yes);
            if (answer == MessageAnswer::Yes && fs::fileExists(item.tag)) {
                if (const ErrorInfo error = fs::deleteFile(item.tag)) {
                    ReportError(Module, QString::fromLatin1(procedure), error);
                    return;
                }
                removeSelectedRow();
            }
            sweepRowsNaming(name);
            return;
        }

        if (fs::fileExists(item.tag)) {
            const QString chosen = chooseFolder(
                true, QStringLiteral("Move ''") + name + QStringLiteral("'' to:"), scanPath_());
            // Cancelled: no folder, so nothing may move.
            if (chosen.isEmpty())
                return;
            // Never overwrites; a failed move leaves the file where it was.
            if (const ErrorInfo error = fs::moveFile(item.tag, fs::folderText(chosen))) {
                ReportError(Module, QString::fromLatin1(procedure), error);
                return;
            }
            removeSelectedRow();
        }
        sweepRowsNaming(name);
    });
}

void ResultsMenuController::removeClick() {
    handled("mnuRemove_Click", [&] {
        const int row = selectedRow();
        if (row == 0) {
            ReportError(Module, QStringLiteral("mnuRemove_Click"),
                        ErrorInfo::make(ErrObjectNotSet));
            return;
        }
        const QString name = controls_.results->cell(row, ColFile1);
        const MessageAnswer answer = showMessage(
            QStringLiteral("Remove"),
            QStringLiteral("Are you sure you want to remove\n''") + name + QStringLiteral("''?"),
            MessageButtons::YesNo, MessageIcon::Critical, MessageAnswer::Yes);
        if (answer == MessageAnswer::Yes) {
            controls_.results->removeRow(row - 1);
            chooseFirstRow();
        }
    });
}

void ResultsMenuController::removeSelectedRow() {
    if (const int row = selectedRow()) {
        controls_.results->removeRow(row - 1);
        chooseFirstRow();
    }
}

void ResultsMenuController::chooseFirstRow() {
    // As a list view of the desktop this program comes from: once it holds rows, one is chosen.
    if (controls_.results->rowCount() > 0)
        controls_.list->setCurrentIndex(controls_.results->index(0, 0));
}

void ResultsMenuController::sweepRowsNaming(const QString& name) {
    // From the last row up, so the rows still to look at keep their places.
    ResultsModel& results = *controls_.results;
    for (int row = results.count(); row >= 1; --row) {
        if (results.cell(row, ColFile1) == name || results.cell(row, ColFile2) == name)
            results.removeRow(row - 1);
    }
    chooseFirstRow();
}

} // namespace nw
