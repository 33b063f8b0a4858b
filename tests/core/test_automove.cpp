#include "core/AutoMove.h"
#include "core/Flags.h"
#include "core/ScanDriver.h"
#include "platform/FileSystem.h"
#include "support/RecordingView.h"
#include "support/TestDir.h"

#include <QDir>
#include <QDirIterator>
#include <QLocale>
#include <QTest>

using namespace nw;
using namespace nw::test;

Q_DECLARE_METATYPE(nw::PairSearch)

namespace {

// A scanned tree and a separate target folder.
struct Trees {
    TestDir scanned;
    TestDir target;

    ScanSettings settings() const {
        ScanSettings s;
        s.scanFolder = scanned.path() + QLatin1Char('/');
        s.baseFolder = scanned.path();
        s.autoMove = true;
        s.autoMoveDir = target.path() + QLatin1Char('/');
        return s;
    }
    QStringList moveLines() const { return crlfLines(scanned.read(QStringLiteral("Move.txt"))); }
    // "{s}" and "{t}" stand for the two folder texts.
    QStringList expand(const QStringList& texts) const {
        QStringList out;
        for (const QString& t : texts)
            out << QString(t)
                       .replace(QStringLiteral("{s}"), scanned.path() + QLatin1Char('/'))
                       .replace(QStringLiteral("{t}"), target.path() + QLatin1Char('/'));
        return out;
    }
    // "s:" and each file of the scanned tree but the logs, "t:" and each entry of the target.
    QStringList layout() const {
        QStringList out;
        const QDir s(scanned.path());
        for (QDirIterator it(s.path(), QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
            const QString relative = s.relativeFilePath(it.next());
            if (relative != QLatin1String("Move.txt") && relative != QLatin1String("Log.txt"))
                out << QStringLiteral("s:") + relative;
        }
        const QDir t(target.path());
        for (QDirIterator it(t.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                             QDirIterator::Subdirectories);
             it.hasNext();)
            out << QStringLiteral("t:") + t.relativeFilePath(it.next());
        out.sort();
        return out;
    }
};

// Two rows whose File One goes into a folder the pass creates: z/two.wav first, then a/one.wav.
const QStringList TwoRows = {"a/one.mp3", "a/one.wav", "z/two.mp3", "z/two.wav"};

// The layout when the files of moved, and their folders, stand in the target.
QStringList layoutAfter(const QStringList& moved) {
    QStringList out;
    for (const QString& f : TwoRows) {
        if (!moved.contains(f)) {
            out << QStringLiteral("s:") + f;
            continue;
        }
        out << QStringLiteral("t:") + f;
        const QString folder = QStringLiteral("t:") + f.section(QLatin1Char('/'), 0, 0);
        if (!out.contains(folder))
            out << folder;
    }
    out.sort();
    return out;
}

void dest(const char* name, const QString& folder, const QString& base, const QString& target,
          const QString& expected) {
    QTest::newRow(name) << folder << base << target << expected;
}

void refused(const char* name, const QString& folder, const QString& target, bool refused) {
    QTest::newRow(name) << folder << target << refused;
}

} // namespace

class TestAutoMove : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void initTestCase_data();
    void init() { StopFlag = CRCSkipFlag = false; }
    void cleanup() { StopFlag = CRCSkipFlag = false; }

    void destination_data();
    void destination();
    void targetRefused_data();
    void targetRefused();

    void smallerFileMoves_data();
    void smallerFileMoves();
    void nothingMoves_data();
    void nothingMoves();
    void missingParentEndsWithError();
    void failedMoveLeavesNoTrace_data();
    void failedMoveLeavesNoTrace();
    void stopEndsPassAfterFileInHand_data();
    void stopEndsPassAfterFileInHand();
    void moveLogGrowsAcrossScans_data();
    void moveLogGrowsAcrossScans();
};

void TestAutoMove::initTestCase_data() {
    QTest::addColumn<nw::PairSearch>("search");
    QTest::newRow("reference") << PairSearch::Reference;
    QTest::newRow("indexed") << PairSearch::Indexed;
}

void TestAutoMove::destination_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("expected");

    dest("below the base", "/music/rock/", "/music", "/dupes/", "/dupes/rock/");
    dest("base with separator", "/music/rock/", "/music/", "/dupes/", "/dupes/rock/");
    dest("the base itself", "/music/", "/music", "/dupes/", "/dupes/");
    dest("only where it begins", "/m/x/m/y/", "/m", "/t/", "/t/x/m/y/");
    dest("root base", "/music/", "/", "/dupes/", "/dupes/music/");
    dest("other case stays", "/Music/rock/", "/music", "/dupes/", "/Music/rock/");
    dest("longer sibling name stays", "/musicbox/", "/music", "/dupes/", "/musicbox/");
}

void TestAutoMove::destination() {
    QFETCH(QString, folder);
    QFETCH(QString, base);
    QFETCH(QString, target);
    QFETCH(QString, expected);
    QCOMPARE(autoMoveDestination(folder, base, target), expected);
}

void TestAutoMove::targetRefused_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("refused");

    refused("inside", "/home/u/music", "/home/u/music/dupes/", true);
    refused("the same", "/home/u/music", "/home/u/music/", true);
    refused("anywhere in it", "/a", "/b/a/c/", true);
    refused("other case", "/home/u/Music", "/home/u/music/dupes/", false);
    refused("outside", "/home/u/music", "/home/u/dupes/", false);
}

void TestAutoMove::targetRefused() {
    QFETCH(QString, folder);
    QFETCH(QString, target);
    QFETCH(bool, refused);
    QCOMPARE(autoMoveTargetRefused(folder, target), refused);
}

void TestAutoMove::smallerFileMoves_data() {
    QTest::addColumn<int>("sizeA");
    QTest::addColumn<int>("sizeB");
    QTest::addColumn<QString>("folder"); // the folder of the moved song

    // File one is b/song.mp3, the later file.
    QTest::newRow("equal sizes: file one") << 500 << 500 << "b";
    // 10400 and 10401 bytes both show as 10.4.
    QTest::newRow("equal as shown: file one") << 10400 << 10401 << "b";
    QTest::newRow("file two smaller") << 500 << 2000 << "a";
    QTest::newRow("file one smaller") << 2000 << 500 << "b";
    // Sizes are read back with their digit grouping: 1,234.6 is neither 1 nor 0.
    QTest::newRow("grouped size") << 1100 << 1234567 << "a";
}

void TestAutoMove::smallerFileMoves() {
    QFETCH_GLOBAL(nw::PairSearch, search);
    QFETCH(int, sizeA);
    QFETCH(int, sizeB);
    QFETCH(QString, folder);
    const QString moved = folder + QStringLiteral("/song.mp3");
    const QString kept = (folder == QLatin1String("a") ? "b" : "a") + QStringLiteral("/song.mp3");

    Trees trees;
    trees.scanned.write(QStringLiteral("a/song.mp3"), QByteArray(sizeA, 'a'));
    trees.scanned.write(QStringLiteral("b/song.mp3"), QByteArray(sizeB, 'b'));
    const QByteArray movedContent = trees.scanned.read(moved);

    RecordingSink sink;
    RecordingView view;
    QCOMPARE(runScan(trees.settings(), view.rows, view, search), ScanStatus::Done);
    QCOMPARE(view.rows.count(), 1);
    QVERIFY(!trees.scanned.exists(moved));
    QVERIFY(trees.scanned.exists(kept));
    QCOMPARE(trees.target.read(moved), movedContent);
    QCOMPARE(trees.moveLines(),
             trees.expand({QStringLiteral("Move: {s}%1 to {t}%2/").arg(moved, folder)}));
    // The rows still show the old folders.
    QCOMPARE(view.rows.cell(1, ColFPath1), trees.scanned.path() + QStringLiteral("/b/"));
    QVERIFY(sink.reports.isEmpty());
}

void TestAutoMove::nothingMoves_data() {
    QTest::addColumn<bool>("destinationTaken");
    QTest::addColumn<bool>("upperCaseBase");
    QTest::newRow("destination exists") << true << false;
    // The destination is then the file's own folder, where the file already stands.
    QTest::newRow("base folder of other case") << false << true;
}

void TestAutoMove::nothingMoves() {
    QFETCH_GLOBAL(nw::PairSearch, search);
    QFETCH(bool, destinationTaken);
    QFETCH(bool, upperCaseBase);

    Trees trees;
    trees.scanned.write(QStringLiteral("a/song.mp3"), "aaaa");
    trees.scanned.write(QStringLiteral("b/song.mp3"), "bbbb");
    if (destinationTaken)
        trees.target.write(QStringLiteral("b/song.mp3"), "already here");
    ScanSettings s = trees.settings();
    if (upperCaseBase)
        s.baseFolder = s.baseFolder.toUpper();

    RecordingSink sink;
    RecordingView view;
    QCOMPARE(runScan(s, view.rows, view, search), ScanStatus::Done);
    QCOMPARE(view.rows.count(), 1);
    QCOMPARE(trees.scanned.read(QStringLiteral("a/song.mp3")), QByteArray("aaaa"));
    QCOMPARE(trees.scanned.read(QStringLiteral("b/song.mp3")), QByteArray("bbbb"));
    if (destinationTaken)
        QCOMPARE(trees.target.read(QStringLiteral("b/song.mp3")), QByteArray("already here"));
    else
        QVERIFY(QDir(trees.target.path()).isEmpty());
    QVERIFY(trees.moveLines().isEmpty());
    QVERIFY(sink.reports.isEmpty());
}

void TestAutoMove::missingParentEndsWithError() {
    QFETCH_GLOBAL(nw::PairSearch, search);

    Trees trees;
    // Rows are handled newest first: z/ (one level, created) before a/deep/ (two levels).
    trees.scanned.write(QStringLiteral("a/deep/one.mp3"));
    trees.scanned.write(QStringLiteral("a/deep/one.wav"));
    trees.scanned.write(QStringLiteral("z/two.mp3"));
    trees.scanned.write(QStringLiteral("z/two.wav"));

    RecordingSink sink;
    RecordingView view;
    QCOMPARE(runScan(trees.settings(), view.rows, view, search), ScanStatus::Error);
    QCOMPARE(view.secsPanel, QStringLiteral("Error"));
    QCOMPARE(sink.reports, QStringList{"frmMain/ScanDir_Click/76"});
    QCOMPARE(view.rows.count(), 2);
    QCOMPARE(view.fileNamePanel, QStringLiteral("Found: 2"));
    // The earlier move stays made and logged.
    QVERIFY(trees.target.exists(QStringLiteral("z/two.wav")));
    QVERIFY(!trees.scanned.exists(QStringLiteral("z/two.wav")));
    QVERIFY(trees.scanned.exists(QStringLiteral("a/deep/one.wav")));
    QVERIFY(!trees.target.exists(QStringLiteral("a")));
    QCOMPARE(trees.moveLines(), trees.expand({QStringLiteral("Move: {s}z/two.wav to {t}z/")}));
    // The pair lines of the scan are all there.
    QCOMPARE(trees.scanned.read(QStringLiteral("Log.txt")).count("\r\n"), 2);
}

void TestAutoMove::failedMoveLeavesNoTrace_data() {
    QTest::addColumn<bool>("logUnwritable"); // a folder named Move.txt
    QTest::addColumn<int>("failingRename");  // which rename fails, 0 for none
    QTest::addColumn<QStringList>("reports");
    QTest::addColumn<QStringList>("moved");

    // The folder made for the move goes again.
    QTest::newRow("move fails") << false << 1 << QStringList{"frmMain/ScanDir_Click/61"}
                                << QStringList{};
    // A move that cannot be recorded is taken back, so Move.txt tells of every moved file.
    QTest::newRow("Move.txt cannot be written")
        << true << 0 << QStringList{"frmMain/ScanDir_Click/75"} << QStringList{};
    // Then the user is told of both faults, the second naming the file left in the target.
    QTest::newRow("Move.txt cannot be written, nor the move taken back")
        << true << 2 << QStringList{"Global/WriteLog/75", "frmMain/ScanDir_Click/61"}
        << QStringList{"z/two.wav"};
}

void TestAutoMove::failedMoveLeavesNoTrace() {
    QFETCH_GLOBAL(nw::PairSearch, search);
    QFETCH(bool, logUnwritable);
    QFETCH(int, failingRename);
    QFETCH(QStringList, reports);
    QFETCH(QStringList, moved);

    Trees trees;
    for (const QString& f : TwoRows)
        trees.scanned.write(f);
    if (logUnwritable)
        trees.scanned.mkdir(QStringLiteral("Move.txt"));
    int renames = 0;
    const ScopedService fault(fs::moveFaultHookService(), [&](fs::MoveStep step) {
        return step == fs::MoveStep::Rename && ++renames == failingRename ? ENOSPC : 0;
    });

    RecordingSink sink;
    RecordingView view;
    QCOMPARE(runScan(trees.settings(), view.rows, view, search), ScanStatus::Error);
    QCOMPARE(view.secsPanel, QStringLiteral("Error"));
    QCOMPARE(sink.reports, reports);
    QCOMPARE(view.fileNamePanel, QStringLiteral("Found: 2"));
    QCOMPARE(trees.layout(), layoutAfter(moved));
    if (!logUnwritable)
        QVERIFY(!trees.scanned.exists(QStringLiteral("Move.txt")));
}

void TestAutoMove::stopEndsPassAfterFileInHand_data() {
    QTest::addColumn<QString>("stopAt");
    QTest::addColumn<QStringList>("moved");

    QTest::newRow("between files") << "yield after a move" << QStringList{"z/two.wav"};
    QTest::newRow("during a rename") << "rename" << QStringList{"z/two.wav"};
    // The copy is abandoned: no part of it stays, nor the folder made for it.
    QTest::newRow("during a copy") << "yield in a copy" << QStringList{};
}

void TestAutoMove::stopEndsPassAfterFileInHand() {
    QFETCH_GLOBAL(nw::PairSearch, search);
    QFETCH(QString, stopAt);
    QFETCH(QStringList, moved);

    Trees trees;
    for (const QString& f : TwoRows)
        trees.scanned.write(f, "content");
    bool copying = false;
    const ScopedService fault(fs::moveFaultHookService(), [&](fs::MoveStep step) {
        if (step == fs::MoveStep::CopyBlock)
            copying = true;
        if (step == fs::MoveStep::Rename && stopAt == QLatin1String("rename"))
            StopFlag = true;
        // As if the target were on another device: every move copies.
        return step == fs::MoveStep::Rename && stopAt == QLatin1String("yield in a copy") ? EXDEV
                                                                                          : 0;
    });
    RecordingView view;
    view.onYield = [&](RecordingView&) {
        if (stopAt == QLatin1String("yield after a move") ? trees.scanned.exists("Move.txt")
            : stopAt == QLatin1String("yield in a copy")  ? copying
                                                          : false)
            StopFlag = true;
    };

    RecordingSink sink;
    QCOMPARE(runScan(trees.settings(), view.rows, view, search), ScanStatus::Canceled);
    QCOMPARE(view.secsPanel, QStringLiteral("Canceled"));
    QVERIFY(sink.reports.isEmpty());
    QCOMPARE(trees.layout(), layoutAfter(moved));
    QStringList lines;
    for (const QString& f : moved)
        lines << QStringLiteral("Move: {s}%1 to {t}%2/").arg(f, f.section(QLatin1Char('/'), 0, 0));
    QCOMPARE(trees.moveLines(), trees.expand(lines));
}

void TestAutoMove::moveLogGrowsAcrossScans_data() {
    QTest::addColumn<QString>("separator");
    QTest::newRow("target without separator") << "";
    QTest::newRow("target with separator") << "/";
}

void TestAutoMove::moveLogGrowsAcrossScans() {
    QFETCH_GLOBAL(nw::PairSearch, search);
    QFETCH(QString, separator);

    Trees trees;
    trees.scanned.write(QStringLiteral("x.txt"), "1");
    trees.scanned.write(QStringLiteral("sub/x.txt"), "22");
    ScanSettings s = trees.settings();
    s.autoMoveDir = trees.target.path() + separator;

    RecordingView first;
    QCOMPARE(runScan(s, first.rows, first, search), ScanStatus::Done);
    trees.scanned.write(QStringLiteral("y.txt"), "1");
    trees.scanned.write(QStringLiteral("sub/y.txt"), "22");
    RecordingView second;
    QCOMPARE(runScan(s, second.rows, second, search), ScanStatus::Done);

    // File one is the later x.txt ("sub" lists first); equal shown sizes, so it moves.
    QCOMPARE(trees.moveLines(), trees.expand({QStringLiteral("Move: {s}x.txt to {t}"),
                                              QStringLiteral("Move: {s}y.txt to {t}")}));
    QVERIFY(trees.target.exists(QStringLiteral("x.txt")));
    QVERIFY(trees.target.exists(QStringLiteral("y.txt")));
}

QTEST_GUILESS_MAIN(TestAutoMove)
#include "test_automove.moc"
