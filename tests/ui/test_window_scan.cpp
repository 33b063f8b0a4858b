#include "core/Flags.h"
#include "core/ScanDriver.h"
#include "support/RecordingView.h"
#include "support/WindowTestKit.h"
#include "ui/ResultsModel.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>

using namespace nw;
using namespace nw::test;

namespace {

// The controls a scan locks, then the ones it must leave alone, then the menu items.
const QStringList Watched =
    QStringLiteral("Dir1 Drive1 mPercent lblChrMatch GrpSense lblGrpSense LevenshteinDist lblLDist "
                   "fSense Label7 IgnExtensions chkCRC32 ChrMatch Levenshtein AutoMove addFavorite "
                   "DelFav FavsList ScanDir FListView Command1 MeExit MeMax meMin MeRestore About")
        .split(' ');

// The watched names a user can use now, and the scan's buttons shown.
QStringList usable(const MainWindow& window) {
    QStringList names;
    for (const QString& name : Watched) {
        const auto* widget = window.findChild<QWidget*>(name);
        if (widget ? widget->isEnabled() : child<QAction>(window, name)->isEnabled())
            names << name;
    }
    for (const char* name : {"StopMe", "CRCSkip"}) {
        if (child<QWidget>(window, name)->isVisible())
            names << QString::fromUtf8(name) + " shown";
    }
    return names;
}

QString panel(const MainWindow& window, const char* key) {
    return child<QLabel>(window, QString::fromUtf8(key))->text();
}

} // namespace

class TestWindowScan : public QObject {
    Q_OBJECT

private slots:
    void init() {
        errors_ = std::make_unique<RecordingSink>();
        tree_ = std::make_unique<TestDir>();
        for (const char* name :
             {"a/song.mp3", "b/song.mp3", "c/Song.mp3", "holiday_001.jpg", "holiday_002.jpg",
              "Holiday_001.png", "notes.txt", "notez.txt", "zeta/readme.md"})
            tree_->write(QString::fromUtf8(name), QByteArray(1234, 'x'));
        window_ = makeWindow(config_, tree_->path());
        window_->setEventInterval(0);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }
    void cleanup() {
        window_.reset();
        StopFlag = false;
        CRCSkipFlag = false;
        errors_.reset();
    }

    void locksWhileRunning() {
        QStringList during;
        QTimer::singleShot(0, this, [&] { during = usable(*window_); });
        startScan();
        QCOMPARE(during,
                 QStringList({"Command1", "MeMax", "meMin", "MeRestore", "About", "StopMe shown"}));
        // Unlocked for the mode of the scan: characters.
        QStringList after = Watched;
        after.removeAll("LevenshteinDist");
        after.removeAll("lblLDist");
        QCOMPARE(usable(*window_), after);
        QCOMPARE(errors_->reports, QStringList());
    }

    void showsWhatTheEngineFinds_data() {
        // The option chosen, the boxes mPercent, GrpSense, LevenshteinDist and fSense, then
        // Ignore extensions and Check CRC32 ("x" for checked).
        QTest::addColumn<QStringList>("controls");
        QTest::newRow("chars 60%, groups of 2")
            << QStringList{"ChrMatch", "60", "2", "0", "1", "x", ""};
        QTest::newRow("repeat 3, extensions kept")
            << QStringList{"ChrMatch", "80", "3", "0", "3", "", ""};
        QTest::newRow("edit distance 1")
            << QStringList{"Levenshtein", "90", "3", "1", "2", "x", ""};
        QTest::newRow("checksums") << QStringList{"ChrMatch", "99", "3", "0", "1", "x", "x"};
    }
    void showsWhatTheEngineFinds() {
        QFETCH(QStringList, controls);
        const bool levenshtein = controls.at(0) == "Levenshtein";
        QTest::mouseClick(w(qPrintable(controls.at(0))), Qt::LeftButton);
        const char* names[] = {"mPercent", "GrpSense", "LevenshteinDist", "fSense"};
        for (int i = 0; i < 4; ++i)
            qobject_cast<QComboBox*>(w(names[i]))->setEditText(controls.at(i + 1));
        qobject_cast<QCheckBox*>(w("IgnExtensions"))->setChecked(controls.at(5) == "x");
        qobject_cast<QCheckBox*>(w("chkCRC32"))->setChecked(controls.at(6) == "x");
        startScan();

        ScanSettings settings;
        settings.scanFolder = tree_->path() + '/';
        settings.baseFolder = tree_->path();
        settings.mode = levenshtein ? MatchMode::Levenshtein : MatchMode::Characters;
        settings.percent = controls.at(1);
        settings.groupSize = controls.at(2);
        settings.distance = controls.at(3);
        settings.repeatMode = controls.at(4);
        settings.ignoreExtensions = controls.at(5) == "x";
        settings.checkCRC = controls.at(6) == "x";
        RecordingView engine;
        QCOMPARE(runScan(settings, engine.rows, engine), ScanStatus::Done);
        QVERIFY(engine.rows.count() >= 2);
        QCOMPARE(shownRows(*window_), engine.rows.texts());
        const QString header =
            window_->results()->headerData(ColMatched, Qt::Horizontal).toString();
        QCOMPARE(QStringList({panel(*window_, "fnamedata"), panel(*window_, "secs"),
                              window_->windowTitle(), header}),
                 QStringList(
                     {engine.fileNamePanel, engine.secsPanel, engine.caption, engine.scoreHeader}));
        QCOMPARE(child<QProgressBar>(*window_, "ProgressBar1")->value(), engine.progress);
        // The controls of the other mode stay off.
        QCOMPARE(w("mPercent")->isEnabled(), !levenshtein);
        QCOMPARE(w("LevenshteinDist")->isEnabled(), levenshtein);
    }

    void crcSkipUnchecksChecksums() {
        auto* crc = qobject_cast<QCheckBox*>(w("chkCRC32"));
        crc->setChecked(true);
        bool skipped = false;
        QTimer presser;
        connect(&presser, &QTimer::timeout, this, [&] {
            if (!skipped && w("CRCSkip")->isVisible()) {
                skipped = true;
                QTest::mouseClick(w("CRCSkip"), Qt::LeftButton);
            }
        });
        presser.start(0);
        startScan();
        QVERIFY(skipped);
        QVERIFY(!crc->isChecked() && !w("CRCSkip")->isVisible() && !CRCSkipFlag);
        QCOMPARE(panel(*window_, "secs"), QStringLiteral("Done"));
    }

    void scanEnds_data() {
        // How the scan is upset, then the two panels and the errors reported.
        QTest::addColumn<QStringList>("c");
        QTest::newRow("stopped") << QStringList{"stop", "Canceled|Found: 0|"};
        QTest::newRow("a number not read")
            << QStringList{"abc", "Error|Found: 0|frmMain/ScanDir_Click/13"};
        QTest::newRow("empty folder") << QStringList{"empty", "Done|Found: 0|"};
    }
    void scanEnds() {
        QFETCH(QStringList, c);
        TestDir empty;
        if (c[0] == "stop")
            QTimer::singleShot(0, this, [this] { QTest::mouseClick(w("StopMe"), Qt::LeftButton); });
        else if (c[0] == "abc")
            qobject_cast<QComboBox*>(w("mPercent"))->setEditText(c[0]);
        else
            window_ = makeWindow(config_, empty.path());
        startScan();
        QCOMPARE(panel(*window_, "secs") + '|' + panel(*window_, "fnamedata") + '|' +
                     errors_->reports.join(','),
                 c[1]);
        QVERIFY(window_->results()->count() == 0 && w("ScanDir")->isEnabled() &&
                !w("StopMe")->isVisible());
        // An empty range would leave a busy indicator running.
        const auto* progress = child<QProgressBar>(*window_, "ProgressBar1");
        QVERIFY(progress->maximum() > progress->minimum());
        if (c[0] == "stop") { // the next scan starts afresh
            startScan();
            QCOMPARE(panel(*window_, "secs"), QStringLiteral("Done"));
            QVERIFY(window_->results()->count() > 0);
        }
    }

private:
    QWidget* w(const char* name) const { return child<QWidget>(*window_, QString::fromUtf8(name)); }
    void startScan() { QTest::mouseClick(w("ScanDir"), Qt::LeftButton); }

    std::unique_ptr<RecordingSink> errors_;
    TestDir config_;
    std::unique_ptr<TestDir> tree_;
    std::unique_ptr<MainWindow> window_;
};

QTEST_MAIN(TestWindowScan)
#include "test_window_scan.moc"
