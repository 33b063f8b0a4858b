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

#include <optional>

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

// One scan of a tree: the rows it must give, and the error it must end with.
struct Case {
    QStringList files = {};
    Knobs knobs = {};
    QStringList rows = {};
    int error = 0;                   // 0: the scan ends Done
    QList<QByteArray> contents = {}; // empty files when not given
    QString skipAt = {};             // the file whose checksum is skipped, with the rest
    QString locked = {};             // a file nobody may read; the scan then runs as nobody
};

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
    void faultEndsScan_data();
    void faultEndsScan();
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
        << Case{three, {.percent = "50", .groupSize = "x"}, abAa, ErrTypeMismatch};
    QTest::newRow("negative group size after a row")
        << Case{three, {.percent = "50", .groupSize = "-1"}, abAa, ErrInvalidCall};
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
        << Case{{"alpha.txt", "omega.txt"}, crc, {}, 0, collision};
    QTest::newRow("chance collision, same name") << Case{
        {"a/x.txt", "b/x.txt"}, crc, {row("b/x.txt", "1 chrs", "a/x.txt", same)}, 0, collision};
    // Checksums taken before a skip still pair files, under the name method.
    const QStringList abc = {"alpha.txt", "omega.txt", "zeta.txt"};
    const QList<QByteArray> hello = {"hello", "hello", "other"};
    QTest::newRow("checksums skipped after both equal files")
        << Case{abc, crc, {row("omega.txt", "1 chrs", "alpha.txt", same)}, 0, hello, "zeta.txt"};
    QTest::newRow("checksums skipped at the second equal file")
        << Case{abc, crc, {}, 0, hello, "omega.txt"};
    // Only files that share their size with another are read.
    QTest::newRow("unreadable file of a size of its own")
        << Case{abc,
                crc,
                {row("omega.txt", "NA", "alpha.txt", "CRC")},
                0,
                {"hello", "hello", "other!"},
                {},
                "zeta.txt"};
}

void TestDriver::scanResults() {
    QFETCH_GLOBAL(nw::PairSearch, search);
    QFETCH(Case, c);
    const auto scan = [&] {
        TestDir dir;
        dir.write(QStringLiteral("Log.txt"), "old pair\r\n");
        for (qsizetype k = 0; k < c.files.size(); ++k)
            dir.write(c.files.at(k), c.contents.value(k));
        std::optional<ModeGuard> guard;
        if (!c.locked.isEmpty())
            guard.emplace(dir.file(c.locked), 0);
        const ScanSettings s = settingsFor(dir, c.knobs);
        RecordingSink sink;
        RecordingView view;
        view.rows.addAtTop(ResultRow{}); // left over from an earlier scan
        view.onYield = [&](RecordingView& v) {
            if (!c.skipAt.isEmpty() && inPhase1(v) && v.fileNamePanel.endsWith(c.skipAt))
                CRCSkipFlag = true;
        };
        const ScanStatus status = runScan(s, view.rows, view, search);
        QCOMPARE(rowTexts(view, dir), c.rows);
        QCOMPARE(logLines(dir).size(), c.rows.size());
        QCOMPARE(status, c.error ? ScanStatus::Error : ScanStatus::Done);
        QCOMPARE(sink.reports,
                 c.error ? QStringList{QStringLiteral("frmMain/ScanDir_Click/%1").arg(c.error)}
                         : QStringList{});
        QCOMPARE(view.crcUnchecked, !c.skipAt.isEmpty());
        if (s.checkCRC) {
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

void TestDriver::faultEndsScan_data() {
    // 0: Log.txt is a folder, 1: a/x.txt vanishes in phase 1, 2: in phase 2, 3: a/ and b/ locked
    QTest::addColumn<int>("fault");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("reports");

    // The pair still gets its row, with a size of 0.0, and the scan then ends.
    QTest::newRow("file vanishes before its size is taken")
        << 2 << QStringList{"x.txt|1.3|{p}b/|1 chrs|x.txt|0.0|{p}a/|Same Length"}
        << QStringList{"Global/GetFSize/53"};
    QTest::newRow("file vanishes before its checksum is taken")
        << 1 << QStringList{} << QStringList{"Global/GetCRC32/53"};
    // The pair keeps its row; the scan stops before the next one.
    QTest::newRow("log cannot be written")
        << 0 << QStringList{"x.txt|1.3|{p}b/|1 chrs|x.txt|2.0|{p}a/|Same Length"}
        << QStringList{"Global/WriteLog/75"};
    // The walk ends at the first folder it cannot list.
    QTest::newRow("two folders cannot be listed")
        << 3 << QStringList{} << QStringList{"Global/FolderItems/70", "Global/ScanFolder/91"};
}

void TestDriver::faultEndsScan() {
    QFETCH_GLOBAL(nw::PairSearch, search);
    QFETCH(int, fault);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, reports);

    asUnprivileged([&] {
        TestDir dir;
        const QString gone = dir.write(QStringLiteral("a/x.txt"), QByteArray(2000, 'a'));
        dir.write(QStringLiteral("b/x.txt"), QByteArray(1249, 'b'));
        // Of a's size, so that a's checksum is taken.
        dir.write(QStringLiteral("c/x.txt"), QByteArray(2000, 'c'));
        if (fault == 0)
            dir.mkdir(QStringLiteral("Log.txt"));
        std::optional<ModeGuard> lockA, lockB;
        if (fault == 3) {
            lockA.emplace(dir.file(QStringLiteral("a")), 0);
            lockB.emplace(dir.file(QStringLiteral("b")), 0);
        }
        RecordingSink sink;
        RecordingView view;
        view.onYield = [&](RecordingView& v) {
            const bool comparing = v.caption.contains(QLatin1String("Compare"));
            if ((fault == 1 ? inPhase1(v) : fault == 2 && comparing) && QFile::exists(gone))
                QFile::remove(gone);
        };
        const ScanSettings s = settingsFor(dir, {.checkCRC = fault == 1});
        QCOMPARE(runScan(s, view.rows, view, search), ScanStatus::Canceled);
        QCOMPARE(rowTexts(view, dir), rows);
        if (fault != 0)
            QCOMPARE(logLines(dir).size(), rows.size());
        QCOMPARE(sink.reports, reports);
        QCOMPARE(view.secsPanel, QStringLiteral("Canceled"));
    });
}

QTEST_GUILESS_MAIN(TestDriver)
#include "test_driver.moc"
