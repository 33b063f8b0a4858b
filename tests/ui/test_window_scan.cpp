#include "core/Flags.h"
#include "core/ScanDriver.h"
#include "core/Texts.h"
#include "platform/ErrorCodes.h"
#include "support/RecordingView.h"
#include "support/WindowTestKit.h"
#include "ui/ResultsModel.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QStandardPaths>
#include <QTimer>
#include <QTreeView>

using namespace nw;
using namespace nw::test;

namespace {

const QStringList LockedControls = {"Dir1",     "Drive1",      "mPercent",        "lblChrMatch",
                                    "GrpSense", "lblGrpSense", "LevenshteinDist", "lblLDist",
                                    "fSense",   "Label7",      "IgnExtensions",   "chkCRC32",
                                    "ChrMatch", "Levenshtein", "AutoMove",        "addFavorite",
                                    "DelFav",   "FavsList",    "ScanDir"};

QString panel(const MainWindow& window, const char* key) {
    return child<QLabel>(window, QString::fromUtf8(key))->text();
}

} // namespace

class TestWindowScan : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init();
    void cleanup();

    void locksWhileRunningAndShowsSortedRows();
    void controlsBecomeSettings_data();
    void controlsBecomeSettings();
    void stopEndsCanceled();
    void crcSkipUnchecksChecksums();
    void badNumberEndsWithError();
    void emptyFolder();

private:
    QWidget* w(const char* name) const { return child<QWidget>(*window_, QString::fromUtf8(name)); }
    void startScan() { QTest::mouseClick(w("ScanDir"), Qt::LeftButton); }
    // What the engine gets for the tree with the controls as they start.
    ScanSettings engineSettings() const {
        ScanSettings settings;
        settings.scanFolder = tree_->path() + '/';
        settings.baseFolder = tree_->path();
        return settings;
    }

    ScriptedDialogs dialogs_;
    std::unique_ptr<RecordingSink> errors_;
    std::unique_ptr<TestDir> config_;
    std::unique_ptr<TestDir> tree_;
    std::unique_ptr<MainWindow> window_;
};

void TestWindowScan::init() {
    errors_ = std::make_unique<RecordingSink>();
    config_ = std::make_unique<TestDir>();
    tree_ = std::make_unique<TestDir>();
    for (const char* name :
         {"a/song.mp3", "b/song.mp3", "c/Song.mp3", "holiday_001.jpg", "holiday_002.jpg",
          "Holiday_001.png", "notes.txt", "notez.txt", "zeta/readme.md"})
        tree_->write(QString::fromUtf8(name), QByteArray(1234, 'x'));
    window_ = makeWindow(*config_, tree_->path());
    window_->setEventInterval(0);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
}

void TestWindowScan::cleanup() {
    window_.reset();
    StopFlag = false;
    CRCSkipFlag = false;
    errors_.reset();
}

void TestWindowScan::locksWhileRunningAndShowsSortedRows() {
    QCOMPARE(window_->scanPath(), tree_->path() + '/');
    QStringList stillEnabled;
    QStringList wronglyEnabled;
    bool seen = false;
    QTimer::singleShot(0, this, [&] {
        seen = true;
        for (const QString& name : LockedControls) {
            if (child<QWidget>(*window_, name)->isEnabled())
                wronglyEnabled << name;
        }
        for (const char* name : {"MeExit", "MeMax", "meMin", "MeRestore", "About"}) {
            if (child<QAction>(*window_, QString::fromUtf8(name))->isEnabled())
                stillEnabled << QString::fromUtf8(name);
        }
        QVERIFY(w("StopMe")->isVisible());
        QVERIFY(!w("FListView")->isEnabled());
        QVERIFY(w("Command1")->isEnabled());
    });
    startScan();
    QVERIFY(seen);
    QCOMPARE(wronglyEnabled, QStringList());
    QCOMPARE(stillEnabled, QStringList({"MeMax", "meMin", "MeRestore", "About"}));

    // After: unlocked for character matching, and the rows as the engine finds them, sorted.
    for (const QString& name : LockedControls) {
        const bool distanceControl = name == "LevenshteinDist" || name == "lblLDist";
        QVERIFY2(child<QWidget>(*window_, name)->isEnabled() != distanceControl, qPrintable(name));
    }
    QVERIFY(child<QAction>(*window_, "MeExit")->isEnabled());
    QVERIFY(!w("StopMe")->isVisible());
    QVERIFY(!w("CRCSkip")->isVisible());
    QVERIFY(w("FListView")->isEnabled());

    RecordingView engine;
    QCOMPARE(runScan(engineSettings(), engine.rows, engine), ScanStatus::Done);
    QVERIFY(engine.rows.count() >= 3);
    QCOMPARE(shownRows(*window_), engine.rows.texts());
    const QStringList rows = shownRows(*window_);
    for (qsizetype r = 1; r < rows.size(); ++r)
        QVERIFY(!textLess(rows.at(r).section('|', 0, 0), rows.at(r - 1).section('|', 0, 0)));
    QCOMPARE(panel(*window_, "fnamedata"), QStringLiteral("Found: %1").arg(rows.size()));
    QCOMPARE(panel(*window_, "secs"), QStringLiteral("Done"));
    QCOMPARE(window_->windowTitle(), QStringLiteral("Namewick Finder"));
    QCOMPARE(child<QProgressBar>(*window_, "ProgressBar1")->value(), 0);
    QVERIFY(tree_->exists(QStringLiteral("Log.txt")));
    QCOMPARE(errors_->reports, QStringList());
}

void TestWindowScan::controlsBecomeSettings_data() {
    QTest::addColumn<bool>("levenshtein");
    QTest::addColumn<QStringList>("boxes"); // percent, group, distance, repeat
    QTest::addColumn<bool>("ignoreExtensions");
    QTest::addColumn<bool>("crc");

    QTest::newRow("chars 60%, groups of 2")
        << false << QStringList{"60", "2", "0", "1"} << true << false;
    QTest::newRow("repeat 3, extensions kept")
        << false << QStringList{"80", "3", "0", "3"} << false << false;
    QTest::newRow("typed 85.5 reads 85")
        << false << QStringList{"85.5", "3", "0", "1"} << true << false;
    QTest::newRow("edit distance 1") << true << QStringList{"90", "3", "1", "2"} << true << false;
    QTest::newRow("checksums") << false << QStringList{"99", "3", "0", "1"} << true << true;
}

void TestWindowScan::controlsBecomeSettings() {
    QFETCH(bool, levenshtein);
    QFETCH(QStringList, boxes);
    QFETCH(bool, ignoreExtensions);
    QFETCH(bool, crc);

    QTest::mouseClick(w(levenshtein ? "Levenshtein" : "ChrMatch"), Qt::LeftButton);
    const char* names[] = {"mPercent", "GrpSense", "LevenshteinDist", "fSense"};
    for (int i = 0; i < 4; ++i)
        qobject_cast<QComboBox*>(w(names[i]))->setEditText(boxes.at(i));
    qobject_cast<QCheckBox*>(w("IgnExtensions"))->setChecked(ignoreExtensions);
    qobject_cast<QCheckBox*>(w("chkCRC32"))->setChecked(crc);
    startScan();

    ScanSettings settings = engineSettings();
    settings.mode = levenshtein ? MatchMode::Levenshtein : MatchMode::Characters;
    settings.percent = boxes.at(0);
    settings.groupSize = boxes.at(1);
    settings.distance = boxes.at(2);
    settings.repeatMode = boxes.at(3);
    settings.ignoreExtensions = ignoreExtensions;
    settings.checkCRC = crc;
    RecordingView engine;
    runScan(settings, engine.rows, engine);
    QCOMPARE(shownRows(*window_), engine.rows.texts());
    QCOMPARE(panel(*window_, "secs"), engine.secsPanel);
    QCOMPARE(child<QTreeView>(*window_, "FListView")->model()->headerData(3, Qt::Horizontal),
             QVariant(levenshtein ? "Distance" : "Matched"));
    // The controls of the other mode stay off.
    QCOMPARE(w("mPercent")->isEnabled(), !levenshtein);
    QCOMPARE(w("LevenshteinDist")->isEnabled(), levenshtein);
}

void TestWindowScan::stopEndsCanceled() {
    QTimer::singleShot(0, this, [this] { QTest::mouseClick(w("StopMe"), Qt::LeftButton); });
    startScan();
    QCOMPARE(panel(*window_, "secs"), QStringLiteral("Canceled"));
    QCOMPARE(panel(*window_, "fnamedata"), QStringLiteral("Found: 0"));
    QCOMPARE(window_->results()->count(), 0);
    QVERIFY(w("ScanDir")->isEnabled());
    QVERIFY(!w("StopMe")->isVisible());

    // The next scan starts afresh.
    startScan();
    QCOMPARE(panel(*window_, "secs"), QStringLiteral("Done"));
    QVERIFY(window_->results()->count() > 0);
}

void TestWindowScan::crcSkipUnchecksChecksums() {
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
    presser.stop();
    QVERIFY(skipped);
    QVERIFY(!crc->isChecked());
    QVERIFY(!w("CRCSkip")->isVisible());
    QCOMPARE(panel(*window_, "secs"), QStringLiteral("Done"));
    QVERIFY(!CRCSkipFlag);
}

void TestWindowScan::badNumberEndsWithError() {
    qobject_cast<QComboBox*>(w("mPercent"))->setEditText(QStringLiteral("abc"));
    startScan();
    QCOMPARE(panel(*window_, "secs"), QStringLiteral("Error"));
    QCOMPARE(errors_->reports,
             QStringList({QStringLiteral("frmMain/ScanDir_Click/%1").arg(ErrTypeMismatch)}));
    QVERIFY(w("ScanDir")->isEnabled());
}

void TestWindowScan::emptyFolder() {
    TestDir empty;
    empty.write(QStringLiteral("Log.txt"), "old");
    window_ = makeWindow(*config_, empty.path());
    startScan();
    QCOMPARE(panel(*window_, "fnamedata"), QStringLiteral("Found: 0"));
    QCOMPARE(panel(*window_, "secs"), QStringLiteral("Done"));
    QVERIFY(!empty.exists(QStringLiteral("Log.txt")));
    // An empty range would leave a busy indicator running.
    const auto* progress = child<QProgressBar>(*window_, "ProgressBar1");
    QVERIFY(progress->maximum() > progress->minimum());
    QCOMPARE(progress->value(), 0);
}

QTEST_MAIN(TestWindowScan)
#include "test_window_scan.moc"
