#include "AboutDialog.h"
#include "Flags.h"
#include "Links.h"
#include "MakerLinks.h"
#include "RecordingShell.h"
#include "ScriptedModals.h"
#include "WindowTestKit.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>

using namespace nw;
using namespace nw::test;

namespace {

QStringList itemsOf(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

const QStringList Amounts = {"$5.00", "$10.00", "$15.00", "$20.00", "$25.00"};

} // namespace

class TestAboutDialog : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void cleanup() { StopFlag = false; }

    void roles_data();
    void roles();
    void aboutTwiceShowsFiveAmountsEachTime();
    void aboutRoleClosesWithoutMainWindow_data();
    void aboutRoleClosesWithoutMainWindow();
    void donation_data();
    void donation();
    void contact();
};

void TestAboutDialog::roles_data() {
    QTest::addColumn<AboutRole>("role");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("height");
    QTest::newRow("start-up") << AboutRole::StartUp << QStringLiteral("Continue") << 238;
    QTest::newRow("about") << AboutRole::About << QStringLiteral("Exit") << 239;
}

void TestAboutDialog::roles() {
    QFETCH(AboutRole, role);
    QFETCH(QString, button);
    QFETCH(int, height);
    AboutDialog dialog(role);
    QCOMPARE(dialog.objectName(), QStringLiteral("frmAbout"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("About Namewick Finder"));
    QVERIFY(dialog.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(dialog.size(), QSize(461, height));
    auto* ok = child<QPushButton>(dialog, "cmdOK");
    QCOMPARE(ok->text(), button);
    QVERIFY(ok->isDefault());
    QCOMPARE(dialog.focusWidget(), ok);
    QCOMPARE(child<QLabel>(dialog, "lblTitle")->text(), QStringLiteral("Namewick Finder"));
    QCOMPARE(child<QLabel>(dialog, "lblVersion")->text(), QStringLiteral("Version 1.0 build 65"));
    QCOMPARE(child<QLabel>(dialog, "Me")->toolTip(), QLatin1String(maker::ContactMail));
    auto* amount = child<QComboBox>(dialog, "DonateAmt");
    QVERIFY(amount->isEditable());
    QCOMPARE(itemsOf(amount), Amounts);
    QCOMPARE(amount->currentText(), QStringLiteral("$5.00"));
    // Tab goes from the button to the links.
    QCOMPARE(ok->nextInFocusChain(), child<QWidget>(dialog, "ContactMe"));
}

void TestAboutDialog::aboutTwiceShowsFiveAmountsEachTime() {
    TestDir config;
    ScriptedDialogs dialogs;
    auto window = makeWindow(config, config.path());
    ScriptedModals modals;
    QList<QStringList> seen;
    modals.onShow = [&](QDialog& dialog) {
        auto* amount = child<QComboBox>(dialog, "DonateAmt");
        seen << itemsOf(amount);
        // A typed amount must not outlive the dialog.
        amount->setEditText(QStringLiteral("$99"));
        QTest::mouseClick(child<QPushButton>(dialog, "cmdOK"), Qt::LeftButton);
    };
    auto* about = child<QAction>(*window, "About");
    about->trigger();
    about->trigger();
    QCOMPARE(modals.shown, QStringList({"frmAbout", "frmAbout"}));
    QCOMPARE(seen, QList<QStringList>({Amounts, Amounts}));
    QVERIFY(modals.closedItself);
}

void TestAboutDialog::aboutRoleClosesWithoutMainWindow_data() {
    QTest::addColumn<int>("key"); // 0: a click on the button
    QTest::newRow("Exit") << 0;
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("Esc") << int(Qt::Key_Escape);
}

void TestAboutDialog::aboutRoleClosesWithoutMainWindow() {
    QFETCH(int, key);
    AboutDialog dialog(AboutRole::About);
    int continued = 0;
    dialog.setContinue([&] { return ++continued > 0; });
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    if (key)
        QTest::keyClick(&dialog, Qt::Key(key));
    else
        QTest::mouseClick(child<QPushButton>(dialog, "cmdOK"), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(continued, 0);
}

void TestAboutDialog::donation_data() {
    QTest::addColumn<int>("chosen"); // -1: typed
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("amount");
    QTest::newRow("start value") << 0 << QString() << QStringLiteral("5.00");
    QTest::newRow("chosen") << 2 << QString() << QStringLiteral("15.00");
    QTest::newRow("typed") << -1 << QStringLiteral("$7.50") << QStringLiteral("7.50");
    QTest::newRow("typed without $") << -1 << QStringLiteral("12") << QStringLiteral("12");
    QTest::newRow("emptied") << -1 << QString() << QString();
}

void TestAboutDialog::donation() {
    QFETCH(int, chosen);
    QFETCH(QString, typed);
    QFETCH(QString, amount);
    RecordingShell shell;
    AboutDialog dialog(AboutRole::About);
    auto* combo = child<QComboBox>(dialog, "DonateAmt");
    if (chosen >= 0)
        combo->setCurrentIndex(chosen);
    else
        combo->setEditText(typed);
    QTest::mouseClick(child<QPushButton>(dialog, "DonateBtn"), Qt::LeftButton);
    QCOMPARE(shell.urls, QStringList(donationUrl(amount).toString(QUrl::FullyEncoded)));
    QVERIFY(shell.urls.first().contains(QStringLiteral("&amount=") + amount + QLatin1Char('&')));
}

void TestAboutDialog::contact() {
    RecordingShell shell;
    AboutDialog dialog(AboutRole::StartUp);
    QTest::mouseClick(child<QPushButton>(dialog, "ContactMe"), Qt::LeftButton);
    QCOMPARE(shell.urls,
             QStringList(QStringLiteral("http://%1/comments.php?submitted=test_about_dialog")
                             .arg(QLatin1String(maker::Host))));
}

QTEST_MAIN(TestAboutDialog)
#include "test_about_dialog.moc"
