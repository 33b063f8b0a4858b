#include "about/UpdateWindow.h"
#include "support/PageServer.h"
#include "support/RecordingShell.h"
#include "support/RecordingView.h"
#include "support/ScriptedModals.h"
#include "support/WindowTestKit.h"
#include "widgets/Links.h"

#include <QAction>
#include <QStandardPaths>

#include <memory>

using namespace nw;
using namespace nw::test;

class TestUpdateWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void showsWhatThePageAnswers_data();
    void showsWhatThePageAnswers();
    void oversizedPageIsCut();
    void linksGoToTheBrowser();
    void menuOpensTheWindowModally();
};

void TestUpdateWindow::showsWhatThePageAnswers_data() {
    QTest::addColumn<int>("status"); // 0: nobody listens
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<QString>("shown"); // empty: some reason is shown
    QTest::newRow("page") << 200
                          << QByteArray("<html><body><p>You have the latest version "
                                        "&amp; nothing to do.</p><script>x()</script></body>"
                                        "</html>")
                          << QByteArray("text/html; charset=utf-8")
                          << QStringLiteral("You have the latest version & nothing to do.");
    QTest::newRow("server error page")
        << 500 << QByteArray("<h1>Internal Server Error</h1>") << QByteArray("text/html")
        << QStringLiteral("Internal Server Error");
    QTest::newRow("plain text, Latin-1") << 200 << QByteArray("Version 1.0.66 ist verf\xfcgbar <b>")
                                         << QByteArray("text/plain; charset=ISO-8859-1")
                                         << QStringLiteral("Version 1.0.66 ist verfügbar <b>");
    QTest::newRow("unreachable") << 0 << QByteArray() << QByteArray("text/plain") << QString();
}

void TestUpdateWindow::showsWhatThePageAnswers() {
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, type);
    QFETCH(QString, shown);
    auto server = std::make_unique<PageServer>(status, body, type);
    const QUrl address = server->url("/update.php?sw=a%26b&major=1&minor=0&build=65");
    if (!status)
        server.reset();
    RecordingSink errors;
    UpdateWindow window(nullptr, address);
    QCOMPARE(window.windowTitle(), QStringLiteral("Update Status"));
    QVERIFY(waitForPage(window.page()));
    const QString text = window.page()->toPlainText().trimmed();
    QVERIFY2(shown.isEmpty() ? !text.isEmpty() : text == shown, qPrintable(text));
    QCOMPARE(window.page()->status(), status);
    QVERIFY(errors.reports.isEmpty());
    if (server) // the query reaches the page as it was built
        QCOMPARE(server->requests,
                 QList<QByteArray>({"GET /update.php?sw=a%26b&major=1&minor=0&build=65 HTTP/1.1"}));
}

void TestUpdateWindow::oversizedPageIsCut() {
    PageServer server(200, QByteArray(PageView::MaxPageBytes + 4096, 'x'), "text/plain");
    UpdateWindow window(nullptr, server.url("/update.php"));
    QVERIFY(waitForPage(window.page()));
    const QString text = window.page()->toPlainText();
    QVERIFY(text.contains(QStringLiteral("The page was cut")));
    QVERIFY(text.size() < PageView::MaxPageBytes + 100);
}

void TestUpdateWindow::linksGoToTheBrowser() {
    PageServer server(200, "<a href=\"/download\">new</a>");
    RecordingShell shell;
    UpdateWindow window(nullptr, server.url("/update.php?sw=x"));
    QVERIFY(waitForPage(window.page()));
    emit window.page()->anchorClicked(QUrl(QStringLiteral("/download?v=2")));
    emit window.page()->anchorClicked(QUrl(QStringLiteral("file:///etc/passwd")));
    // Local files are never opened from a page.
    QCOMPARE(shell.urls, QStringList(server.url("/download?v=2").toString(QUrl::FullyEncoded)));
}

void TestUpdateWindow::menuOpensTheWindowModally() {
    TestDir config;
    ScriptedDialogs dialogs;
    auto window = makeWindow(config, config.path());
    ScriptedModals modals;
    QUrl asked;
    modals.onShow = [&](QDialog& dialog) {
        asked = child<PageView>(dialog, "WebBrowser1")->address();
    };
    child<QAction>(*window, "UpdateCheck")->trigger();
    child<QAction>(*window, "UpdateCheck")->trigger();
    // Every check asks the page anew.
    QCOMPARE(modals.shown, QStringList({"Browser", "Browser"}));
    QCOMPARE(asked, updateUrl(QStringLiteral("test_update_window")));
}

QTEST_MAIN(TestUpdateWindow)
#include "test_update_window.moc"
