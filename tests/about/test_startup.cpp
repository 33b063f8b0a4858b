#include "about/AboutDialog.h"
#include "app/StartUp.h"
#include "support/RecordingView.h"
#include "support/WindowTestKit.h"

#include <QApplication>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

using namespace nw;
using namespace nw::test;

class TestStartUp : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void aboutDialogComesFirst_data();
    void aboutDialogComesFirst();
    void failedContinueKeepsTheDialog();
    void lastWindowClosedEndsTheProgram();

private:
    TestDir config_;
    ScriptedDialogs dialogs_;
};

void TestStartUp::aboutDialogComesFirst_data() {
    QTest::addColumn<int>("key"); // 0: a click on "Continue", -1: the dialog closed
    QTest::newRow("Continue") << 0;
    QTest::newRow("Esc") << int(Qt::Key_Escape);
    QTest::newRow("closed: nothing opens") << -1;
}

void TestStartUp::aboutDialogComesFirst() {
    QFETCH(int, key);
    StartUp startUp(windowOptions(config_, config_.path()));
    QVERIFY(startUp.Main());
    AboutDialog* about = startUp.about();
    QVERIFY(about);
    QVERIFY(QTest::qWaitForWindowExposed(about));
    QVERIFY(!about->isModal());
    QCOMPARE(about->role(), AboutRole::StartUp);
    QVERIFY(!startUp.window());
    if (key < 0)
        QVERIFY(about->close());
    else if (key)
        QTest::keyClick(about, Qt::Key(key));
    else
        QTest::mouseClick(child<QPushButton>(*about, "cmdOK"), Qt::LeftButton);
    QVERIFY(!about->isVisible());
    QCOMPARE(startUp.window() && startUp.window()->isVisible(), key >= 0);
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
    StartUp startUp(windowOptions(config_, config_.path()));
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
