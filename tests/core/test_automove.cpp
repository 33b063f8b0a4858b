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
        return {.scanFolder = scanned.path() + QLatin1Char('/'),
                .baseFolder = scanned.path(),
                .autoMove = true,
                .autoMoveDir = target.path() + QLatin1Char('/')};
    }
    QStringList moveLines() const { return crlfLines(scanned.read(QStringLiteral("Move.txt"))); }
    // The Move.txt lines of files moved to the same folders in the target.
    QStringList moves(const QStringList& moved) const {
        QStringList out;
        for (const QString& f : moved)
            out << QStringLiteral("Move: %1/%2 to %3/%4/")
                       .arg(scanned.path(), f, target.path(), f.section(QLatin1Char('/'), 0, 0));
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

// The layout when the files of moved, and their folders, stand in the target, the other files
// in the scanned tree.
QStringList layoutAfter(const QStringList& moved, const QStringList& files) {
    QStringList out;
    for (const QString& f : files) {
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

void passColumns() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QStringList>("reports");
    QTest::addColumn<QStringList>("moved"); // what then stands in the target
}

} // namespace

class TestAutoMove : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void initTestCase_data();
    void init() { StopFlag = CRCSkipFlag = false; }

    void destination_data();
    void destination();
    void targetRefused();

    void whichFileMoves_data();
    void whichFileMoves();
    void failedMoveLeavesNoTrace_data();
    void failedMoveLeavesNoTrace() { passLeavesNoTrace(); }
    void stopEndsPassAfterFileInHand_data();
    void stopEndsPassAfterFileInHand() { passLeavesNoTrace(); }

private:
    void passLeavesNoTrace();
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

    dest("base with separator", "/music/rock/", "/music/", "/dupes/", "/dupes/rock/");
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

// The folder list's path anywhere in the target refuses it, and letter case counts.
void TestAutoMove::targetRefused() {
    QVERIFY(autoMoveTargetRefused(QStringLiteral("/a"), QStringLiteral("/b/a/c/")));
    QVERIFY(!autoMoveTargetRefused(QStringLiteral("/home/u/Music"),
                                   QStringLiteral("/home/u/music/dupes/")));
}

void TestAutoMove::whichFileMoves_data() {
    QTest::addColumn<int>("sizeA");
    QTest::addColumn<int>("sizeB");
    QTest::addColumn<bool>("upperCaseBase");
    QTest::addColumn<QStringList>("moved");

    // File one is b/song.mp3, the later file; it moves unless it shows as the larger one, and
    // 10400 and 10401 bytes both show as 10.4.
    QTest::newRow("equal as shown: file one")
        << 10400 << 10401 << false << QStringList{"b/song.mp3"};
    // Sizes are read back with their digit grouping: 1,234.6 is neither 1 nor 0.
    QTest::newRow("grouped size") << 1100 << 1234567 << false << QStringList{"a/song.mp3"};
    // The destination is then the file's own folder, where the file already stands.
    QTest::newRow("base folder of other case") << 4 << 4 << true << QStringList{};
}

void TestAutoMove::whichFileMoves() {
    QFETCH_GLOBAL(nw::PairSearch, search);
    QFETCH(int, sizeA);
    QFETCH(int, sizeB);
    QFETCH(bool, upperCaseBase);
    QFETCH(QStringList, moved);

    Trees trees;
    const QStringList files = {"a/song.mp3", "b/song.mp3"};
    trees.scanned.write(files[0], QByteArray(sizeA, 'a'));
    trees.scanned.write(files[1], QByteArray(sizeB, 'b'));
    trees.scanned.write(QStringLiteral("Move.txt"), "earlier scan\r\n"); // is added to
    ScanSettings s = trees.settings();
    if (upperCaseBase)
        s.baseFolder = s.baseFolder.toUpper();

    RecordingSink sink;
    RecordingView view;
    QCOMPARE(runScan(s, view.rows, view, search), ScanStatus::Done);
    QCOMPARE(view.rows.count(), 1);
    // The rows still show the old folders.
    QCOMPARE(view.rows.cell(1, ColFPath1), trees.scanned.path() + QStringLiteral("/b/"));
    QCOMPARE(trees.layout(), layoutAfter(moved, files));
    QCOMPARE(trees.moveLines(), QStringList{"earlier scan"} + trees.moves(moved));
    // Each line written, the row's to Log.txt and each move's to Move.txt, shows "Logging".
    QCOMPARE(view.secsTexts.count(QStringLiteral("Logging")), 1 + moved.size());
    QVERIFY(sink.reports.isEmpty());
}

void TestAutoMove::failedMoveLeavesNoTrace_data() {
    passColumns();
    const QStringList none;
    // The folder made for the move goes again.
    QTest::newRow("move fails") << "rename 1 fails" << QStringList{"frmMain/ScanDir_Click/61"}
                                << none;
    // A move that cannot be recorded is taken back, so Move.txt tells of every moved file.
    QTest::newRow("Move.txt cannot be written")
        << "no log" << QStringList{"frmMain/ScanDir_Click/75"} << none;
    // Then the user is told of both faults, the second naming the file left in the target.
    QTest::newRow("Move.txt cannot be written, nor the move taken back")
        << "no log, rename 2 fails" << QStringList{"Global/WriteLog/75", "frmMain/ScanDir_Click/61"}
        << QStringList{"z/two.wav"};
    // a/deep/ is two levels below the target; the earlier move stays made and logged.
    QTest::newRow("missing parent folder")
        << "deep" << QStringList{"frmMain/ScanDir_Click/76"} << QStringList{"z/two.wav"};
}

void TestAutoMove::stopEndsPassAfterFileInHand_data() {
    passColumns();
    const QStringList z = {"z/two.wav"};
    QTest::newRow("between files") << "stop after a move" << QStringList{} << z;
    QTest::newRow("during a rename") << "stop in a rename" << QStringList{} << z;
    // The copy is abandoned: no part of it stays, nor the folder made for it.
    QTest::newRow("during a copy") << "stop in a copy" << QStringList{} << QStringList{};
}

// One pass over two rows, with a fault or a Stop; reports none when the pass ends Canceled.
void TestAutoMove::passLeavesNoTrace() {
    QFETCH_GLOBAL(nw::PairSearch, search);
    QFETCH(QString, fault);
    QFETCH(QStringList, reports);
    QFETCH(QStringList, moved);

    Trees trees;
    QStringList files = TwoRows;
    if (fault == QLatin1String("deep"))
        files.replaceInStrings(QStringLiteral("a/"), QStringLiteral("a/deep/"));
    for (const QString& f : files)
        trees.scanned.write(f, "content");
    if (fault.startsWith(QLatin1String("no log")))
        trees.scanned.mkdir(QStringLiteral("Move.txt"));
    int renames = 0;
    bool copying = false;
    const ScopedService hook(fs::moveFaultHookService(), [&](fs::MoveStep step) {
        copying = copying || step == fs::MoveStep::CopyBlock;
        if (step != fs::MoveStep::Rename)
            return 0;
        if (fault == QLatin1String("stop in a rename"))
            StopFlag = true;
        if (fault == QLatin1String("stop in a copy"))
            return EXDEV; // as if the target were on another device: every move copies
        return fault.contains(QStringLiteral("rename %1 fails").arg(++renames)) ? ENOSPC : 0;
    });
    RecordingView view;
    view.onYield = [&](RecordingView&) {
        if (fault == QLatin1String("stop after a move") ? trees.scanned.exists("Move.txt")
            : fault == QLatin1String("stop in a copy")  ? copying
                                                        : false)
            StopFlag = true;
    };

    RecordingSink sink;
    const ScanStatus status = runScan(trees.settings(), view.rows, view, search);
    QCOMPARE(status, reports.isEmpty() ? ScanStatus::Canceled : ScanStatus::Error);
    QCOMPARE(sink.reports, reports);
    QCOMPARE(view.fileNamePanel, QStringLiteral("Found: 2"));
    QCOMPARE(trees.layout(), layoutAfter(moved, files));
    if (!fault.startsWith(QLatin1String("no log")))
        QCOMPARE(trees.moveLines(), trees.moves(moved));
}

QTEST_GUILESS_MAIN(TestAutoMove)
#include "test_automove.moc"
