// Saves a picture of the main window after a scan of a small tree:
//   xvfb-run -a ui_screenshot [FILE] [--menu]
// With --menu the picture shows the results list's context menu on the second row, with its
// "Largest File" submenu open.
#include "settings/FavouritesFile.h"
#include "settings/ReadWrite.h"
#include "support/TestDir.h"
#include "ui/FolderTree.h"
#include "ui/MainWindow.h"

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTreeView>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    const QString output =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(NAMEWICK_SCREENSHOT);
    const bool withMenu = argc > 2 && QByteArray(argv[2]) == "--menu";

    nw::test::TestDir dir;
    const QByteArray song(2500, 's');
    for (const char* name :
         {"Music/Track 01 - Intro.mp3", "Backup/Track 01 - Intro.mp3", "Music/Track 02 - Rain.mp3",
          "Backup/Track 02 - Rian.mp3", "Backup/Track 03 - Home.mp3", "Music/Track 03 - Home.mp3",
          "Music/Track 04 - Away.mp3", "Photos/holiday_001.jpg", "Photos/holiday_002.jpg",
          "Photos/Holiday_001.JPG", "Notes/readme.txt", "Notes/todo.txt"})
        dir.write(QString::fromUtf8(name), song + name);
    const QString ini = dir.file(QStringLiteral("config/qvx.ini"));
    dir.mkdir(QStringLiteral("config"));
    nw::WriteToFile(nw::FavouritesSection, nw::favouriteKey(0), dir.file(QStringLiteral("Music")),
                    ini);
    nw::WriteToFile(nw::FavouritesSection, nw::favouriteKey(1), dir.file(QStringLiteral("Photos")),
                    ini);

    nw::WindowOptions options;
    options.favouritesFile = ini;
    options.startFolder = dir.path();
    nw::MainWindow window(options);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "the window was not shown\n");
        return 1;
    }
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("ScanDir")), Qt::LeftButton);
    QTest::qWait(200);
    QPixmap picture = window.grab();
    if (withMenu) {
        auto* list = window.findChild<QTreeView*>(QStringLiteral("FListView"));
        const QPoint at = list->visualRect(list->model()->index(1, 0)).center();
        QTest::mousePress(list->viewport(), Qt::RightButton, {}, at);
        auto* menu = window.findChild<QMenu*>(QStringLiteral("mnuHidden1"));
        auto* large = window.findChild<QMenu*>(QStringLiteral("mnuLarge"));
        menu->setActiveAction(large->menuAction());
        QTest::qWait(600);
        picture = window.grab();
        // Popups are windows of their own: drawn over the main window where they stand.
        QPainter painter(&picture);
        for (QMenu* shown : {menu, large}) {
            if (shown->isVisible())
                painter.drawPixmap(window.mapFromGlobal(shown->pos()), shown->grab());
        }
    }
    if (!picture.save(output)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(output));
        return 1;
    }
    std::printf("%s\n", qPrintable(output));
    return 0;
}
