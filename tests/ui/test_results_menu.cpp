#include "RecordingView.h"
#include "RowsTestKit.h"

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QLocale>
#include <QMenu>
#include <QStandardPaths>

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

QStringList visibleItems(const QMenu* menu) {
    QStringList items;
    for (const QAction* action : menu->actions()) {
        if (action->isVisible())
            items << action->text();
    }
    return items;
}

QStringList column(const MainWindow& window, int c) {
    QStringList cells;
    for (const QString& row : shownRows(window))
        cells << row.section(QLatin1Char('|'), c, c);
    return cells;
}

} // namespace

class TestResultsMenu : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init();
    void cleanup();

    void sortsByColumnTextAscending();
    void emptyListShowsNothing();
    void largerAndSmaller_data();
    void largerAndSmaller();
    void rightButtonPopsUpLeftDoesNot();
    void autoMoveLeavesTwoItems();
    void noSelectedRowIsReported();
    void ampersandShownAsItself();

private:
    QMenu* popup() const { return child<QMenu>(*window_, "mnuHidden1"); }

    ScriptedDialogs dialogs_;
    std::unique_ptr<RecordingSink> errors_;
    std::unique_ptr<TestDir> tree_;
    std::unique_ptr<MainWindow> window_;
};

void TestResultsMenu::init() {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    errors_ = std::make_unique<RecordingSink>();
    tree_ = std::make_unique<TestDir>();
    window_ = makeWindow(*tree_, tree_->path());
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
}

void TestResultsMenu::cleanup() {
    popup()->hide();
    window_.reset();
    errors_.reset();
    QLocale::setDefault(QLocale::c());
}

void TestResultsMenu::sortsByColumnTextAscending() {
    window_->addRowAtTop(pairRow("b.mp3", "9.5", "/x/", "b2.mp3", "1.0", "/y/"));
    window_->addRowAtTop(pairRow("c.mp3", "10.0", "/x/", "0c.mp3", "1.0", "/y/"));
    window_->addRowAtTop(pairRow("a.mp3", "10.0", "/x/", "a2.mp3", "1.0", "/y/"));
    window_->setRowsSorted(true);
    QHeaderView* header = child<QTreeView>(*window_, "FListView")->header();
    const auto clickHeader = [&](int section) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(section) + 5, 5));
    };

    clickHeader(4);
    QCOMPARE(column(*window_, 4), QStringList({"0c.mp3", "a2.mp3", "b2.mp3"}));
    // Sizes as text: 10.0 before 9.5; equal sizes in File One order, whatever came before.
    clickHeader(1);
    QCOMPARE(column(*window_, 0), QStringList({"a.mp3", "c.mp3", "b.mp3"}));
    clickHeader(1);
    QCOMPARE(column(*window_, 0), QStringList({"a.mp3", "c.mp3", "b.mp3"}));
}

void TestResultsMenu::emptyListShowsNothing() {
    const QStringList before = optionTexts(*window_, 1);
    pressList(*window_, -1, Qt::RightButton);
    QVERIFY(!popup()->isVisible());
    QCOMPARE(optionTexts(*window_, 1), before);
    QCOMPARE(errors_->reports, QStringList());
}

void TestResultsMenu::largerAndSmaller_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("size1");
    QTest::addColumn<QString>("size2");
    QTest::addColumn<bool>("twoLarger");

    QTest::newRow("grouped one larger") << "en_US"
                                        << "1,234.5"
                                        << "987.0" << false;
    QTest::newRow("grouped two larger") << "en_US"
                                        << "987.0"
                                        << "1,234.5" << true;
    QTest::newRow("equal sizes: file two") << "en_US"
                                           << "5.0"
                                           << "5.0" << true;
    QTest::newRow("German grouping") << "de_DE"
                                     << "1.234,5"
                                     << "987,0" << false;
}

void TestResultsMenu::largerAndSmaller() {
    QFETCH(QString, locale);
    QFETCH(QString, size1);
    QFETCH(QString, size2);
    QFETCH(bool, twoLarger);
    QLocale::setDefault(QLocale(locale));

    window_->addRowAtTop(pairRow("one.mp3", size1, "/m/one/", "two.mp3", size2, "/m/two/"));
    pressList(*window_, 0, Qt::LeftButton);

    const QStringList one = {"Open: /m/one/", "Delete: one.mp3", "Move: one.mp3"};
    const QStringList two = {"Open: /m/two/", "Delete: two.mp3", "Move: two.mp3"};
    QCOMPARE(optionTexts(*window_, 1), twoLarger ? two : one);
    QCOMPARE(optionTexts(*window_, 2), twoLarger ? one : two);
    QCOMPARE(errors_->reports, QStringList());
}

void TestResultsMenu::rightButtonPopsUpLeftDoesNot() {
    window_->addRowAtTop(pairRow("a.mp3", "2.0", "/x/", "a.mp3", "1.0", "/y/"));
    window_->addRowAtTop(pairRow("b.mp3", "1.0", "/x/", "b.mp3", "2.0", "/y/"));
    pressList(*window_, 1, Qt::LeftButton);
    QVERIFY(!popup()->isVisible());
    QCOMPARE(optionTexts(*window_, 1).first(), QStringLiteral("Open: /x/"));

    // The right button selects the row under it and shows the menu for it.
    pressList(*window_, 0, Qt::RightButton);
    QVERIFY(popup()->isVisible());
    QCOMPARE(optionTexts(*window_, 1).first(), QStringLiteral("Open: /y/"));
    QCOMPARE(visibleItems(popup()),
             QStringList({"Open: Log.txt", "Remove Item", "Largest File", "Smallest File"}));
}

void TestResultsMenu::autoMoveLeavesTwoItems() {
    TestDir target;
    dialogs_.folders << target.path();
    child<QCheckBox>(*window_, "AutoMove")->click();
    window_->addRowAtTop(pairRow("a.mp3", "2.0", "/x/", "a.mp3", "1.0", "/y/"));
    pressList(*window_, 0, Qt::RightButton);
    QVERIFY(popup()->isVisible());
    QCOMPARE(visibleItems(popup()), QStringList({"Open: Log.txt", "Remove Item"}));
}

void TestResultsMenu::noSelectedRowIsReported() {
    window_->addRowAtTop(pairRow("a.mp3", "2.0", "/x/", "a.mp3", "1.0", "/y/"));
    pressList(*window_, -1, Qt::RightButton);
    QVERIFY(!popup()->isVisible());
    QCOMPARE(errors_->reports, QStringList({"frmMain/FListView_MouseDown/91"}));

    // Once a row is chosen, a press beside the rows keeps it.
    pressList(*window_, 0, Qt::LeftButton);
    pressList(*window_, -1, Qt::RightButton);
    QVERIFY(popup()->isVisible());
    QCOMPARE(errors_->reports.size(), 1);
}

void TestResultsMenu::ampersandShownAsItself() {
    window_->addRowAtTop(pairRow("Tom & Jerry.mp3", "2.0", "/x/", "b.mp3", "1.0", "/y/"));
    pressList(*window_, 0, Qt::LeftButton);
    const QAction* del = child<QAction>(*window_, "mnuOption1_1");
    QCOMPARE(del->text(), QStringLiteral("Delete: Tom && Jerry.mp3"));
    QCOMPARE(del->iconText(), QStringLiteral("Delete: Tom & Jerry.mp3"));
}

QTEST_MAIN(TestResultsMenu)
#include "test_results_menu.moc"
