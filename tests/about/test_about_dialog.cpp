#include "about/AboutDialog.h"
#include "core/Version.h"
#include "support/DialogChecks.h"
#include "support/RecordingShell.h"
#include "support/ScriptedModals.h"
#include "support/WindowTestKit.h"
#include "widgets/Links.h"
#include "widgets/MakerLinks.h"

#include <QAction>
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

    void texts_data();
    void texts();
    void roles_data();
    void roles();
    void aboutTwiceShowsFiveAmountsEachTime();
    void buttonsOpenTheBrowser_data();
    void buttonsOpenTheBrowser();
};

void TestAboutDialog::texts_data() {
    // Texts and places as the user must see them; the row's name is the control's object name.
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("twips");
    const auto row = [](const char* name, const QString& text, QRect twips) {
        QTest::newRow(name) << text << twips;
    };
    row("Me", "", {180, 240, 1950, 2295});
    row("lblTitle", "Namewick Finder", {2370, 180, 4095, 300});
    row("lblVersion",
        QStringLiteral("Version %1.%2 build %3")
            .arg(VersionMajor)
            .arg(VersionMinor)
            .arg(VersionRevision),
        {2655, 435, 3825, 225});
    row("Label3",
        "This program will allow you to locate duplicate filenames (and files using CRC32).  It "
        "is designed for MP3s. but can be used for any text file formats.",
        {2370, 720, 4335, 735});
    row("Label1",
        "I will build custom applications to suit your needs, please contact me for quotes.",
        {2370, 1485, 4335, 480});
    row("DonateAmt", "$5.00", {120, 2640, 1005, 315});
    row("ContactMe", "Contact Me", {1200, 2640, 974, 348});
    row("Label4",
        "USE AT YOUR OWN RISK -- DEVELOPER OWNS NO RESPONSIBILITY FOR LOSS OF FILES.  TEST ON "
        "SMALL DIR OF FILES FIRST!!!",
        {2370, 2910, 4334, 615});
    row("DonateBtn", "", {135, 3000, 960, 465});
    row("cmdOK", "Continue", {1200, 3120, 974, 348});
}

void TestAboutDialog::texts() {
    QFETCH(QString, text);
    QFETCH(QRect, twips);
    checkControl(AboutDialog(AboutRole::StartUp), text, twips);
}

void TestAboutDialog::roles_data() {
    QTest::addColumn<AboutRole>("role");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("key"); // what closes it; 0: a click on the button
    QTest::newRow("start-up") << AboutRole::StartUp << QStringLiteral("Continue") << 238 << 0;
    QTest::newRow("about, Exit") << AboutRole::About << QStringLiteral("Exit") << 239 << 0;
    QTest::newRow("about, Esc") << AboutRole::About << QStringLiteral("Exit") << 239
                                << int(Qt::Key_Escape);
}

void TestAboutDialog::roles() {
    QFETCH(AboutRole, role);
    QFETCH(QString, button);
    QFETCH(int, height);
    QFETCH(int, key);
    AboutDialog dialog(role);
    int continued = 0;
    dialog.setContinue([&] { return ++continued > 0; });
    QCOMPARE(dialog.windowTitle(), QStringLiteral("About Namewick Finder"));
    QVERIFY(dialog.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(dialog.size(), QSize(461, height));
    auto* ok = child<QPushButton>(dialog, "cmdOK");
    QCOMPARE(ok->text(), button);
    QVERIFY(ok->isDefault());
    QCOMPARE(dialog.focusWidget(), ok);
    QCOMPARE(tabChain(ok), QStringList({"cmdOK", "ContactMe", "DonateAmt", "DonateBtn"}));
    auto* amount = child<QComboBox>(dialog, "DonateAmt");
    QVERIFY(amount->isEditable());
    QCOMPARE(itemsOf(amount), Amounts);

    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    if (key)
        QTest::keyClick(&dialog, Qt::Key(key));
    else
        QTest::mouseClick(ok, Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    // Only the start-up role opens the main window.
    QCOMPARE(continued, role == AboutRole::StartUp ? 1 : 0);
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

void TestAboutDialog::buttonsOpenTheBrowser_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QUrl>("url");
    // The amount is the box's text, typed or chosen.
    QTest::newRow("donation") << QStringLiteral("DonateBtn") << donationUrl(QStringLiteral("7.50"));
    QTest::newRow("contact") << QStringLiteral("ContactMe")
                             << QUrl(QStringLiteral(
                                         "http://%1/comments.php?submitted=test_about_dialog")
                                         .arg(QLatin1String(maker::Host)));
}

void TestAboutDialog::buttonsOpenTheBrowser() {
    QFETCH(QString, button);
    QFETCH(QUrl, url);
    RecordingShell shell;
    AboutDialog dialog(AboutRole::About);
    child<QComboBox>(dialog, "DonateAmt")->setEditText(QStringLiteral("$7.50"));
    QTest::mouseClick(child<QPushButton>(dialog, button), Qt::LeftButton);
    QCOMPARE(shell.urls, QStringList(url.toString(QUrl::FullyEncoded)));
}

QTEST_MAIN(TestAboutDialog)
#include "test_about_dialog.moc"
