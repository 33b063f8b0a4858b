#include "AboutDialog.h"
#include "RecordingView.h"
#include "StartUp.h"
#include "WindowTestKit.h"

#include <QApplication>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

using namespace nw;
using namespace nw::test;

namespace {

WindowOptions optionsIn(const TestDir& config) {
    WindowOptions options;
    options.favouritesFile = config.file(QStringLiteral("qvx.ini"));
    options.startFolder = config.path();
    return options;
}

} // namespace

class TestStartUp : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void startsWithTheAboutDialog();
    void continueOpensTheMainWindow_data();
    void continueOpensTheMainWindow();
    void closingTheAboutDialogOpensNothing();
    void failedContinueKeepsTheDialog();
    void lastWindowClosedEndsTheProgram();

private:
    TestDir config_;
    ScriptedDialogs dialogs_;
};

void TestStartUp::startsWithTheAboutDialog() {
    StartUp startUp(optionsIn(config_));
    QVERIFY(startUp.Main());
    QVERIFY(startUp.about());
    QVERIFY(startUp.about()->isVisible());
    QVERIFY(!startUp.about()->isModal());
    QCOMPARE(startUp.about()->role(), AboutRole::StartUp);
    QCOMPARE(child<QPushButton>(*startUp.about(), "cmdOK")->text(), QStringLiteral("Continue"));
    QVERIFY(!startUp.window());
}

void TestStartUp::continueOpensTheMainWindow_data() {
    QTest::addColumn<int>("key"); // 0: a click on "Continue"
    QTest::newRow("Continue") << 0;
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("Esc") << int(Qt::Key_Escape);
}

void TestStartUp::continueOpensTheMainWindow() {
    QFETCH(int, key);
    StartUp startUp(optionsIn(config_));
    startUp.Main();
    AboutDialog* about = startUp.about();
    QVERIFY(QTest::qWaitForWindowExposed(about));
    if (key)
        QTest::keyClick(about, Qt::Key(key));
    else
        QTest::mouseClick(child<QPushButton>(*about, "cmdOK"), Qt::LeftButton);
    QVERIFY(startUp.window());
    QVERIFY(startUp.window()->isVisible());
    QCOMPARE(startUp.window()->objectName(), QStringLiteral("frmMain"));
    QVERIFY(!about->isVisible());
}

void TestStartUp::closingTheAboutDialogOpensNothing() {
    StartUp startUp(optionsIn(config_));
    startUp.Main();
    QVERIFY(startUp.about()->close());
    QVERIFY(!startUp.about()->isVisible());
    QVERIFY(!startUp.window());
}

void TestStartUp::failedContinueKeepsTheDialog() {
    RecordingSink errors;
    AboutDialog about(AboutRole::StartUp);
    bool fail = true;
    about.setContinue([&]() -> bool {
        if (fail)
            throw std::runtime_error("no window");
        return true;
    });
    about.show();
    auto* ok = child<QPushButton>(about, "cmdOK");
    QTest::mouseClick(ok, Qt::LeftButton);
    QVERIFY(about.isVisible());
    QCOMPARE(errors.reports, QStringList(QStringLiteral("frmAbout/cmdOK_Click/5")));
    // The user can try again.
    fail = false;
    QTest::mouseClick(ok, Qt::LeftButton);
    QVERIFY(!about.isVisible());
}

void TestStartUp::lastWindowClosedEndsTheProgram() {
    StartUp startUp(optionsIn(config_));
    bool mainWindowSeen = false;
    bool gaveUp = false;
    QTimer::singleShot(0, this, [&] {
        startUp.Main();
        QTest::keyClick(startUp.about(), Qt::Key_Return);
        QTimer::singleShot(0, this, [&] {
            mainWindowSeen = startUp.window() && startUp.window()->isVisible();
            if (startUp.window())
                startUp.window()->close();
        });
    });
    // Only a safety net: the loop should end as soon as the main window closes.
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, this, [&] {
        gaveUp = true;
        QCoreApplication::exit(1);
    });
    guard.start(60000);
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!gaveUp);
    QVERIFY(mainWindowSeen);
}

QTEST_MAIN(TestStartUp)
#include "test_startup.moc"
