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
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("Esc") << int(Qt::Key_Escape);
    QTest::newRow("closed: nothing opens") << -1;
}

void TestStartUp::aboutDialogComesFirst() {
    QFETCH(int, key);
    StartUp startUp(optionsIn(config_));
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
    QCOMPARE(startUp.window() != nullptr, key >= 0);
    if (key >= 0) {
        QVERIFY(startUp.window()->isVisible());
        QCOMPARE(startUp.window()->objectName(), QStringLiteral("frmMain"));
    }
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
