#include "ErrorCodes.h"
#include "FileSystem.h"
#include "RecordingShell.h"
#include "RowsTestKit.h"
#include "Texts.h"

#include <QAction>
#include <QFile>
#include <QLocale>
#include <QStandardPaths>
#include <QUuid>

#include <cerrno>

using namespace nw;
using namespace nw::test;

namespace {

// Keeps the reports with their details.
class DetailSink : public ErrorSink {
public:
    DetailSink() { previous_ = setErrorSink(this); }
    ~DetailSink() override { setErrorSink(previous_); }
    DetailSink(const DetailSink&) = delete;
    DetailSink& operator=(const DetailSink&) = delete;
    void showError(const QString& module, const QString& procedure,
                   const ErrorInfo& error) override {
        reports << QStringLiteral("%1/%2/%3").arg(module, procedure).arg(error.number);
        details << error.detail;
    }
    QStringList reports;
    QStringList details;

private:
    ErrorSink* previous_ = nullptr;
};

void trigger(const MainWindow& window, const char* item) {
    child<QAction>(window, QString::fromUtf8(item))->trigger();
}

} // namespace

class TestFileActions : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void openFolderAndLog();
    void deleteAsked_data();
    void deleteAsked();
    void sweepTakesEveryPairOfTheName();
    void deleteOfVanishedFile();
    void moveIntoFolder_data();
    void moveIntoFolder();
    void moveIntoRoot();
    void moveOntoExistingName_data();
    void moveOntoExistingName();
    void cancelledMoveChangesNothing();
    void removeItem_data();
    void removeItem();
    void prefixInsideNames();

private:
    QString folder(const QString& relative) const { return tree_->file(relative) + '/'; }
    // Adds a pair of files of the tree, sizes as the scan shows them; the first is file one.
    void addPair(const QString& file1, const QString& file2);
    // Selects row `row` (from 0) with a left press, which prepares the menu for it.
    void choose(int row) { pressList(*window_, row, Qt::LeftButton); }

    ScriptedDialogs dialogs_;
    RecordingShell shell_;
    std::unique_ptr<DetailSink> errors_;
    std::unique_ptr<TestDir> tree_;
    std::unique_ptr<MainWindow> window_;
};

void TestFileActions::initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestFileActions::init() {
    errors_ = std::make_unique<DetailSink>();
    tree_ = std::make_unique<TestDir>();
    tree_->write("a/song.mp3", QByteArray(3000, 'a'));
    tree_->write("b/song.mp3", QByteArray(2000, 'b'));
    tree_->write("c/song.mp3", QByteArray(1000, 'c'));
    tree_->write("n/notes.txt", QByteArray(500, 'n'));
    tree_->write("n/notez.txt", QByteArray(400, 'z'));
    window_ = makeWindow(*tree_, tree_->path());
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    dialogs_.messages.clear();
    dialogs_.prompts.clear();
    dialogs_.answers.clear();
    dialogs_.folders.clear();
    shell_.urls.clear();
}

void TestFileActions::cleanup() {
    fs::setMoveFaultHook({});
    window_.reset();
    tree_.reset();
    errors_.reset();
}

void TestFileActions::addPair(const QString& file1, const QString& file2) {
    const auto size = [&](const QString& file) { return kilobyteText(tree_->read(file).size()); };
    const auto split = [&](const QString& file) {
        const qsizetype slash = file.lastIndexOf('/');
        return std::pair{file.mid(slash + 1), folder(file.left(slash))};
    };
    const auto [name1, folder1] = split(file1);
    const auto [name2, folder2] = split(file2);
    window_->addRowAtTop(pairRow(name1, size(file1), folder1, name2, size(file2), folder2));
    window_->setRowsSorted(true);
}

void TestFileActions::openFolderAndLog() {
    addPair("b/song.mp3", "a/song.mp3");
    choose(0);
    trigger(*window_, "mnuOption1_0");
    trigger(*window_, "mnuOption2_0");
    trigger(*window_, "OpenLogText");
    const auto url = [](const QString& path) {
        return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    };
    QCOMPARE(shell_.urls,
             QStringList({url(folder("a")), url(folder("b")), url(tree_->file("Log.txt"))}));
    QCOMPARE(shownRows(*window_).size(), 1);
    QCOMPARE(errors_->reports, QStringList());
}

void TestFileActions::deleteAsked_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("Yes deletes") << true;
    QTest::newRow("No keeps the file") << false;
}

void TestFileActions::deleteAsked() {
    QFETCH(bool, yes);
    addPair("n/notez.txt", "n/notes.txt");
    addPair("c/song.mp3", "b/song.mp3");
    const QStringList before = shownRows(*window_);
    dialogs_.answers << (yes ? MessageAnswer::Yes : MessageAnswer::No);
    choose(0); // notez.txt (file one, smaller) against notes.txt
    trigger(*window_, "mnuOption2_1");

    QCOMPARE(dialogs_.messages,
             QStringList({"Confirmation|Are you sure you want to delete\nDelete: notez.txt?"}));
    QCOMPARE(tree_->exists("n/notez.txt"), !yes);
    QVERIFY(tree_->exists("n/notes.txt"));
    // Either way the rows naming the file leave the list.
    QCOMPARE(shownRows(*window_), QStringList({before.at(1)}));
    QCOMPARE(errors_->reports, QStringList());
}

void TestFileActions::sweepTakesEveryPairOfTheName() {
    // Three pairs of one name, as a scan in list order a, b, c gives them; the name as file two
    // only; the name in other letters; another pair.
    tree_->write("n/Song.mp3", "S");
    tree_->write("n/son.mp3", "s");
    addPair("b/song.mp3", "a/song.mp3");
    addPair("c/song.mp3", "a/song.mp3");
    addPair("c/song.mp3", "b/song.mp3");
    addPair("n/son.mp3", "c/song.mp3");
    addPair("n/Song.mp3", "n/son.mp3");
    addPair("n/notez.txt", "n/notes.txt");
    const QStringList before = shownRows(*window_);
    QCOMPARE(before.size(), 6);
    const QStringList others = {before.at(rowWith(*window_, "notez.txt|")),
                                before.at(rowWith(*window_, "Song.mp3|"))};
    dialogs_.answers << MessageAnswer::Yes;
    choose(rowWith(*window_, folder("b") + "|9 chrs|")); // b against a: a is larger
    trigger(*window_, "mnuOption1_1");

    QVERIFY(!tree_->exists("a/song.mp3"));
    QVERIFY(tree_->exists("b/song.mp3"));
    QVERIFY(tree_->exists("c/song.mp3"));
    QCOMPARE(shownRows(*window_), others);
}

void TestFileActions::deleteOfVanishedFile() {
    addPair("c/song.mp3", "b/song.mp3");
    QVERIFY(QFile::remove(tree_->file("b/song.mp3")));
    dialogs_.answers << MessageAnswer::Yes;
    choose(0);
    trigger(*window_, "mnuOption1_1");
    QCOMPARE(shownRows(*window_), QStringList());
    QVERIFY(tree_->exists("c/song.mp3"));
    QCOMPARE(errors_->reports, QStringList());
}

void TestFileActions::moveIntoFolder_data() {
    QTest::addColumn<QString>("chosen"); // relative to the tree
    QTest::newRow("folder") << "dest";
    QTest::newRow("folder ending with a separator") << "dest/";
}

void TestFileActions::moveIntoFolder() {
    QFETCH(QString, chosen);
    tree_->mkdir("dest");
    addPair("n/notez.txt", "n/notes.txt");
    addPair("c/song.mp3", "b/song.mp3");
    dialogs_.folders << tree_->file(chosen);
    choose(0);
    trigger(*window_, "mnuOption1_2"); // notes.txt, the larger

    QCOMPARE(dialogs_.prompts, QStringList({"Move ''notes.txt'' to:|new"}));
    QVERIFY(!tree_->exists("n/notes.txt"));
    QCOMPARE(tree_->read("dest/notes.txt"), QByteArray(500, 'n'));
    QCOMPARE(shownRows(*window_).size(), 1);
    QVERIFY(shownRows(*window_).first().startsWith("song.mp3|"));
    QCOMPARE(errors_->reports, QStringList());
}

void TestFileActions::moveIntoRoot() {
    // The move is stopped where it would publish the file: a root must not be written to.
    const QString name = QUuid::createUuid().toString(QUuid::WithoutBraces) + ".txt";
    tree_->write("r/" + name, "keep");
    tree_->write("s/" + name, "keep too");
    addPair("r/" + name, "s/" + name);
    fs::setMoveFaultHook(
        [](fs::MoveStep step) { return step == fs::MoveStep::Rename ? EEXIST : 0; });
    dialogs_.folders << QStringLiteral("/");
    choose(0);
    trigger(*window_, "mnuOption2_2"); // the smaller: file one

    QCOMPARE(errors_->reports, QStringList({"frmMain/mnuOption2_Click/58"}));
    QCOMPARE(errors_->details, QStringList({"/" + name}));
    QCOMPARE(tree_->read("r/" + name), QByteArray("keep"));
    QVERIFY(!QFile::exists("/" + name));
    QCOMPARE(shownRows(*window_).size(), 1);
}

void TestFileActions::moveOntoExistingName_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("procedure");
    QTest::newRow("larger") << "mnuOption1_2"
                            << "mnuOption1_Click";
    QTest::newRow("smaller") << "mnuOption2_2"
                             << "mnuOption2_Click";
}

void TestFileActions::moveOntoExistingName() {
    QFETCH(QString, item);
    QFETCH(QString, procedure);
    addPair("c/song.mp3", "b/song.mp3");
    const QStringList before = shownRows(*window_);
    dialogs_.folders << tree_->file("a"); // a/song.mp3 stands there
    choose(0);
    trigger(*window_, qPrintable(item));

    QCOMPARE(errors_->reports, QStringList({"frmMain/" + procedure + "/58"}));
    QCOMPARE(tree_->read("a/song.mp3"), QByteArray(3000, 'a'));
    QCOMPARE(tree_->read("b/song.mp3"), QByteArray(2000, 'b'));
    QCOMPARE(tree_->read("c/song.mp3"), QByteArray(1000, 'c'));
    QCOMPARE(shownRows(*window_), before);
}

void TestFileActions::cancelledMoveChangesNothing() {
    addPair("n/notez.txt", "n/notes.txt");
    addPair("c/song.mp3", "b/song.mp3");
    const QStringList before = shownRows(*window_);
    choose(0);
    trigger(*window_, "mnuOption1_2"); // no folder scripted: cancelled
    QCOMPARE(dialogs_.prompts.size(), 1);
    QVERIFY(tree_->exists("n/notes.txt"));
    QVERIFY(tree_->exists("n/notez.txt"));
    QCOMPARE(shownRows(*window_), before);
    QCOMPARE(errors_->reports, QStringList());
}

void TestFileActions::removeItem_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("Yes") << true;
    QTest::newRow("No") << false;
}

void TestFileActions::removeItem() {
    QFETCH(bool, yes);
    addPair("b/song.mp3", "a/song.mp3");
    addPair("c/song.mp3", "a/song.mp3");
    const QStringList before = shownRows(*window_);
    dialogs_.answers << (yes ? MessageAnswer::Yes : MessageAnswer::No);
    choose(1);
    trigger(*window_, "mnuRemove");

    QCOMPARE(dialogs_.messages,
             QStringList({"Remove|Are you sure you want to remove\n''song.mp3''?|critical"}));
    QCOMPARE(shownRows(*window_), yes ? QStringList({before.at(0)}) : before);
    for (const char* file : {"a/song.mp3", "b/song.mp3", "c/song.mp3"})
        QVERIFY(tree_->exists(QString::fromUtf8(file)));
}

void TestFileActions::prefixInsideNames() {
    tree_->write("Open: later/Move: draft.txt", QByteArray(900, 'd'));
    tree_->write("n/Move: draft.txt", QByteArray(100, 'e'));
    tree_->mkdir("dest");
    addPair("Open: later/Move: draft.txt", "n/Move: draft.txt");
    addPair("n/notez.txt", "n/notes.txt");
    choose(0);
    trigger(*window_, "mnuOption1_0");
    QCOMPARE(
        shell_.urls,
        QStringList({QUrl::fromLocalFile(folder("Open: later")).toString(QUrl::FullyEncoded)}));

    dialogs_.folders << tree_->file("dest");
    trigger(*window_, "mnuOption1_2");
    QCOMPARE(tree_->read("dest/Move: draft.txt"), QByteArray(900, 'd'));
    QVERIFY(tree_->exists("n/Move: draft.txt"));
    QCOMPARE(shownRows(*window_).size(), 1);
    QVERIFY(shownRows(*window_).first().startsWith("notez.txt|"));
}

QTEST_MAIN(TestFileActions)
#include "test_file_actions.moc"
