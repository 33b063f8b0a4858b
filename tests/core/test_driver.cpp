#include "Flags.h"
#include "RecordingView.h"
#include "ScanDriver.h"
#include "TestDir.h"
#include "Texts.h"

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
    for (int r = 2; r <= view.rowCount(); ++r) {
        if (textLess(view.rowFileOne(r), view.rowFileOne(r - 1)))
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

} // namespace

class TestDriver : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void initTestCase_data();
    void init() { StopFlag = CRCSkipFlag = false; }
    void cleanup() { StopFlag = CRCSkipFlag = false; }

    void laterFileIsFileOne();
    void rowsAndLogLines_data();
    void rowsAndLogLines();
    void emptyFolderDeletesOldLog();
    void singleFileFindsNothing();

    void stopInPhase1_data();
    void stopInPhase1();
    void stopInPhase2KeepsRowsSorted();
    void stopAtAnyMomentKeepsAPrefix_data();
    void stopAtAnyMomentKeepsAPrefix();

    void badNumberEndsWithError_data();
    void badNumberEndsWithError();
    void repeatModes_data();
    void repeatModes();

    void checksums_data();
    void checksums();
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
    QCOMPARE(runScan(s, view, search), ScanStatus::Done);

    // Verdicts in the order (B, A), (C, A), (C, B).
    QCOMPARE(logLines(dir), expand({"Levenshtein Distance: {p}B.txt <=> {p}A.txt (1)",
                                    "Levenshtein Distance: {p}C.txt <=> {p}A.txt (1)",
                                    "Levenshtein Distance: {p}C.txt <=> {p}B.txt (1)"},
                                   dir));
    // Sorted by File One; equal File One rows keep the list's order (newest first).
    QCOMPARE(view.rowTexts(), expand({"B.txt|1.3|{p}|1|A.txt|1,234.6|{p}|Levenshtein Distance",
                                      "C.txt|0.0|{p}|1|B.txt|1.3|{p}|Levenshtein Distance",
                                      "C.txt|0.0|{p}|1|A.txt|1,234.6|{p}|Levenshtein Distance"},
                                     dir));
    QCOMPARE(view.fileNamePanel, QStringLiteral("Found: 3"));
    QCOMPARE(view.secsPanel, QStringLiteral("Done"));
    QCOMPARE(view.scoreHeader, QStringLiteral("Distance"));
    QCOMPARE(view.captions, (QStringList{QStringLiteral("Compare Files 33.33%"),
                                         QStringLiteral("Compare Files 66.67%"),
                                         QStringLiteral("Compare Files 100%"), AppTitle}));
    QCOMPARE(view.progressMax, 3);
    QCOMPARE(view.progress, 0);
    QVERIFY(!view.locked);
    QCOMPARE(view.events.mid(0, 2),
             (QStringList{QStringLiteral("unsorted"), QStringLiteral("lock")}));
    QVERIFY(view.events.contains(QStringLiteral("sorted")));
    QCOMPARE(view.events.last(), QStringLiteral("unlock levenshtein"));
    QVERIFY(sink.reports.isEmpty());
}

void TestDriver::rowsAndLogLines_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<nw::MatchMode>("mode");
    QTest::addColumn<QString>("percent");
    QTest::addColumn<QString>("distance");
    QTest::addColumn<bool>("ignoreExtensions");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("log");

    const MatchMode c = MatchMode::Characters;
    const MatchMode l = MatchMode::Levenshtein;
    QTest::newRow("same length")
        << QStringList{"tracknameA.mp3", "tracknameB.mp3"} << c << "90"
        << "0" << true
        << QStringList{"tracknameB.mp3|0.0|{p}|9 chrs|tracknameA.mp3|0.0|{p}|Same Length"}
        << QStringList{"Same Length: {p}tracknameB.mp3 <=> {p}tracknameA.mp3 (9)"};
    QTest::newRow("file one longer")
        << QStringList{"ABCDEF.txt", "ABCDEFG.txt"} << c << "90"
        << "0" << true << QStringList{"ABCDEFG.txt|0.0|{p}|4 grps|ABCDEF.txt|0.0|{p}|File 1 Longer"}
        << QStringList{"File 1 Longer: {p}ABCDEFG.txt <=> {p}ABCDEF.txt (4)"};
    QTest::newRow("file two longer")
        << QStringList{"a/ABCDEFG.txt", "b/ABCDEF.txt"} << c << "90"
        << "0" << true
        << QStringList{"ABCDEF.txt|0.0|{p}b/|4 grps|ABCDEFG.txt|0.0|{p}a/|File 2 Longer"}
        << QStringList{"File 2 Longer: {p}b/ABCDEF.txt <=> {p}a/ABCDEFG.txt (4)"};
    QTest::newRow("extensions ignored, case never matters")
        << QStringList{"Song.MP3", "song.wav"} << c << "100"
        << "0" << true << QStringList{"song.wav|0.0|{p}|4 chrs|Song.MP3|0.0|{p}|Same Length"}
        << QStringList{"Same Length: {p}song.wav <=> {p}Song.MP3 (4)"};
    QTest::newRow("extensions kept, 5 of 8 below 90")
        << QStringList{"Song.MP3", "song.wav"} << c << "90"
        << "0" << false << QStringList{} << QStringList{};
    QTest::newRow("extensions kept, 5 of 8 at 60")
        << QStringList{"Song.MP3", "song.wav"} << c << "60"
        << "0" << false << QStringList{"song.wav|0.0|{p}|5 chrs|Song.MP3|0.0|{p}|Same Length"}
        << QStringList{"Same Length: {p}song.wav <=> {p}Song.MP3 (5)"};
    QTest::newRow("names of the extension only never match by characters")
        << QStringList{"a/.mp3", "b/.wav", "c/x.mp3", "d/x.wav"} << c << "1"
        << "0" << true << QStringList{"x.wav|0.0|{p}d/|1 chrs|x.mp3|0.0|{p}c/|Same Length"}
        << QStringList{"Same Length: {p}d/x.wav <=> {p}c/x.mp3 (1)"};
    QTest::newRow("distance within")
        << QStringList{"kitten.txt", "sitting.txt"} << l << "90"
        << "3" << true
        << QStringList{"sitting.txt|0.0|{p}|3|kitten.txt|0.0|{p}|Levenshtein Distance"}
        << QStringList{"Levenshtein Distance: {p}sitting.txt <=> {p}kitten.txt (3)"};
    QTest::newRow("distance beyond") << QStringList{"kitten.txt", "sitting.txt"} << l << "90"
                                     << "2" << true << QStringList{} << QStringList{};
    QTest::newRow("distance 0, equal keys")
        << QStringList{"a/Report.txt", "b/REPORT.doc"} << l << "90"
        << "0" << true
        << QStringList{"REPORT.doc|0.0|{p}b/|0|Report.txt|0.0|{p}a/|Levenshtein Distance"}
        << QStringList{"Levenshtein Distance: {p}b/REPORT.doc <=> {p}a/Report.txt (0)"};
}

void TestDriver::rowsAndLogLines() {
    QFETCH_GLOBAL(nw::PairSearch, search);
    QFETCH(QStringList, files);
    QFETCH(nw::MatchMode, mode);
    QFETCH(QString, percent);
    QFETCH(QString, distance);
    QFETCH(bool, ignoreExtensions);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, log);

    TestDir dir;
    for (const QString& f : files)
        dir.write(f);
    ScanSettings s = settingsFor(dir);
    s.mode = mode;
    s.percent = percent;
    s.distance = distance;
    s.ignoreExtensions = ignoreExtensions;

    RecordingSink sink;
    RecordingView view;
    QCOMPARE(runScan(s, view, search), ScanStatus::Done);
    QCOMPARE(view.rowTexts(), expand(rows, dir));
    QCOMPARE(logLines(dir), expand(log, dir));
    QCOMPARE(view.fileNamePanel, QStringLiteral("Found: %1").arg(rows.size()));
    QCOMPARE(view.scoreHeader, mode == MatchMode::Levenshtein ? QStringLiteral("Distance")
                                                              : QStringLiteral("Matched"));
    QVERIFY(sink.reports.isEmpty());
}

void TestDriver::emptyFolderDeletesOldLog() {
    QFETCH_GLOBAL(nw::PairSearch, search);
    TestDir dir;
    dir.write(QStringLiteral("Log.txt"), "old pair\r\n");
    RecordingSink sink;
    RecordingView view;
    view.rows.addAtTop(ResultRow{}); // left over from an earlier scan

    QCOMPARE(runScan(settingsFor(dir), view, search), ScanStatus::Done);
    QVERIFY(!dir.exists(QStringLiteral("Log.txt")));
    QCOMPARE(view.rowCount(), 0);
    QCOMPARE(view.fileNamePanel, QStringLiteral("Found: 0"));
    QCOMPARE(view.secsPanel, QStringLiteral("Done"));
    QCOMPARE(view.progressMax, 0);
    QCOMPARE(view.caption, AppTitle);
    QVERIFY(sink.reports.isEmpty());
}

void TestDriver::singleFileFindsNothing() {
    QFETCH_GLOBAL(nw::PairSearch, search);
    TestDir dir;
    dir.write(QStringLiteral("only.txt"), "x");
    ScanSettings s = settingsFor(dir);
    s.checkCRC = true;
    RecordingView view;
    QCOMPARE(runScan(s, view, search), ScanStatus::Done);
    QCOMPARE(view.rowCount(), 0);
    QCOMPARE(view.fileNamePanel, QStringLiteral("Found: 0"));
    QVERIFY(!dir.exists(QStringLiteral("Log.txt")));
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
    QCOMPARE(runScan(s, view, search), ScanStatus::Canceled);
    QCOMPARE(view.rowCount(), 0);
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
        if (v.rowCount() == 2)
            StopFlag = true;
    };
    QCOMPARE(runScan(s, view, search), ScanStatus::Canceled);
    QCOMPARE(view.rowTexts(),
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
    QCOMPARE(runScan(s, full, search), ScanStatus::Done);
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
        const ScanStatus status = runScan(s, view, search);
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
        QVERIFY2(view.rowCount() == log.size(), qPrintable(at));
        QVERIFY2(sortedByFileOne(view), qPrintable(at));
        QVERIFY2(view.fileNamePanel == QStringLiteral("Found: %1").arg(log.size()), qPrintable(at));
        QVERIFY2(view.secsPanel == QStringLiteral("Canceled"), qPrintable(at));
        QVERIFY2(view.progress == 0 && !view.locked, qPrintable(at));
        QVERIFY2(sink.reports.isEmpty(), qPrintable(at));
        StopFlag = false;
    }
}

void TestDriver::badNumberEndsWithError_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<nw::MatchMode>("mode");
    QTest::addColumn<QString>("percent");
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("distance");
    QTest::addColumn<QString>("repeat");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("error"); // 0: the scan ends Done

    const MatchMode c = MatchMode::Characters;
    const MatchMode l = MatchMode::Levenshtein;
    const QStringList three = {"aa.txt", "ab.txt", "abc.txt"};
    QTest::newRow("percentage abc") << three << c << "abc"
                                    << "3"
                                    << "0"
                                    << "1" << 0 << int(ErrTypeMismatch);
    QTest::newRow("percentage abc, distance mode") << three << l << "abc"
                                                   << "3"
                                                   << "5"
                                                   << "1" << 0 << int(ErrTypeMismatch);
    QTest::newRow("empty distance, character mode") << three << c << "50"
                                                    << "3"
                                                    << ""
                                                    << "1" << 0 << int(ErrTypeMismatch);
    QTest::newRow("percentage too large") << three << c << "40000"
                                          << "3"
                                          << "0"
                                          << "1" << 0 << int(ErrOverflow);
    // (ab, aa) matches by position before (abc, aa) needs the group size.
    QTest::newRow("bad group size after a row") << three << c << "50"
                                                << "x"
                                                << "0"
                                                << "1" << 1 << int(ErrTypeMismatch);
    QTest::newRow("negative group size after a row") << three << c << "50"
                                                     << "-1"
                                                     << "0"
                                                     << "1" << 1 << int(ErrInvalidCall);
    QTest::newRow("bad group size, distance mode") << three << l << "50"
                                                   << "x"
                                                   << "1"
                                                   << "1" << 2 << 0;
    QTest::newRow("bad group size, keys of equal length")
        << QStringList{"aa.txt", "ab.txt"} << c << "50"
        << "x"
        << "0"
        << "1" << 1 << 0;
    QTest::newRow("empty repeat box, no matched pair")
        << QStringList{"ab.txt", "cd.txt", "ef.txt"} << c << "90"
        << "3"
        << "0"
        << "" << 0 << 0;
    QTest::newRow("empty repeat box, matched pair")
        << QStringList{"ab.txt", "cd.txt", "s/ab.txt"} << c << "90"
        << "3"
        << "0"
        << "" << 0 << int(ErrTypeMismatch);
}

void TestDriver::badNumberEndsWithError() {
    QFETCH_GLOBAL(nw::PairSearch, search);
    QFETCH(QStringList, files);
    QFETCH(nw::MatchMode, mode);
    QFETCH(QString, percent);
    QFETCH(QString, group);
    QFETCH(QString, distance);
    QFETCH(QString, repeat);
    QFETCH(int, rows);
    QFETCH(int, error);

    TestDir dir;
    for (const QString& f : files)
        dir.write(f);
    ScanSettings s = settingsFor(dir);
    s.mode = mode;
    s.percent = percent;
    s.groupSize = group;
    s.distance = distance;
    s.repeatMode = repeat;

    RecordingSink sink;
    RecordingView view;
    const ScanStatus status = runScan(s, view, search);
    QCOMPARE(view.rowCount(), rows);
    QCOMPARE(logLines(dir).size(), rows);
    QVERIFY(sortedByFileOne(view));
    QCOMPARE(view.fileNamePanel, QStringLiteral("Found: %1").arg(rows));
    QVERIFY(!view.locked);
    if (error == 0) {
        QCOMPARE(status, ScanStatus::Done);
        QCOMPARE(view.secsPanel, QStringLiteral("Done"));
        QVERIFY(sink.reports.isEmpty());
    } else {
        QCOMPARE(status, ScanStatus::Error);
        QCOMPARE(view.secsPanel, QStringLiteral("Error"));
        QCOMPARE(sink.reports, QStringList{QStringLiteral("frmMain/ScanDir_Click/%1").arg(error)});
    }
}

void TestDriver::repeatModes_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("repeat");
    QTest::addColumn<QStringList>("rows");

    const QStringList same = {"a/song.mp3", "b/song.mp3", "c/song.mp3"};
    QTest::newRow("same names, mode 1")
        << same << "1"
        << QStringList{"song.mp3|0.0|{p}c/|0|song.mp3|0.0|{p}b/|Levenshtein Distance",
                       "song.mp3|0.0|{p}c/|0|song.mp3|0.0|{p}a/|Levenshtein Distance",
                       "song.mp3|0.0|{p}b/|0|song.mp3|0.0|{p}a/|Levenshtein Distance"};
    QTest::newRow("same names, mode 2")
        << same << "2"
        << QStringList{"song.mp3|0.0|{p}b/|0|song.mp3|0.0|{p}a/|Levenshtein Distance"};
    QTest::newRow("same names, mode 3")
        << same << "3"
        << QStringList{"song.mp3|0.0|{p}b/|0|song.mp3|0.0|{p}a/|Levenshtein Distance"};
    QTest::newRow("mode 2.5 reads as 2")
        << same << "2.5"
        << QStringList{"song.mp3|0.0|{p}b/|0|song.mp3|0.0|{p}a/|Levenshtein Distance"};

    // Only mode 3 looks at file two's name.
    const QStringList near = {"a/song.mp3", "b/song.mp3", "c/sung.mp3"};
    QTest::newRow("file two repeats, mode 1")
        << near << "1"
        << QStringList{"song.mp3|0.0|{p}b/|0|song.mp3|0.0|{p}a/|Levenshtein Distance",
                       "sung.mp3|0.0|{p}c/|1|song.mp3|0.0|{p}b/|Levenshtein Distance",
                       "sung.mp3|0.0|{p}c/|1|song.mp3|0.0|{p}a/|Levenshtein Distance"};
    QTest::newRow("file two repeats, mode 2")
        << near << "2"
        << QStringList{"song.mp3|0.0|{p}b/|0|song.mp3|0.0|{p}a/|Levenshtein Distance",
                       "sung.mp3|0.0|{p}c/|1|song.mp3|0.0|{p}a/|Levenshtein Distance"};
    QTest::newRow("file two repeats, mode 3")
        << near << "3"
        << QStringList{"song.mp3|0.0|{p}b/|0|song.mp3|0.0|{p}a/|Levenshtein Distance"};
    // Names are compared exactly: another letter case is another name.
    QTest::newRow("case differs, mode 2")
        << QStringList{"a/song.mp3", "b/song.mp3", "c/Song.mp3"} << "2"
        << QStringList{"Song.mp3|0.0|{p}c/|0|song.mp3|0.0|{p}a/|Levenshtein Distance",
                       "song.mp3|0.0|{p}b/|0|song.mp3|0.0|{p}a/|Levenshtein Distance"};
}

void TestDriver::repeatModes() {
    QFETCH_GLOBAL(nw::PairSearch, search);
    QFETCH(QStringList, files);
    QFETCH(QString, repeat);
    QFETCH(QStringList, rows);

    TestDir dir;
    for (const QString& f : files)
        dir.write(f);
    ScanSettings s = settingsFor(dir);
    s.mode = MatchMode::Levenshtein;
    s.distance = QStringLiteral("1");
    s.repeatMode = repeat;

    RecordingView view;
    QCOMPARE(runScan(s, view, search), ScanStatus::Done);
    QCOMPARE(view.rowTexts(), expand(rows, dir));
}

void TestDriver::checksums_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QList<QByteArray>>("contents");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("log");

    QTest::newRow("two empty files, same name")
        << QStringList{"a/x.txt", "b/x.txt"} << QList<QByteArray>{"", ""}
        << QStringList{"x.txt|0.0|{p}b/|NA|x.txt|0.0|{p}a/|CRC"}
        << QStringList{"Same Length: {p}b/x.txt <=> {p}a/x.txt (1)"};
    QTest::newRow("two empty files, other names")
        << QStringList{"alpha.txt", "omega.txt"} << QList<QByteArray>{"", ""} << QStringList{}
        << QStringList{};
    QTest::newRow("equal content, other names")
        << QStringList{"alpha.txt", "omega.txt"} << QList<QByteArray>{"hello", "hello"}
        << QStringList{"omega.txt|0.0|{p}|NA|alpha.txt|0.0|{p}|CRC"}
        << QStringList{"Same Length: {p}omega.txt <=> {p}alpha.txt (1)"};
    QTest::newRow("equal size, other content, same name")
        << QStringList{"a/x.txt", "b/x.txt"} << QList<QByteArray>{"abc", "abd"}
        << QStringList{"x.txt|0.0|{p}b/|1 chrs|x.txt|0.0|{p}a/|Same Length"}
        << QStringList{"Same Length: {p}b/x.txt <=> {p}a/x.txt (1)"};
    // These two contents share one CRC-32 (0x42EAD2E5) at different lengths.
    QTest::newRow("chance collision, other names")
        << QStringList{"alpha.bin", "omega.bin"} << QList<QByteArray>{"etgjaejm", "jljeoqubp"}
        << QStringList{} << QStringList{};
    QTest::newRow("chance collision, same name")
        << QStringList{"a/x.bin", "b/x.bin"} << QList<QByteArray>{"etgjaejm", "jljeoqubp"}
        << QStringList{"x.bin|0.0|{p}b/|1 chrs|x.bin|0.0|{p}a/|Same Length"}
        << QStringList{"Same Length: {p}b/x.bin <=> {p}a/x.bin (1)"};
}

void TestDriver::checksums() {
    QFETCH_GLOBAL(nw::PairSearch, search);
    QFETCH(QStringList, files);
    QFETCH(QList<QByteArray>, contents);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, log);

    TestDir dir;
    for (qsizetype k = 0; k < files.size(); ++k)
        dir.write(files.at(k), contents.at(k));
    ScanSettings s = settingsFor(dir);
    s.checkCRC = true;

    RecordingSink sink;
    RecordingView view;
    QCOMPARE(runScan(s, view, search), ScanStatus::Done);
    QCOMPARE(view.rowTexts(), expand(rows, dir));
    QCOMPARE(logLines(dir), expand(log, dir));
    QCOMPARE(view.captions, (QStringList{QStringLiteral("Phase 1: Get CRC 50%"),
                                         QStringLiteral("Phase 1: Get CRC 100%"),
                                         QStringLiteral("Phase 2: Compare Files 50%"),
                                         QStringLiteral("Phase 2: Compare Files 100%"), AppTitle}));
    QVERIFY(!view.crcUnchecked);
    QVERIFY(sink.reports.isEmpty());
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
    QCOMPARE(runScan(s, view, search), ScanStatus::Done);
    QVERIFY(view.crcUnchecked);
    QVERIFY(!CRCSkipFlag);
    QCOMPARE(view.rowTexts(), expand(rows, dir));
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
    QCOMPARE(runScan(s, view, search), ScanStatus::Canceled);
    QCOMPARE(view.rowTexts(), expand(rows, dir));
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
    QCOMPARE(runScan(settingsFor(dir), view, search), ScanStatus::Canceled);
    // The pair keeps its row; the scan stops before the next one.
    QCOMPARE(view.rowCount(), 1);
    QCOMPARE(sink.reports, QStringList{QStringLiteral("Global/WriteLog/75")});
    QCOMPARE(view.secsPanel, QStringLiteral("Canceled"));
}

QTEST_GUILESS_MAIN(TestDriver)
#include "test_driver.moc"
