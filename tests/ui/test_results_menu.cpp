#include "core/Texts.h"
#include "platform/FileSystem.h"
#include "support/RecordingShell.h"
#include "support/RecordingView.h"
#include "support/WindowTestKit.h"
#include "ui/ExternalPages.h"
#include "ui/ResultsModel.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QUuid>

#include <cerrno>
#include <optional>
#include <utility>

using namespace nw;
using namespace nw::test;

namespace {

QStringList optionTexts(const MainWindow& window, int array) {
    QStringList texts;
    for (int index = 0; index < 3; ++index)
        texts << child<QAction>(window, QStringLiteral("mnuOption%1_%2").arg(array).arg(index))
                     ->text();
    return texts;
}

// The row chosen in the list, -1 for none.
int chosenRow(const MainWindow& window) {
    const QModelIndexList rows =
        child<QTreeView>(window, "FListView")->selectionModel()->selectedRows();
    return rows.size() == 1 ? rows.first().row() : -1;
}

QStringList visibleItems(const QMenu* menu) {
    QStringList items;
    for (const QAction* action : menu->actions()) {
        if (action->isVisible())
            items << action->text();
    }
    return items;
}

} // namespace

// The pop-up menu of the results list, what its items do to files and rows, and the options
// that change them.
class TestResultsMenu : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        dialogs_.emplace();
        shell_.emplace();
        errors_ = std::make_unique<RecordingSink>();
        tree_ = std::make_unique<TestDir>();
        tree_->write("a/song.mp3", QByteArray(3000, 'a'));
        tree_->write("b/song.mp3", QByteArray(2000, 'b'));
        tree_->write("c/song.mp3", QByteArray(1000, 'c'));
        tree_->write("n/notes.txt", QByteArray(500, 'n'));
        tree_->write("n/notez.txt", QByteArray(400, 'z'));
        window_ = makeWindow(*tree_, tree_->path());
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }
    void cleanup() {
        const QStringList unexpected = errors_->reports;
        popup()->hide();
        window_.reset();
        tree_.reset();
        errors_.reset();
        QLocale::setDefault(QLocale::c());
        QCOMPARE(unexpected, QStringList());
    }

    void sortsByColumnTextAscending() {
        window_->results()->addAtTop(pairRow("b.mp3", "9.5", "/x/", "b2.mp3", "1.0", "/y/"));
        window_->results()->addAtTop(pairRow("c.mp3", "10.0", "/x/", "0c.mp3", "1.0", "/y/"));
        window_->results()->addAtTop(pairRow("a.mp3", "10.0", "/x/", "a2.mp3", "1.0", "/y/"));
        window_->results()->setSorted(true);
        QHeaderView* header = child<QTreeView>(*window_, "FListView")->header();
        const auto clickHeader = [&](int section) {
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(section) + 5, 5));
        };
        const auto column = [this](int c) {
            QStringList cells;
            for (const QString& row : shownRows(*window_))
                cells << row.section(QLatin1Char('|'), c, c);
            return cells;
        };
        clickHeader(4);
        QCOMPARE(column(4), QStringList({"0c.mp3", "a2.mp3", "b2.mp3"}));
        // Sizes as text: 10.0 before 9.5; equal sizes in File One order, whatever came before.
        clickHeader(1);
        QCOMPARE(column(0), QStringList({"a.mp3", "c.mp3", "b.mp3"}));
        clickHeader(1);
        QCOMPARE(column(0), QStringList({"a.mp3", "c.mp3", "b.mp3"}));
    }

    void largerAndSmaller_data() {
        QTest::addColumn<QStringList>("localeAndSizes");
        QTest::addColumn<bool>("twoLarger");
        QTest::newRow("grouped one larger") << QStringList{"en_US", "1,234.5", "987.0"} << false;
        QTest::newRow("grouped two larger") << QStringList{"en_US", "987.0", "1,234.5"} << true;
        QTest::newRow("equal sizes: file two") << QStringList{"en_US", "5.0", "5.0"} << true;
        QTest::newRow("German grouping") << QStringList{"de_DE", "1.234,5", "987,0"} << false;
    }
    void largerAndSmaller() {
        QFETCH(QStringList, localeAndSizes);
        QFETCH(bool, twoLarger);
        QLocale::setDefault(QLocale(localeAndSizes.at(0)));
        window_->results()->addAtTop(pairRow("one.mp3", localeAndSizes.at(1), "/m/one/", "two.mp3",
                                             localeAndSizes.at(2), "/m/two/"));
        pressList(*window_, 0, Qt::LeftButton);
        const QStringList one = {"Open: /m/one/", "Delete: one.mp3", "Move: one.mp3"};
        const QStringList two = {"Open: /m/two/", "Delete: two.mp3", "Move: two.mp3"};
        QCOMPARE(optionTexts(*window_, 1), twoLarger ? two : one);
        QCOMPARE(optionTexts(*window_, 2), twoLarger ? one : two);
    }

    void pressesOnTheList() {
        // An empty list: no menu, nothing reported, the items left alone.
        const QStringList before = optionTexts(*window_, 1);
        pressList(*window_, -1, Qt::RightButton);
        QVERIFY(!popup()->isVisible());
        QCOMPARE(optionTexts(*window_, 1), before);
        // Rows but none chosen: reported.
        window_->results()->addAtTop(pairRow("A & B.mp3", "2.0", "/x/", "a.mp3", "1.0", "/y/"));
        window_->results()->addAtTop(pairRow("b.mp3", "1.0", "/x/", "b.mp3", "2.0", "/y/"));
        pressList(*window_, -1, Qt::RightButton);
        QVERIFY(!popup()->isVisible());
        QCOMPARE(reported(), QStringList({"frmMain/FListView_MouseDown/91"}));
        // The left button prepares the menu for its row, the right one shows it as well. A
        // menu text shows "&" doubled, as itself.
        pressList(*window_, 1, Qt::LeftButton);
        QVERIFY(!popup()->isVisible());
        QCOMPARE(optionTexts(*window_, 1),
                 QStringList({"Open: /x/", "Delete: A && B.mp3", "Move: A && B.mp3"}));
        pressList(*window_, 0, Qt::RightButton);
        QVERIFY(popup()->isVisible());
        QCOMPARE(optionTexts(*window_, 1).first(), QStringLiteral("Open: /y/"));
        QCOMPARE(visibleItems(popup()),
                 QStringList({"Open: Log.txt", "Remove Item", "Largest File", "Smallest File"}));
        // Once a row is chosen, a press beside the rows keeps it.
        popup()->hide();
        pressList(*window_, -1, Qt::RightButton);
        QVERIFY(popup()->isVisible());
        QCOMPARE(optionTexts(*window_, 1).first(), QStringLiteral("Open: /y/"));
    }

    void deleteOrRemove_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<bool>("vanished"); // the file is gone before the answer
        QTest::newRow("Yes deletes") << "mnuOption1_1" << true << false;
        QTest::newRow("No keeps the file") << "mnuOption1_1" << false << false;
        QTest::newRow("a file gone meanwhile") << "mnuOption1_1" << true << true;
        QTest::newRow("Remove Item, Yes: the row only") << "mnuRemove" << true << false;
        QTest::newRow("Remove Item, No") << "mnuRemove" << false << false;
    }
    void deleteOrRemove() {
        QFETCH(QString, item);
        QFETCH(bool, yes);
        QFETCH(bool, vanished);
        // Three pairs of one name, as a scan in list order a, b, c gives them; the name as file
        // two only; the name in other letters; another pair.
        tree_->write("n/Song.mp3", "S");
        tree_->write("n/son.mp3", "s");
        addPair("b/song.mp3", "a/song.mp3");
        addPair("c/song.mp3", "a/song.mp3");
        addPair("c/song.mp3", "b/song.mp3");
        addPair("n/son.mp3", "c/song.mp3");
        addPair("n/Song.mp3", "n/son.mp3");
        addPair("n/notez.txt", "n/notes.txt");
        QStringList rows = shownRows(*window_);
        const int chosen = rowWith(folder("b") + "|9 chrs|"); // b against a: a larger
        if (item == "mnuRemove" && yes)                       // only that row goes
            rows.removeAt(chosen);
        else if (item != "mnuRemove") // the rows naming the file leave the list, either way
            rows = {rows.at(rowWith("notez.txt|")), rows.at(rowWith("Song.mp3|"))};
        if (vanished)
            QVERIFY(QFile::remove(tree_->file("a/song.mp3")));
        dialogs_->answers << (yes ? MessageAnswer::Yes : MessageAnswer::No);
        act(chosen, item);

        QCOMPARE(dialogs_->asked.size(), 1);
        QCOMPARE(tree_->exists("a/song.mp3"), item == "mnuRemove" || (!yes && !vanished));
        QVERIFY(tree_->exists("b/song.mp3") && tree_->exists("c/song.mp3"));
        QCOMPARE(shownRows(*window_), rows);
        // After a removal the first row is chosen, so a press beside the rows has a pair.
        QCOMPARE(chosenRow(*window_), item == "mnuRemove" && !yes ? chosen : 0);
    }

    void moveAsked_data() {
        // The item chosen for the pair of c/ and b/song.mp3, the folder of the tree chosen (a/
        // holds a song.mp3; none: cancelled) and the error reported.
        QTest::addColumn<QStringList>("itemFolderReport");
        QTest::newRow("larger into a folder") << QStringList{"mnuOption1_2", "dest", ""};
        QTest::newRow("larger onto an existing name")
            << QStringList{"mnuOption1_2", "a", "frmMain/mnuOption1_Click/58"};
        QTest::newRow("smaller onto an existing name")
            << QStringList{"mnuOption2_2", "a", "frmMain/mnuOption2_Click/58"};
        QTest::newRow("cancelled") << QStringList{"mnuOption1_2", "", ""};
    }
    void moveAsked() {
        QFETCH(QStringList, itemFolderReport);
        tree_->mkdir("dest");
        addPair("n/notez.txt", "n/notes.txt");
        addPair("c/song.mp3", "b/song.mp3");
        const QStringList before = shownRows(*window_);
        if (!itemFolderReport.at(1).isEmpty())
            dialogs_->folders << tree_->file(itemFolderReport.at(1));
        act(rowWith("song.mp3|"), itemFolderReport.at(0));

        const bool moved = itemFolderReport.at(1) == "dest";
        QCOMPARE(dialogs_->prompts, QStringList({"Move ''song.mp3'' to:|new"}));
        QCOMPARE(dialogs_->starts, QStringList({tree_->path() + '/'})); // the scanned folder
        QCOMPARE(reported().join(','), itemFolderReport.at(2));
        QCOMPARE(tree_->read("a/song.mp3"), QByteArray(3000, 'a'));
        QCOMPARE(tree_->read(moved ? "dest/song.mp3" : "b/song.mp3"), QByteArray(2000, 'b'));
        QCOMPARE(tree_->exists("b/song.mp3"), !moved);
        QCOMPARE(tree_->read("c/song.mp3"), QByteArray(1000, 'c'));
        QCOMPARE(shownRows(*window_), moved ? before.filter("notez.txt|") : before);
    }

    void moveIntoRoot() {
        // The move is stopped where it would publish the file: a root must not be written to.
        const QString name = QUuid::createUuid().toString(QUuid::WithoutBraces) + ".txt";
        tree_->write("r/" + name, "keep");
        tree_->write("s/" + name, "keep too");
        addPair("r/" + name, "s/" + name);
        const ScopedService fault(fs::moveFaultHookService(), [](fs::MoveStep step) {
            return step == fs::MoveStep::Rename ? EEXIST : 0;
        });
        dialogs_->folders << QStringLiteral("/");
        act(0, "mnuOption2_2"); // the smaller: file one

        QCOMPARE(reported(), QStringList({"frmMain/mnuOption2_Click/58"}));
        QCOMPARE(errors_->details, QStringList({"/" + name}));
        QCOMPARE(tree_->read("r/" + name), QByteArray("keep"));
        QVERIFY(!QFile::exists("/" + name));
        QCOMPARE(shownRows(*window_).size(), 1);
    }

    void openAndPrefixInsideNames() {
        // The prefix of an item goes, the same text inside a name stays.
        tree_->write("Open: later/Move: draft.txt", QByteArray(900, 'd'));
        tree_->write("n/Move: draft.txt", QByteArray(100, 'e'));
        tree_->mkdir("dest");
        addPair("Open: later/Move: draft.txt", "n/Move: draft.txt");
        addPair("n/notez.txt", "n/notes.txt");
        act(0, "mnuOption1_0");
        act(0, "mnuOption2_0");
        child<QAction>(*window_, "OpenLogText")->trigger();
        QCOMPARE(shell_->urls, QStringList({url(folder("Open: later")), url(folder("n")),
                                            url(tree_->file("Log.txt"))}));

        dialogs_->folders << tree_->file("dest");
        act(0, "mnuOption1_2");
        QCOMPARE(tree_->read("dest/Move: draft.txt"), QByteArray(900, 'd'));
        QVERIFY(tree_->exists("n/Move: draft.txt"));
        QCOMPARE(shownRows(*window_).size(), 1);
        QVERIFY(shownRows(*window_).first().startsWith("notez.txt|"));
    }

    void autoMoveTarget_data() {
        // The folder dialog's answer for a search of @/Data and AutoMoveDir afterwards (empty:
        // refused, or cancelled when the answer is empty); "@" is the temporary tree. The
        // refusal rule itself is the engine's; these rows check what the window hands it.
        QTest::addColumn<QStringList>("folders");
        QTest::newRow("the folder itself") << QStringList{"@/Data", ""};
        QTest::newRow("elsewhere, separator added") << QStringList{"@/Other", "@/Other/"};
        QTest::newRow("separator not doubled") << QStringList{"@/Other/", "@/Other/"};
        QTest::newRow("a root stays as it is") << QStringList{"/", "/"};
        QTest::newRow("dialog cancelled") << QStringList{"", ""};
    }
    void autoMoveTarget() {
        QFETCH(QStringList, folders);
        folders.replaceInStrings("@", tree_->path());
        tree_->mkdir(QStringLiteral("Data"));
        dialogs_->folders << folders.at(0);
        window_ = makeWindow(*tree_, tree_->file("Data"));
        auto* autoMove = child<QCheckBox>(*window_, "AutoMove");
        autoMove->click();

        QCOMPARE(dialogs_->prompts, QStringList({"Select location for move:|new"}));
        QCOMPARE(dialogs_->starts, QStringList({tree_->file("Data/")}));
        QCOMPARE(child<QLineEdit>(*window_, "AutoMoveDir")->text(), folders.at(1));
        const bool accepted = !folders.at(1).isEmpty();
        QCOMPARE(autoMove->isChecked(), accepted);
        // Refused: said so.
        QCOMPARE(dialogs_->asked.size(), !accepted && !folders.at(0).isEmpty() ? 1 : 0);
        // While on, the menu has neither file menu; unchecking clears the target without asking.
        const QStringList all = {"Open: Log.txt", "Remove Item", "Largest File", "Smallest File"};
        QCOMPARE(visibleItems(popup()), accepted ? all.mid(0, 2) : all);
        autoMove->setChecked(false);
        QVERIFY(child<QLineEdit>(*window_, "AutoMoveDir")->text().isEmpty());
        QCOMPARE(visibleItems(popup()), all);
        QCOMPARE(dialogs_->prompts.size(), 1);
    }

    void scanMovesTheSmallerFile() {
        TestDir tree;
        TestDir target;
        tree.write(QStringLiteral("a/song.mp3"), QByteArray(3000, 'a'));
        tree.write(QStringLiteral("b/song.mp3"), QByteArray(1000, 'b'));
        dialogs_->folders << target.path();
        auto window = makeWindow(tree, tree.path());
        window->setEventInterval(0);
        child<QCheckBox>(*window, "AutoMove")->click();
        child<QPushButton>(*window, "ScanDir")->click();

        QCOMPARE(child<QLineEdit>(*window, "AutoMoveDir")->text(), target.path() + '/');
        QVERIFY(!tree.exists(QStringLiteral("b/song.mp3")));
        QCOMPARE(target.read(QStringLiteral("b/song.mp3")), QByteArray(1000, 'b'));
        QCOMPARE(tree.read(QStringLiteral("a/song.mp3")), QByteArray(3000, 'a'));
        // The option stays on for the next scan, the row stays listed.
        QVERIFY(child<QCheckBox>(*window, "AutoMove")->isChecked());
        QCOMPARE(window->results()->count(), 1);
        QCOMPARE(chosenRow(*window), 0); // as a scan ends, the first row is chosen
    }

    void explanationPage() {
        child<QPushButton>(*window_, "Command1")->click();
        QCOMPARE(
            shell_->urls,
            QStringList({QStringLiteral("https://%1/ld.htm#WHATIS").arg(LevenshteinPageHost)}));
    }

private:
    QMenu* popup() const { return child<QMenu>(*window_, "mnuHidden1"); }
    QString folder(const QString& relative) const { return tree_->file(relative) + '/'; }
    static QString url(const QString& path) {
        return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    }
    // Adds a pair of files of the tree, sizes as the scan shows them; the first is file one.
    void addPair(const QString& file1, const QString& file2) {
        const auto size = [&](const QString& file) {
            return kilobyteText(tree_->read(file).size());
        };
        const auto name = [](const QString& file) { return file.section('/', -1); };
        const auto dir = [&](const QString& file) { return folder(file.section('/', 0, -2)); };
        window_->results()->addAtTop(
            pairRow(name(file1), size(file1), dir(file1), name(file2), size(file2), dir(file2)));
        window_->results()->setSorted(true);
    }
    // A left press prepares the menu for row `row` (from 0); then `item` is chosen.
    void act(int row, const QString& item) {
        pressList(*window_, row, Qt::LeftButton);
        child<QAction>(*window_, item)->trigger();
    }
    // The first row (from 0) whose joined cells hold piece; -1 when none does.
    int rowWith(const QString& piece) const {
        const QStringList rows = shownRows(*window_);
        return int(rows.indexOf(rows.filter(piece).value(0)));
    }
    // The errors reported so far, which a test expects; any others fail it in cleanup().
    QStringList reported() { return std::exchange(errors_->reports, {}); }

    std::optional<ScriptedDialogs> dialogs_;
    std::optional<RecordingShell> shell_;
    std::unique_ptr<RecordingSink> errors_;
    std::unique_ptr<TestDir> tree_;
    std::unique_ptr<MainWindow> window_;
};

QTEST_MAIN(TestResultsMenu)
#include "test_results_menu.moc"
