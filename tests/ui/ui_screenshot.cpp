// Saves a picture of the main window after a scan of a small tree:
//   xvfb-run -a ui_screenshot [FILE]
#include "FavouritesFile.h"
#include "FolderTree.h"
#include "MainWindow.h"
#include "ReadWrite.h"
#include "TestDir.h"

#include <QApplication>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    const QString output =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(NAMEWICK_SCREENSHOT);

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
    if (!window.grab().save(output)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(output));
        return 1;
    }
    std::printf("%s\n", qPrintable(output));
    return 0;
}
