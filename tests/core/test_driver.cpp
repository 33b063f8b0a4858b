#include "core/Flags.h"
#include "core/ScanDriver.h"
#include "core/Texts.h"
#include "support/RecordingView.h"
#include "support/TestDir.h"

#include <QFile>
#include <QLocale>
#include <QTest>

using namespace nw;
using namespace nw::test;

Q_DECLARE_METATYPE(nw::PairSearch)
Q_DECLARE_METATYPE(nw::MatchMode)

namespace {

ScanSettings settingsFor(const TestDir& dir) {
    ScanSettings s;
    s.scanFolder = dir.path() + QLatin1Char('/');
    s.baseFolder = dir.path();
    return s;
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

QString logLine(const QString& method, const QString& one, const QString& two, int score) {
    return QStringLiteral("%1: {p}%2 <=> {p}%3 (%4)").arg(method, one, two).arg(score);
}

// "{p}" stands for the scanned folder text.
QStringList expand(const QStringList& texts, const TestDir& dir) {
    QStringList out;
    for (const QString& t : texts)
        out << QString(t).replace(QStringLiteral("{p}"), dir.path() + QLatin1Char('/'));
    return out;
}

// The lines of Log.txt; fails the test when a line does not end with CR LF.
QStringList logLines(const TestDir& dir) {
    return crlfLines(dir.read(QStringLiteral("Log.txt")));
}

bool sortedByFileOne(const RecordingView& view) {
    for (int r = 2; r <= view.rows.count(); ++r) {
        if (textLess(view.rows.cell(r, ColFile1), view.rows.cell(r - 1, ColFile1)))
            return false;
    }
    return true;
}

bool inPhase1(const RecordingView& view) {
    return view.events.contains(QStringLiteral("crcskip on")) &&
           !view.events.contains(QStringLiteral("crcskip off"));
}

bool inPhase2(const RecordingView& view) {
    return !view.captions.isEmpty() && view.captions.last().contains(QStringLiteral("Compare"));
}

// The settings a case changes; the others keep their defaults.
struct Knobs {
    MatchMode mode = ScanSettings{}.mode;
    QString percent = ScanSettings{}.percent;
    QString groupSize = ScanSettings{}.groupSize;
    QString distance = ScanSettings{}.distance;
    QString repeatMode = ScanSettings{}.repeatMode;
    bool ignoreExtensions = ScanSettings{}.ignoreExtensions;
    bool checkCRC = false;
};

// One scan of a tree: the rows it must give, and the error it must end with.
struct Case {
    QStringList files = {};
    Knobs knobs = {};
    QStringList rows = {};
    QStringList log = {};            // compared line by line when given, else only counted
    int error = 0;                   // 0: the scan ends Done
    QList<QByteArray> contents = {}; // empty files when not given
};

} // namespace

Q_DECLARE_METATYPE(Case)

class TestDriver : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void initTestCase_data();
    void init() { StopFlag = CRCSkipFlag = false; }
    void cleanup() { StopFlag = CRCSkipFlag = false; }

    void laterFileIsFileOne();
    void scanResults_data();
    void scanResults();
    void nothingToPairDeletesOldLog_data();
    void nothingToPairDeletesOldLog();

    void stopInPhase1_data();
    void stopInPhase1();
    void stopInPhase2KeepsRowsSorted();
    void stopAtAnyMomentKeepsAPrefix_data();
    void stopAtAnyMomentKeepsAPrefix();

    void crcSkip_data();
    void crcSkip();

    void vanishedFile_data();
    void vanishedFile();
    void logThatCannotBeWritten();
};

void TestDriver::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestDriver::initTestCase_data() {
    QTest::addColumn<nw::PairSearch>("search");
    QTest::newRow("reference") << PairSearch::Reference;
    QTest::newRow("indexed") << PairSearch::Indexed;
}

void TestDriver::laterFileIsFileOne() {
    QFETCH_GLOBAL(nw::PairSearch, search);
    TestDir dir;
    dir.write(QStringLiteral("A.txt"), QByteArray(1234567, 'a'));
    dir.write(QStringLiteral("B.txt"), QByteArray(1249, 'b'));
    dir.write(QStringLiteral("C.txt"));
    ScanSettings s = settingsFor(dir);
    s.mode = MatchMode::Levenshtein;
    s.distance = QStringLiteral("1");

    RecordingSink sink;
    RecordingView view;
    QCOMPARE(runScan(s, view.rows, view, search), ScanStatus::Done);

    // Verdicts in the order (B, A), (C, A), (C, B).
    QCOMPARE(logLines(dir), expand({"Levenshtein Distance: {p}B.txt <=> {p}A.txt (1)",
                                    "Levenshtein Distance: {p}C.txt <=> {p}A.txt (1)",
                                    "Levenshtein Distance: {p}C.txt <=> {p}B.txt (1)"},
                                   dir));
    // Sorted by File One; equal File One rows keep the list's order (newest first).
    QCOMPARE(view.rows.texts(), expand({"B.txt|1.3|{p}|1|A.txt|1,234.6|{p}|Levenshtein Distance",
                                        "C.txt|0.0|{p}|1|B.txt|1.3|{p}|Levenshtein Distance",
                                        "C.txt|0.0|{p}|1|A.txt|1,234.6|{p}|Levenshtein Distance"},
                                       dir));
    QCOMPARE(view.fileNamePanel, QStringLiteral("Found: 3"));
    QCOMPARE(view.secsPanel, QStringLiteral("Done"));
    QCOMPARE(view.scoreHeader, QStringLiteral("Distance"));
    QCOMPARE(view.captions, (QStringList{"Compare Files 33.33%", "Compare Files 66.67%",
                                         "Compare Files 100%", AppTitle}));
    QCOMPARE(view.progressMax, 3);
    QCOMPARE(view.progress, 0);
    QVERIFY(!view.locked);
    QCOMPARE(view.events.mid(0, 2), (QStringList{"unsorted", "lock"}));
    QVERIFY(view.events.contains(QStringLiteral("sorted")));
    QCOMPARE(view.events.last(), QStringLiteral("unlock levenshtein"));
    QVERIFY(sink.reports.isEmpty());
}

void TestDriver::scanResults_data() {
    QTest::addColumn<Case>("c");

    const MatchMode l = MatchMode::Levenshtein;
    const QString same = QStringLiteral("Same Length");
    const QString ld = QStringLiteral("Levenshtein Distance");
    QTest::newRow("same length") << Case{{"tracknameA.mp3", "tracknameB.mp3"},
                                         {},
                                         {row("tracknameB.mp3", "9 chrs", "tracknameA.mp3", same)},
                                         {logLine(same, "tracknameB.mp3", "tracknameA.mp3", 9)}};
    QTest::newRow("file one longer")
        << Case{{"ABCDEF.txt", "ABCDEFG.txt"},
                {},
                {row("ABCDEFG.txt", "4 grps", "ABCDEF.txt", "File 1 Longer")},
                {logLine("File 1 Longer", "ABCDEFG.txt", "ABCDEF.txt", 4)}};
    QTest::newRow("file two longer")
        << Case{{"a/ABCDEFG.txt", "b/ABCDEF.txt"},
                {},
                {row("b/ABCDEF.txt", "4 grps", "a/ABCDEFG.txt", "File 2 Longer")},
                {logLine("File 2 Longer", "b/ABCDEF.txt", "a/ABCDEFG.txt", 4)}};
    QTest::newRow("extensions ignored, case never matters")
        << Case{{"Song.MP3", "song.wav"},
                {.percent = "100"},
                {row("song.wav", "4 chrs", "Song.MP3", same)},
                {logLine(same, "song.wav", "Song.MP3", 4)}};
    QTest::newRow("extensions kept, 5 of 8 at 60")
        << Case{{"Song.MP3", "song.wav"},
                {.percent = "60", .ignoreExtensions = false},
                {row("song.wav", "5 chrs", "Song.MP3", same)},
                {logLine(same, "song.wav", "Song.MP3", 5)}};
    QTest::newRow("names of the extension only never match by characters")
        << Case{{"a/.mp3", "b/.wav", "c/x.mp3", "d/x.wav"},
                {.percent = "1"},
                {row("d/x.wav", "1 chrs", "c/x.mp3", same)},
                {logLine(same, "d/x.wav", "c/x.mp3", 1)}};
    QTest::newRow("distance within") << Case{{"kitten.txt", "sitting.txt"},
                                             {.mode = l, .distance = "3"},
                                             {row("sitting.txt", "3", "kitten.txt")},
                                             {logLine(ld, "sitting.txt", "kitten.txt", 3)}};
    QTest::newRow("distance beyond")
        << Case{{"kitten.txt", "sitting.txt"}, {.mode = l, .distance = "2"}};
    QTest::newRow("distance 0, equal keys")
        << Case{{"a/Report.txt", "b/REPORT.doc"},
                {.mode = l},
                {row("b/REPORT.doc", "0", "a/Report.txt")},
                {logLine(ld, "b/REPORT.doc", "a/Report.txt", 0)}};

    // Numbers that cannot be read end the scan with an error, when they are first needed.
    const QStringList three = {"aa.txt", "ab.txt", "abc.txt"};
    const int mismatch = ErrTypeMismatch;
    QTest::newRow("percentage abc") << Case{three, {.percent = "abc"}, {}, {}, mismatch};
    QTest::newRow("percentage abc, distance mode")
        << Case{three, {.mode = l, .percent = "abc", .distance = "5"}, {}, {}, mismatch};
    QTest::newRow("empty distance, character mode")
        << Case{three, {.percent = "50", .distance = ""}, {}, {}, mismatch};
    QTest::newRow("percentage too large") << Case{three, {.percent = "40000"}, {}, {}, ErrOverflow};
    // (ab, aa) matches by position before (abc, aa) needs the group size.
    const QStringList abAa = {row("ab.txt", "1 chrs", "aa.txt", same)};
    QTest::newRow("bad group size after a row")
        << Case{three, {.percent = "50", .groupSize = "x"}, abAa, {}, mismatch};
    QTest::newRow("negative group size after a row")
        << Case{three, {.percent = "50", .groupSize = "-1"}, abAa, {}, ErrInvalidCall};
    QTest::newRow("bad group size, distance mode")
        << Case{three,
                {.mode = l, .percent = "50", .groupSize = "x", .distance = "1"},
                {row("ab.txt", "1", "aa.txt"), row("abc.txt", "1", "ab.txt")}};
    QTest::newRow("bad group size, keys of equal length")
        << Case{{"aa.txt", "ab.txt"}, {.percent = "50", .groupSize = "x"}, abAa};
    QTest::newRow("empty repeat box, no matched pair")
        << Case{{"ab.txt", "cd.txt", "ef.txt"}, {.repeatMode = ""}};
    QTest::newRow("empty repeat box, matched pair")
        << Case{{"ab.txt", "cd.txt", "s/ab.txt"}, {.repeatMode = ""}, {}, {}, mismatch};

    // Repeat modes: 2 skips a file one seen before, 3 also a file two seen before.
    const auto repeat = [&](const char* mode) {
        return Knobs{.mode = l, .distance = "1", .repeatMode = mode};
    };
    const QStringList same3 = {"a/song.mp3", "b/song.mp3", "c/song.mp3"};
    const QString ba = row("b/song.mp3", "0", "a/song.mp3");
    QTest::newRow("same names, mode 1")
        << Case{same3,
                repeat("1"),
                {row("c/song.mp3", "0", "b/song.mp3"), row("c/song.mp3", "0", "a/song.mp3"), ba}};
    QTest::newRow("same names, mode 2") << Case{same3, repeat("2"), {ba}};
    QTest::newRow("same names, mode 3") << Case{same3, repeat("3"), {ba}};
    QTest::newRow("mode 2.5 reads as 2") << Case{same3, repeat("2.5"), {ba}};
    const QStringList near = {"a/song.mp3", "b/song.mp3", "c/sung.mp3"};
    const QString ca = row("c/sung.mp3", "1", "a/song.mp3");
    QTest::newRow("file two repeats, mode 1")
        << Case{near, repeat("1"), {ba, row("c/sung.mp3", "1", "b/song.mp3"), ca}};
    QTest::newRow("file two repeats, mode 2") << Case{near, repeat("2"), {ba, ca}};
    QTest::newRow("file two repeats, mode 3") << Case{near, repeat("3"), {ba}};
    // Names are compared exactly: another letter case is another name.
    QTest::newRow("case differs, mode 2") << Case{{"a/song.mp3", "b/song.mp3", "c/Song.mp3"},
                                                  repeat("2"),
                                                  {row("c/Song.mp3", "0", "a/song.mp3"), ba}};

    // Checksums: a match by content shows CRC, but is logged as a name match.
    const Knobs crc{.checkCRC = true};
    const QStringList twoX = {"a/x.txt", "b/x.txt"};
    const QStringList other = {"alpha.txt", "omega.txt"};
    const QStringList xLog = {logLine(same, "b/x.txt", "a/x.txt", 1)};
    const QStringList xByName = {row("b/x.txt", "1 chrs", "a/x.txt", same)};
    QTest::newRow("two empty files, same name")
        << Case{twoX, crc, {row("b/x.txt", "NA", "a/x.txt", "CRC")}, xLog};
    QTest::newRow("two empty files, other names") << Case{other, crc};
    QTest::newRow("equal content, other names")
        << Case{other,
                crc,
                {row("omega.txt", "NA", "alpha.txt", "CRC")},
                {logLine(same, "omega.txt", "alpha.txt", 1)},
                0,
                {"hello", "hello"}};
    QTest::newRow("equal size, other content, same name")
        << Case{twoX, crc, xByName, xLog, 0, {"abc", "abd"}};
    // These two contents share one CRC-32 (0x42EAD2E5) at different lengths.
    const QList<QByteArray> collision = {"etgjaejm", "jljeoqubp"};
    QTest::newRow("chance collision, other names") << Case{other, crc, {}, {}, 0, collision};
    QTest::newRow("chance collision, same name") << Case{twoX, crc, xByName, xLog, 0, collision};
}

void TestDriver::scanResults() {
    QFETCH_GLOBAL(nw::PairSearch, search);
    QFETCH(Case, c);

    TestDir dir;
    for (qsizetype k = 0; k < c.files.size(); ++k)
        dir.write(c.files.at(k), c.contents.value(k));
    ScanSettings s = settingsFor(dir);
    s.mode = c.knobs.mode;
    s.percent = c.knobs.percent;
    s.groupSize = c.knobs.groupSize;
    s.distance = c.knobs.distance;
    s.repeatMode = c.knobs.repeatMode;
    s.ignoreExtensions = c.knobs.ignoreExtensions;
    s.checkCRC = c.knobs.checkCRC;

    RecordingSink sink;
    RecordingView view;
    const ScanStatus status = runScan(s, view.rows, view, search);
    QCOMPARE(view.rows.texts(), expand(c.rows, dir));
    const QStringList log = logLines(dir);
    QCOMPARE(log.size(), c.rows.size());
    if (!c.log.isEmpty())
        QCOMPARE(log, expand(c.log, dir));
    QCOMPARE(view.fileNamePanel, QStringLiteral("Found: %1").arg(c.rows.size()));
    QVERIFY(!view.locked);
    QCOMPARE(status, c.error ? ScanStatus::Error : ScanStatus::Done);
    QCOMPARE(view.secsPanel, c.error ? QStringLiteral("Error") : QStringLiteral("Done"));
    QCOMPARE(sink.reports,
             c.error ? QStringList{QStringLiteral("frmMain/ScanDir_Click/%1").arg(c.error)}
                     : QStringList{});
    if (c.error)
        return;
    QCOMPARE(view.scoreHeader, s.mode == MatchMode::Levenshtein ? QStringLiteral("Distance")
                                                                : QStringLiteral("Matched"));
    if (s.checkCRC) {
        QCOMPARE(view.captions, (QStringList{"Phase 1: Get CRC 50%", "Phase 1: Get CRC 100%",
                                             "Phase 2: Compare Files 50%",
                                             "Phase 2: Compare Files 100%", AppTitle}));
        QVERIFY(!view.crcUnchecked);
    }
}

void TestDriver::nothingToPairDeletesOldLog_data() {
    QTest::addColumn<bool>("oneFile");
    QTest::newRow("empty folder") << false;
    QTest::newRow("single file, checksums") << true;
}

void TestDriver::nothingToPairDeletesOldLog() {
    QFETCH_GLOBAL(nw::PairSearch, search);
    QFETCH(bool, oneFile);
    TestDir dir;
    dir.write(QStringLiteral("Log.txt"), "old pair\r\n");
    if (oneFile)
        dir.write(QStringLiteral("only.txt"), "x");
    ScanSettings s = settingsFor(dir);
    s.checkCRC = oneFile;
    RecordingSink sink;
    RecordingView view;
    view.rows.addAtTop(ResultRow{}); // left over from an earlier scan

    QCOMPARE(runScan(s, view.rows, view, search), ScanStatus::Done);
    QVERIFY(!dir.exists(QStringLiteral("Log.txt")));
    QCOMPARE(view.rows.count(), 0);
    QCOMPARE(view.fileNamePanel, QStringLiteral("Found: 0"));
    QCOMPARE(view.secsPanel, QStringLiteral("Done"));
    QCOMPARE(view.caption, AppTitle);
    if (!oneFile)
        QCOMPARE(view.progressMax, 0);
    QVERIFY(sink.reports.isEmpty());
}

void TestDriver::stopInPhase1_data() {
    QTest::addColumn<bool>("checkCRC");
    QTest::newRow("checksums on") << true;
    QTest::newRow("checksums off") << false;
}

void TestDriver::stopInPhase1() {
    QFETCH_GLOBAL(nw::PairSearch, search);
    QFETCH(bool, checkCRC);
    TestDir dir;
    dir.write(QStringLiteral("a/same.txt"), "1");
    dir.write(QStringLiteral("b/same.txt"), "1");
    dir.write(QStringLiteral("c/same.txt"), "1");
    ScanSettings s = settingsFor(dir);
    s.checkCRC = checkCRC;
    s.autoMove = true;
    s.autoMoveDir = dir.path() + QStringLiteral("/moved/");

    RecordingSink sink;
    RecordingView view;
    view.onYield = [](RecordingView& v) {
        if (inPhase1(v))
            StopFlag = true;
    };
    QCOMPARE(runScan(s, view.rows, view, search), ScanStatus::Canceled);
    QCOMPARE(view.rows.count(), 0);
    QCOMPARE(view.secsPanel, QStringLiteral("Canceled"));
    QCOMPARE(view.fileNamePanel, QStringLiteral("Found: 0"));
    QCOMPARE(view.progress, 0);
    for (const QString& caption : view.captions)
        QVERIFY2(!caption.contains(QStringLiteral("Compare")), qPrintable(caption));
    QVERIFY(!dir.exists(QStringLiteral("Log.txt")));
    QVERIFY(!dir.exists(QStringLiteral("moved")));
    QVERIFY(!view.locked);
    QVERIFY(sink.reports.isEmpty());
}

void TestDriver::stopInPhase2KeepsRowsSorted() {
    QFETCH_GLOBAL(nw::PairSearch, search);
    TestDir dir;
    // Found in the order alpha (3, 1), zeta (4, 2), then alpha twice more.
    for (const char* f : {"x/alpha.txt", "x/zeta.txt", "y/alpha.txt", "y/zeta.txt", "z/alpha.txt"})
        dir.write(QString::fromLatin1(f), "content");
    ScanSettings s = settingsFor(dir);
    s.mode = MatchMode::Levenshtein;
    s.autoMove = true;
    s.autoMoveDir = dir.path() + QStringLiteral("/moved/");

    RecordingSink sink;
    RecordingView view;
    view.onYield = [](RecordingView& v) {
        if (v.rows.count() == 2)
            StopFlag = true;
    };
    QCOMPARE(runScan(s, view.rows, view, search), ScanStatus::Canceled);
    QCOMPARE(view.rows.texts(),
             expand({"alpha.txt|0.0|{p}y/|0|alpha.txt|0.0|{p}x/|Levenshtein Distance",
                     "zeta.txt|0.0|{p}y/|0|zeta.txt|0.0|{p}x/|Levenshtein Distance"},
                    dir));
    QCOMPARE(logLines(dir).size(), 2);
    QCOMPARE(view.secsPanel, QStringLiteral("Canceled"));
    QCOMPARE(view.fileNamePanel, QStringLiteral("Found: 2"));
    QCOMPARE(view.progress, 0);
    // No auto-move after a Stop.
    QVERIFY(!dir.exists(QStringLiteral("moved")));
    QVERIFY(!dir.exists(QStringLiteral("Move.txt")));
    QVERIFY(sink.reports.isEmpty());
}

void TestDriver::stopAtAnyMomentKeepsAPrefix_data() {
    QTest::addColumn<nw::MatchMode>("mode");
    QTest::addColumn<QString>("distance");
    QTest::addColumn<bool>("checkCRC");

    // Distance 0 with names that differ: a distance given up on Stop must not read as a match.
    QTest::newRow("distance 0") << MatchMode::Levenshtein << "0" << false;
    QTest::newRow("distance 1, checksums") << MatchMode::Levenshtein << "1" << true;
    QTest::newRow("characters") << MatchMode::Characters << "0" << false;
}

// Whenever Stop comes, the scan ends Canceled with the pairs found up to then: the log is a
// prefix of the full scan's log, the rows are those pairs, sorted.
void TestDriver::stopAtAnyMomentKeepsAPrefix() {
    QFETCH_GLOBAL(nw::PairSearch, search);
    QFETCH(nw::MatchMode, mode);
    QFETCH(QString, distance);
    QFETCH(bool, checkCRC);

    TestDir dir;
    dir.write(QStringLiteral("a/songname.txt"), "1");
    dir.write(QStringLiteral("a/zyxwvuts.txt"), "2");
    dir.write(QStringLiteral("b/songname.txt"), "3");
    dir.write(QStringLiteral("b/songnamf.txt"), "1");
    dir.write(QStringLiteral("c/qponmlkj.txt"), "2");
    ScanSettings s = settingsFor(dir);
    s.mode = mode;
    s.distance = distance;
    s.checkCRC = checkCRC;

    RecordingView full;
    QCOMPARE(runScan(s, full.rows, full, search), ScanStatus::Done);
    const QStringList fullLog = logLines(dir);
    QVERIFY(!fullLog.isEmpty());
    const int yields = full.yields;

    for (int when = 1; when <= yields; ++when) {
        RecordingSink sink;
        RecordingView view;
        int count = 0;
        view.onYield = [&](RecordingView&) {
            if (++count == when)
                StopFlag = true;
        };
        const ScanStatus status = runScan(s, view.rows, view, search);
        const QString at = QStringLiteral("stop at yield %1 of %2").arg(when).arg(yields);
        if (count < when) {
            // The threads of the up-front join share its batches as they come, so the calling
            // thread may yield once less than in the full scan: then Stop never came.
            QVERIFY2(search == PairSearch::Indexed && mode == MatchMode::Characters,
                     qPrintable(at));
            QVERIFY2(status == ScanStatus::Done, qPrintable(at));
            QVERIFY2(logLines(dir) == fullLog, qPrintable(at));
            continue;
        }
        QVERIFY2(status == ScanStatus::Canceled, qPrintable(at));
        const QStringList log = logLines(dir);
        QVERIFY2(log == fullLog.mid(0, log.size()),
                 qPrintable(at + QLatin1Char('\n') + log.join(QLatin1Char('\n'))));
        QVERIFY2(view.rows.count() == log.size(), qPrintable(at));
        QVERIFY2(sortedByFileOne(view), qPrintable(at));
        QVERIFY2(view.fileNamePanel == QStringLiteral("Found: %1").arg(log.size()), qPrintable(at));
        QVERIFY2(view.secsPanel == QStringLiteral("Canceled"), qPrintable(at));
        QVERIFY2(view.progress == 0 && !view.locked, qPrintable(at));
        QVERIFY2(sink.reports.isEmpty(), qPrintable(at));
        StopFlag = false;
    }
}

void TestDriver::crcSkip_data() {
    QTest::addColumn<QString>("skipAt");
    QTest::addColumn<QStringList>("rows");

    // Checksums taken before the skip still pair files, under the name method.
    QTest::newRow("after both equal files")
        << "zeta.txt" << QStringList{"omega.txt|0.0|{p}|1 chrs|alpha.txt|0.0|{p}|Same Length"};
    QTest::newRow("at the second equal file") << "omega.txt" << QStringList{};
}

void TestDriver::crcSkip() {
    QFETCH_GLOBAL(nw::PairSearch, search);
    QFETCH(QString, skipAt);
    QFETCH(QStringList, rows);

    TestDir dir;
    dir.write(QStringLiteral("alpha.txt"), "hello");
    dir.write(QStringLiteral("omega.txt"), "hello");
    dir.write(QStringLiteral("zeta.txt"), "other");
    ScanSettings s = settingsFor(dir);
    s.checkCRC = true;

    RecordingSink sink;
    RecordingView view;
    view.onYield = [&](RecordingView& v) {
        if (inPhase1(v) && v.fileNamePanel.endsWith(skipAt))
            CRCSkipFlag = true;
    };
    QCOMPARE(runScan(s, view.rows, view, search), ScanStatus::Done);
    QVERIFY(view.crcUnchecked);
    QVERIFY(!CRCSkipFlag);
    QCOMPARE(view.rows.texts(), expand(rows, dir));
    QCOMPARE(view.captions.at(view.captions.size() - 2), QStringLiteral("Compare Files 100%"));
    QVERIFY(sink.reports.isEmpty());
}

void TestDriver::vanishedFile_data() {
    QTest::addColumn<bool>("checkCRC");
    QTest::addColumn<bool>("duringPhase1");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("report");

    // The pair still gets its row, with a size of 0.0, and the scan then ends.
    QTest::newRow("before its size is taken")
        << false << false << QStringList{"x.txt|1.3|{p}b/|1 chrs|x.txt|0.0|{p}a/|Same Length"}
        << "Global/GetFSize/53";
    QTest::newRow("before its checksum is taken")
        << true << true << QStringList{} << "Global/GetCRC32/53";
}

void TestDriver::vanishedFile() {
    QFETCH_GLOBAL(nw::PairSearch, search);
    QFETCH(bool, checkCRC);
    QFETCH(bool, duringPhase1);
    QFETCH(QStringList, rows);
    QFETCH(QString, report);

    TestDir dir;
    const QString gone = dir.write(QStringLiteral("a/x.txt"), QByteArray(2000, 'a'));
    dir.write(QStringLiteral("b/x.txt"), QByteArray(1249, 'b'));
    dir.write(QStringLiteral("c/x.txt"), QByteArray(10, 'c'));
    ScanSettings s = settingsFor(dir);
    s.checkCRC = checkCRC;

    RecordingSink sink;
    RecordingView view;
    view.onYield = [&](RecordingView& v) {
        if ((duringPhase1 ? inPhase1(v) : inPhase2(v)) && QFile::exists(gone))
            QFile::remove(gone);
    };
    QCOMPARE(runScan(s, view.rows, view, search), ScanStatus::Canceled);
    QCOMPARE(view.rows.texts(), expand(rows, dir));
    QCOMPARE(logLines(dir).size(), rows.size());
    QCOMPARE(sink.reports, QStringList{report});
    QCOMPARE(view.secsPanel, QStringLiteral("Canceled"));
}

void TestDriver::logThatCannotBeWritten() {
    QFETCH_GLOBAL(nw::PairSearch, search);
    TestDir dir;
    dir.mkdir(QStringLiteral("Log.txt"));
    dir.write(QStringLiteral("a/x.txt"));
    dir.write(QStringLiteral("b/x.txt"));
    dir.write(QStringLiteral("c/x.txt"));

    RecordingSink sink;
    RecordingView view;
    QCOMPARE(runScan(settingsFor(dir), view.rows, view, search), ScanStatus::Canceled);
    // The pair keeps its row; the scan stops before the next one.
    QCOMPARE(view.rows.count(), 1);
    QCOMPARE(sink.reports, QStringList{"Global/WriteLog/75"});
    QCOMPARE(view.secsPanel, QStringLiteral("Canceled"));
}

QTEST_GUILESS_MAIN(TestDriver)
#include "test_driver.moc"
