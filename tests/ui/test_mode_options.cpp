#include "ExternalPages.h"
#include "RecordingShell.h"
#include "RecordingView.h"
#include "WindowTestKit.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStandardPaths>

using namespace nw;
using namespace nw::test;

namespace {

bool fileMenusShown(const MainWindow& window) {
    const bool large = child<QMenu>(window, "mnuLarge")->menuAction()->isVisible();
    const bool small = child<QMenu>(window, "mnuSmall")->menuAction()->isVisible();
    if (large != small)
        qFatal("Largest File and Smallest File differ");
    return large;
}

} // namespace

class TestModeOptions : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void autoMoveTarget_data();
    void autoMoveTarget();
    void uncheckingClearsTheTarget();
    void scanMovesTheSmallerFile();
    void explanationPage();
};

void TestModeOptions::autoMoveTarget_data() {
    // "@" stands for the temporary tree, without a trailing separator.
    QTest::addColumn<QString>("folderList");
    QTest::addColumn<QString>("chosen"); // what the folder dialog answers
    QTest::addColumn<QString>("target"); // AutoMoveDir afterwards; empty: refused or cancelled
    QTest::addColumn<bool>("refused");

    QTest::newRow("inside the folder") << "@/Data"
                                       << "@/Data/Moved"
                                       << "" << true;
    QTest::newRow("the folder itself") << "@/Data"
                                       << "@/Data"
                                       << "" << true;
    QTest::newRow("a longer name holding it") << "@/Data"
                                              << "@/Data2"
                                              << "" << true;
    QTest::newRow("letter case differs") << "@/Data"
                                         << "@/data/moved"
                                         << "@/data/moved/" << false;
    QTest::newRow("elsewhere, separator added") << "@/Data"
                                                << "@/Other"
                                                << "@/Other/" << false;
    QTest::newRow("separator not doubled") << "@/Data"
                                           << "@/Other/"
                                           << "@/Other/" << false;
    QTest::newRow("a root stays as it is") << "@/Data"
                                           << "/"
                                           << "/" << false;
    QTest::newRow("folder list at the root") << "/"
                                             << "@/Other"
                                             << "" << true;
    QTest::newRow("dialog cancelled") << "@/Data"
                                      << ""
                                      << "" << false;
}

void TestModeOptions::autoMoveTarget() {
    QFETCH(QString, folderList);
    QFETCH(QString, chosen);
    QFETCH(QString, target);
    QFETCH(bool, refused);

    TestDir tree;
    tree.mkdir(QStringLiteral("Data"));
    const auto place = [&](QString text) { return text.replace('@', tree.path()); };
    ScriptedDialogs dialogs;
    dialogs.folders << place(chosen);
    auto window = makeWindow(tree, place(folderList));
    auto* autoMove = child<QCheckBox>(*window, "AutoMove");

    autoMove->click();

    QCOMPARE(dialogs.prompts, QStringList({"Select location for move:|new"}));
    QCOMPARE(child<QLineEdit>(*window, "AutoMoveDir")->text(), place(target));
    const bool accepted = !target.isEmpty();
    QCOMPARE(autoMove->isChecked(), accepted);
    QCOMPARE(fileMenusShown(*window), !accepted);
    QCOMPARE(dialogs.messages,
             refused ? QStringList({"ERROR!!|Directory cannot be inside search path!|critical"})
                     : QStringList());
}

void TestModeOptions::uncheckingClearsTheTarget() {
    TestDir tree;
    TestDir other;
    ScriptedDialogs dialogs;
    dialogs.folders << other.path();
    auto window = makeWindow(tree, tree.path());
    auto* autoMove = child<QCheckBox>(*window, "AutoMove");
    autoMove->click();
    QVERIFY(autoMove->isChecked());
    QVERIFY(!fileMenusShown(*window));

    autoMove->click();
    QVERIFY(child<QLineEdit>(*window, "AutoMoveDir")->text().isEmpty());
    QVERIFY(fileMenusShown(*window));
    QCOMPARE(dialogs.prompts.size(), 1);
}

void TestModeOptions::scanMovesTheSmallerFile() {
    TestDir tree;
    TestDir target;
    tree.write(QStringLiteral("a/song.mp3"), QByteArray(3000, 'a'));
    tree.write(QStringLiteral("b/song.mp3"), QByteArray(1000, 'b'));
    ScriptedDialogs dialogs;
    RecordingSink errors;
    dialogs.folders << target.path();
    auto window = makeWindow(tree, tree.path());
    window->setEventInterval(0);
    child<QCheckBox>(*window, "AutoMove")->click();
    child<QPushButton>(*window, "ScanDir")->click();

    QCOMPARE(errors.reports, QStringList());
    QCOMPARE(window->rowCount(), 1);
    QCOMPARE(child<QLineEdit>(*window, "AutoMoveDir")->text(), target.path() + '/');
    QVERIFY(!tree.exists(QStringLiteral("b/song.mp3")));
    QCOMPARE(target.read(QStringLiteral("b/song.mp3")), QByteArray(1000, 'b'));
    QCOMPARE(tree.read(QStringLiteral("a/song.mp3")), QByteArray(3000, 'a'));
    QCOMPARE(crlfLines(tree.read(QStringLiteral("Move.txt"))),
             QStringList({"Move: " + tree.file(QStringLiteral("b/song.mp3")) + " to " +
                          target.file(QStringLiteral("b/"))}));
    // The option stays on for the next scan, the row stays listed.
    QVERIFY(child<QCheckBox>(*window, "AutoMove")->isChecked());
    QVERIFY(!fileMenusShown(*window));
}

void TestModeOptions::explanationPage() {
    TestDir tree;
    RecordingShell shell;
    RecordingSink errors;
    auto window = makeWindow(tree, tree.path());
    child<QPushButton>(*window, "Command1")->click();
    QCOMPARE(shell.urls.size(), 1);
    const QUrl page(shell.urls.first());
    QCOMPARE(page.host(), QString::fromUtf8(LevenshteinPageHost));
    QCOMPARE(page.path(), QStringLiteral("/ld.htm"));
    QCOMPARE(page.fragment(), QStringLiteral("WHATIS"));
    QCOMPARE(errors.reports, QStringList());

    // A desktop that takes no address: the failure is reported, not lost.
    shell.result = false;
    child<QPushButton>(*window, "Command1")->click();
    QCOMPARE(errors.reports.size(), 1);
    QVERIFY(errors.reports.first().startsWith(QStringLiteral("Global/OpenURL/")));
}

QTEST_MAIN(TestModeOptions)
#include "test_mode_options.moc"
