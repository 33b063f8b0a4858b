#include "core/Flags.h"
#include "core/ScanDriver.h"
#include "core/Texts.h"
#include "support/RecordingView.h"
#include "support/TestDir.h"
#include "support/Unprivileged.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTest>

#include <deque>

using namespace nw;
using namespace nw::test;

Q_DECLARE_METATYPE(nw::PairSearch)

namespace {

// The settings a case may change, at the window's first values; the rest keep their defaults.
struct Knobs {
    MatchMode mode = MatchMode::Characters;
    QString percent = "90", groupSize = "3", distance = "0", repeatMode = "1";
    bool checkCRC = false;
};

ScanSettings settingsFor(const TestDir& dir, const Knobs& k = {}) {
    return {.scanFolder = dir.path() + QLatin1Char('/'),
            .baseFolder = dir.path(),
            .mode = k.mode,
            .percent = k.percent,
            .groupSize = k.groupSize,
            .distance = k.distance,
            .repeatMode = k.repeatMode,
            .checkCRC = k.checkCRC,
            .autoMoveDir = {}};
}

// A row of two empty files, each given as its path below the scanned folder.
QString row(const QString& one, const QString& score, const QString& two,
            const QString& method = QStringLiteral("Levenshtein Distance")) {
    const auto cells = [](const QString& path) {
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/')) + 1;
        return path.mid(slash) + QStringLiteral("|0.0|{p}") + path.left(slash);
    };
    return cells(one) + QLatin1Char('|') + score + QLatin1Char('|') + cells(two) +
           QLatin1Char('|') + method;
}

// The lines of Log.txt; fails the test when a line does not end with CR LF.
QStringList logLines(const TestDir& dir) {
    return crlfLines(dir.read(QStringLiteral("Log.txt")));
}

// The rows from the top down, "{p}" standing for the scanned folder text.
QStringList rowTexts(const RecordingView& view, const TestDir& dir) {
    return view.rows.texts().replaceInStrings(dir.path() + QLatin1Char('/'), QStringLiteral("{p}"));
}

bool inPhase1(const RecordingView& view) {
    return view.events.contains(QStringLiteral("crcskip on")) &&
           !view.events.contains(QStringLiteral("crcskip off"));
}

// One scan of a tree: the rows it must give, and the reports it must end with.
struct Case {
    QStringList files = {};
    Knobs knobs = {};
    QStringList rows = {};
    QStringList reports = {};        // none: the scan ends Done
    QList<QByteArray> contents = {}; // empty files when not given
    QString skipAt = {};             // the file whose checksum is skipped, with the rest
    QStringList locked = {};         // what nobody may read; the scan then runs as nobody
    QString vanishes = {};           // removed in phase 1 with checksums, else once comparing
    bool logIsFolder = false;
};

QStringList scanError(int number) {
    return {QStringLiteral("frmMain/ScanDir_Click/%1").arg(number)};
}

} // namespace

Q_DECLARE_METATYPE(Knobs)
Q_DECLARE_METATYPE(Case)

class TestDriver : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void initTestCase_data();
    void init() { StopFlag = CRCSkipFlag = false; }

    void scanResults_data();
    void scanResults();
    void stopAtAnyMomentKeepsAPrefix_data();
    void stopAtAnyMomentKeepsAPrefix();
};

void TestDriver::initTestCase_data() {
    QTest::addColumn<nw::PairSearch>("search");
    QTest::newRow("reference") << PairSearch::Reference;
    QTest::newRow("indexed") << PairSearch::Indexed;
}

void TestDriver::scanResults_data() {
    QTest::addColumn<Case>("c");

    const MatchMode l = MatchMode::Levenshtein;
    const QString same = QStringLiteral("Same Length");
    // The old log goes, and the rows of an earlier scan, also when nothing pairs.
    QTest::newRow("empty folder") << Case{};

    // Numbers that cannot be read end the scan with an error, when they are first needed:
    // (ab, aa) matches by position before (abc, aa) needs the group size.
    const QStringList three = {"aa.txt", "ab.txt", "abc.txt"};
    const QStringList abAa = {row("ab.txt", "1 chrs", "aa.txt", same)};
    QTest::newRow("bad group size after a row")
        << Case{three, {.percent = "50", .groupSize = "x"}, abAa, scanError(ErrTypeMismatch)};
    QTest::newRow("negative group size after a row")
        << Case{three, {.percent = "50", .groupSize = "-1"}, abAa, scanError(ErrInvalidCall)};
    QTest::newRow("bad group size, distance mode")
        << Case{three,
                {.mode = l, .percent = "50", .groupSize = "x", .distance = "1"},
                {row("ab.txt", "1", "aa.txt"), row("abc.txt", "1", "ab.txt")}};
    QTest::newRow("bad group size, keys of equal length")
        << Case{{"aa.txt", "ab.txt"}, {.percent = "50", .groupSize = "x"}, abAa};
    QTest::newRow("empty repeat box, no matched pair")
        << Case{{"ab.txt", "cd.txt", "ef.txt"}, {.repeatMode = ""}};

    // Repeat modes: 2 skips a file one seen before, 3 also a file two seen before.
    const auto repeat = [&](const char* mode) {
        return Knobs{.mode = l, .distance = "1", .repeatMode = mode};
    };
    const QStringList near = {"a/song.mp3", "b/song.mp3", "c/sung.mp3"};
    const QString ba = row("b/song.mp3", "0", "a/song.mp3");
    const QString ca = row("c/sung.mp3", "1", "a/song.mp3");
    QTest::newRow("file two repeats, mode 1")
        << Case{near, repeat("1"), {ba, row("c/sung.mp3", "1", "b/song.mp3"), ca}};
    QTest::newRow("file two repeats, mode 2") << Case{near, repeat("2"), {ba, ca}};
    QTest::newRow("file two repeats, mode 3") << Case{near, repeat("3"), {ba}};
    // Names are compared exactly: another letter case is another name.
    QTest::newRow("case differs, mode 2") << Case{{"a/song.mp3", "b/song.mp3", "c/Song.mp3"},
                                                  repeat("2"),
                                                  {row("c/Song.mp3", "0", "a/song.mp3"), ba}};

    // These two contents share one CRC-32 (0x42EAD2E5) at different lengths.
    const Knobs crc{.checkCRC = true};
    const QList<QByteArray> collision = {"etgjaejm", "jljeoqubp"};
    QTest::newRow("chance collision, other names")
        << Case{{"alpha.txt", "omega.txt"}, crc, {}, {}, collision};
    QTest::newRow("chance collision, same name") << Case{
        {"a/x.txt", "b/x.txt"}, crc, {row("b/x.txt", "1 chrs", "a/x.txt", same)}, {}, collision};
    // Checksums taken before a skip still pair files, under the name method.
    const QStringList abc = {"alpha.txt", "omega.txt", "zeta.txt"};
    const QList<QByteArray> hello = {"hello", "hello", "other"};
    QTest::newRow("checksums skipped after both equal files")
        << Case{abc, crc, {row("omega.txt", "1 chrs", "alpha.txt", same)}, {}, hello, "zeta.txt"};
    QTest::newRow("checksums skipped at the second equal file")
        << Case{abc, crc, {}, {}, hello, "omega.txt"};
    // Only files that share their size with another are read.
    QTest::newRow("unreadable file of a size of its own")
        << Case{abc,
                crc,
                {row("omega.txt", "NA", "alpha.txt", "CRC")},
                {},
                {"hello", "hello", "other!"},
                {},
                {"zeta.txt"}};

    // A failing file step reports and cancels the scan.
    const QStringList xs = {"a/x.txt", "b/x.txt", "c/x.txt"};
    // c/x.txt of a's size, so that a's checksum is taken.
    const QList<QByteArray> sized = {QByteArray(2000, 'a'), QByteArray(1249, 'b'),
                                     QByteArray(2000, 'c')};
    // The pair still gets its row, with a size of 0.0, and the scan then ends.
    QTest::newRow("file vanishes before its size is taken")
        << Case{.files = xs,
                .rows = {"x.txt|1.3|{p}b/|1 chrs|x.txt|0.0|{p}a/|Same Length"},
                .reports = {"Global/GetFSize/53"},
                .contents = sized,
                .vanishes = "a/x.txt"};
    QTest::newRow("file vanishes before its checksum is taken")
        << Case{.files = xs,
                .knobs = crc,
                .reports = {"Global/GetCRC32/53"},
                .contents = sized,
                .vanishes = "a/x.txt"};
    // The pair keeps its row; the scan stops before the next one.
    QTest::newRow("log cannot be written")
        << Case{.files = xs,
                .rows = {"x.txt|1.3|{p}b/|1 chrs|x.txt|2.0|{p}a/|Same Length"},
                .reports = {"Global/WriteLog/75"},
                .contents = sized,
                .logIsFolder = true};
    // The walk ends at the first folder it cannot list.
    QTest::newRow("two folders cannot be listed")
        << Case{.files = xs,
                .reports = {"Global/FolderItems/70", "Global/ScanFolder/91"},
                .locked = {"a", "b"}};
}

void TestDriver::scanResults() {
    QFETCH_GLOBAL(nw::PairSearch, search);
    QFETCH(Case, c);
    // A number the scan cannot read ends it with an error; a failing file step cancels it.
    const ScanStatus expected = c.reports.isEmpty()                        ? ScanStatus::Done
                                : c.reports.first().startsWith("frmMain/") ? ScanStatus::Error
                                                                           : ScanStatus::Canceled;
    const auto scan = [&] {
        TestDir dir;
        if (c.logIsFolder)
            dir.mkdir(QStringLiteral("Log.txt"));
        else
            dir.write(QStringLiteral("Log.txt"), "old pair\r\n");
        for (qsizetype k = 0; k < c.files.size(); ++k)
            dir.write(c.files.at(k), c.contents.value(k));
        std::deque<ModeGuard> locks;
        for (const QString& locked : c.locked)
            locks.emplace_back(dir.file(locked), 0);
        const ScanSettings s = settingsFor(dir, c.knobs);
        RecordingSink sink;
        RecordingView view;
        view.rows.addAtTop(ResultRow{}); // left over from an earlier scan
        view.onYield = [&](RecordingView& v) {
            const bool phase1 = inPhase1(v);
            if (!c.skipAt.isEmpty() && phase1 && v.fileNamePanel.endsWith(c.skipAt))
                CRCSkipFlag = true;
            if (!c.vanishes.isEmpty() && (s.checkCRC ? phase1 : v.caption.contains("Compare")))
                QFile::remove(dir.file(c.vanishes));
        };
        const ScanStatus status = runScan(s, view.rows, view, search);
        QCOMPARE(rowTexts(view, dir), c.rows);
        if (!c.logIsFolder)
            QCOMPARE(logLines(dir).size(), c.rows.size());
        QCOMPARE(status, expected);
        QCOMPARE(sink.reports, c.reports);
        QCOMPARE(view.crcUnchecked, !c.skipAt.isEmpty());
        if (status == ScanStatus::Canceled)
            QCOMPARE(view.secsPanel, QStringLiteral("Canceled"));
        if (s.checkCRC && status == ScanStatus::Done) {
            QVERIFY(view.captions.first().startsWith(QLatin1String("Phase 1: Get CRC ")));
            QCOMPARE(view.captions.mid(view.captions.size() - 2),
                     (QStringList{c.skipAt.isEmpty() ? "Phase 2: Compare Files 100%"
                                                     : "Compare Files 100%",
                                  AppTitle}));
        }
    };
    if (c.locked.isEmpty())
        scan();
    else
        asUnprivileged(scan);
}

void TestDriver::stopAtAnyMomentKeepsAPrefix_data() {
    QTest::addColumn<Knobs>("knobs");
    const MatchMode l = MatchMode::Levenshtein;
    // Distance 0 with names that differ: a distance given up on Stop must not read as a match.
    QTest::newRow("distance 0") << Knobs{.mode = l};
    QTest::newRow("distance 1, checksums") << Knobs{.mode = l, .distance = "1", .checkCRC = true};
    QTest::newRow("characters") << Knobs{};
}

// Whenever Stop comes, the scan ends Canceled with the pairs found up to then, sorted, and moves
// nothing: the log is a prefix of the full scan's log, empty when Stop came in phase 1.
void TestDriver::stopAtAnyMomentKeepsAPrefix() {
    QFETCH_GLOBAL(nw::PairSearch, search);
    QFETCH(Knobs, knobs);
    TestDir dir;
    TestDir target;
    for (const QString entry : {"a/songname.txt=1", "a/zyxwvuts.txt=2", "b/songname.txt=3",
                                "b/songnamf.txt=1", "c/qponmlkj.txt=2"})
        dir.write(entry.section(u'=', 0, 0), entry.section(u'=', 1).toLatin1());
    ScanSettings s = settingsFor(dir, knobs);
    RecordingView full;
    QCOMPARE(runScan(s, full.rows, full, search), ScanStatus::Done);
    const QStringList fullLog = logLines(dir);
    QVERIFY(!fullLog.isEmpty());
    s.autoMove = true;
    s.autoMoveDir = target.path() + QLatin1Char('/');

    // A scan that yields once less than the full one (the up-front join's threads share its
    // batches as they come) meets the Stop in the auto-move pass, before its first move.
    for (int when = 1; when <= full.yields; ++when) {
        RecordingSink sink;
        RecordingView view;
        int count = 0;
        bool stoppedInPhase1 = false;
        view.onYield = [&](RecordingView& v) {
            if (++count == when) {
                StopFlag = true;
                stoppedInPhase1 = inPhase1(v);
            }
        };
        const ScanStatus status = runScan(s, view.rows, view, search);
        const QString at = QStringLiteral("stop at yield %1 of %2").arg(when).arg(full.yields);
        const QStringList log = logLines(dir);
        QVERIFY2(status == ScanStatus::Canceled && log == fullLog.mid(0, log.size()) &&
                     view.rows.count() == log.size(),
                 qPrintable(at + QLatin1Char('\n') + log.join(QLatin1Char('\n'))));
        for (int r = 2; r <= view.rows.count(); ++r)
            QVERIFY2(!textLess(view.rows.cell(r, ColFile1), view.rows.cell(r - 1, ColFile1)),
                     qPrintable(at + QStringLiteral(": rows not sorted")));
        QVERIFY2(view.fileNamePanel == QStringLiteral("Found: %1").arg(log.size()) &&
                     view.secsPanel == QStringLiteral("Canceled") && view.progress == 0 &&
                     !view.locked && sink.reports.isEmpty(),
                 qPrintable(at));
        QVERIFY2(QDir(target.path()).isEmpty() && !dir.exists(QStringLiteral("Move.txt")),
                 qPrintable(at + QStringLiteral(": moved after a Stop")));
        QVERIFY2(!stoppedInPhase1 ||
                     (log.isEmpty() && !view.captions.join(u',').contains("Compare")),
                 qPrintable(at + QStringLiteral(": compared after a Stop in phase 1")));
    }
}

QTEST_GUILESS_MAIN(TestDriver)
#include "test_driver.moc"
