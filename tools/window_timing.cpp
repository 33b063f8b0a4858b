// Times the main window through a scan as a user lives it: a timer due every millisecond records
// the longest stretch in which the window handled no events, from the press on Scan to the end
// of the scan; then a header click on each column, with the time each sort takes.
//   window_timing FOLDER [--mode levenshtein] [--distance N] [--gaps MS]
// --gaps lists on standard error every stretch longer than MS, with the time it ended.
// Run it on a Release build (NAMEWICK_BUILD_TESTS on), offscreen or under xvfb-run.
#include "support/TestDir.h"
#include "ui/MainWindow.h"
#include "ui/ResultsModel.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    if (argc < 2) {
        std::fprintf(
            stderr,
            "usage: window_timing FOLDER [--mode levenshtein] [--distance N] [--gaps MS]\n");
        return 2;
    }
    nw::test::TestDir config;
    nw::WindowOptions options;
    options.favouritesFile = config.file(QStringLiteral("qvx.ini"));
    options.startFolder = QString::fromLocal8Bit(argv[1]);
    nw::MainWindow window(options);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    qint64 listGaps = 0;
    for (int k = 2; k + 1 < argc; k += 2) {
        const QByteArray option = argv[k];
        if (option == "--gaps")
            listGaps = QByteArray(argv[k + 1]).toLongLong();
        if (option == "--mode" && QByteArray(argv[k + 1]) == "levenshtein")
            window.findChild<QRadioButton*>(QStringLiteral("Levenshtein"))->click();
        if (option == "--distance")
            window.findChild<QComboBox*>(QStringLiteral("LevenshteinDist"))
                ->setCurrentText(QString::fromLatin1(argv[k + 1]));
    }

    QElapsedTimer clock;
    qint64 last = 0, longest = 0, longestAt = 0;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        if (listGaps > 0 && now - last > listGaps)
            std::fprintf(stderr, "%lld ms without events, ending at %.3f s\n", now - last,
                         double(now) / 1000);
        if (now - last > longest) {
            longest = now - last;
            longestAt = now;
        }
        last = now;
    });
    clock.start();
    tick.start();
    window.findChild<QPushButton*>(QStringLiteral("ScanDir"))->click();
    const qint64 scanMs = clock.elapsed();
    tick.stop();
    auto* results = window.findChild<QTreeView*>(QStringLiteral("FListView"));
    std::printf(
        "scan: %.2f s, %d rows; longest stretch without events: %lld ms (ending at %.2f s)\n",
        double(scanMs) / 1000, results->model()->rowCount(), longest, double(longestAt) / 1000);

    QHeaderView* header = results->header();
    for (int column = 0; column < header->count(); ++column) {
        QElapsedTimer sortClock;
        sortClock.start();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 5, 5));
        QApplication::processEvents();
        std::printf("header click on column %d: %lld ms\n", column + 1, sortClock.elapsed());
    }
    return 0;
}
