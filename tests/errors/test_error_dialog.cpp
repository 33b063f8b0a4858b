#include "core/Flags.h"
#include "core/Version.h"
#include "errors/ErrorDialog.h"
#include "support/DialogChecks.h"
#include "support/RecordingShell.h"
#include "support/ScriptedModals.h"
#include "support/WindowTestKit.h"
#include "widgets/Links.h"
#include "widgets/PageView.h"

#include <QAction>
#include <QStandardPaths>

#include <stdexcept>

using namespace nw;
using namespace nw::test;

namespace {

QStringList textsOf(const ErrorFields& f) {
    return {f.software, f.version, f.form, f.function, f.number, f.description};
}

void click(QDialog& dialog, const char* button) {
    QTest::mouseClick(child<QPushButton>(dialog, QString::fromLatin1(button)), Qt::LeftButton);
}

// A desktop that refuses, or fails outright when `throws`.
struct FailingShell : RecordingShell {
    bool throws = false;
    bool openUrl(const QUrl& url) override {
        if (throws)
            throw std::runtime_error("desktop gone");
        return RecordingShell::openUrl(url);
    }
};

// Installs the error dialog as the sink for one test.
class DialogSinkGuard {
    ErrorDialogSink sink_;
    ScopedService<ErrorSink*> inUse_{errorSinkService(), &sink_};
};

} // namespace

class TestErrorDialog : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void cleanup() { StopFlag = false; }

    void texts_data();
    void texts();
    void layout();
    void fakeErrorShowsTheDialogThenStops();
    void channelsKeepTheDialogOpen_data();
    void channelsKeepTheDialogOpen();
    void reportWhileTheDialogIsOpenLosesNeither();

private:
    ScriptedDialogs dialogs_;
};

void TestErrorDialog::texts_data() {
    // Texts and places as the user must see them; the row's name is the control's object name.
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("twips");
    const auto row = [](const char* name, const char* text, QRect twips) {
        QTest::newRow(name) << QString::fromUtf8(text) << twips;
    };
    row("Label1", "Software", {105, 120, 885, 285});
    row("swName", "", {1050, 120, 1350, 285});
    row("Label2", "Version", {2505, 120, 885, 285});
    row("swVer", "", {3450, 120, 1350, 285});
    row("Label3", "Form", {105, 480, 885, 285});
    row("errForm", "", {1050, 480, 1350, 285});
    row("Label4", "Function", {2505, 480, 885, 285});
    row("errFunction", "", {3450, 480, 1350, 285});
    row("Label5", "Error No", {105, 840, 885, 285});
    row("errNumber", "", {1050, 840, 1350, 285});
    row("Label6", "Description", {105, 1200, 885, 285});
    row("errDescription", "", {1050, 1200, 5910, 330});
    row("Command1", "Submit via Internet", {127, 1605, 1515, 300});
    row("EmailBug", "Submit via Email", {1902, 1620, 1515, 300});
    row("Command2", "Submit to Google", {3677, 1635, 1515, 300});
    row("ExitMe", "Exit", {5452, 1620, 1515, 300});
}

void TestErrorDialog::texts() {
    QFETCH(QString, text);
    QFETCH(QRect, twips);
    checkControl(ErrorDialog(), text, twips);
}

void TestErrorDialog::layout() {
    ErrorDialog dialog;
    dialog.fill(QStringLiteral("ReadWrite"), QStringLiteral("mnuOption2_Click"),
                ErrorInfo::make(ErrPermissionDenied, QStringLiteral("/etc/qvx.ini")));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Error Message"));
    QCOMPARE(dialog.size(), QSize(473, 136));
    // The path helps the user, in sight; it is not part of what is sent.
    dialog.show();
    const auto* path = dialog.findChild<QLineEdit*>(QStringLiteral("errPath"));
    QVERIFY2(path && path->isVisible() && path->text() == "/etc/qvx.ini", "the path is not shown");
    QVERIFY(!textsOf(dialog.fields()).join('|').contains("qvx"));
    for (const char* name : {"swName", "swVer", "errForm", "errFunction", "errNumber"}) {
        auto* box = child<QLineEdit>(dialog, name);
        // A point at the right edge lies after the text only when all of it is in sight.
        QVERIFY2(box->cursorPositionAt({box->width() - 3, box->height() / 2}) == box->text().size(),
                 name);
    }
    for (const char* box : {"swName", "swVer", "errForm", "errFunction", "errNumber"})
        QVERIFY(child<QLineEdit>(dialog, box)->isReadOnly());
    QCOMPARE(dialog.focusWidget(), child<QWidget>(dialog, "ExitMe"));
    QCOMPARE(tabChain(dialog.focusWidget()),
             QStringList({"ExitMe", "EmailBug", "swName", "swVer", "errForm", "errFunction",
                          "errNumber", "errDescription", "Command1", "Command2"}));
    // Enter presses the focused "Exit".
    QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
    QVERIFY(!dialog.isVisible());
}

void TestErrorDialog::fakeErrorShowsTheDialogThenStops() {
    TestDir config;
    auto window = makeWindow(config, config.path());
    DialogSinkGuard sink;
    ScriptedModals modals;
    QStringList seen;
    bool stoppedWhileShown = true;
    modals.onShow = [&](QDialog& dialog) {
        seen = textsOf(static_cast<ErrorDialog&>(dialog).fields());
        stoppedWhileShown = StopFlag;
        click(dialog, "ExitMe");
    };
    child<QAction>(*window, "FakeError")->trigger();
    QCOMPARE(modals.shown, QStringList({"frmError"}));
    QCOMPARE(seen,
             QStringList({"Namewick Finder", QLatin1String(VersionText), "frmMain",
                          "FakeError_Click", "400", "Form already displayed; can't show modally"}));
    QVERIFY(modals.closedItself);
    // StopFlag goes up only once the dialog has closed.
    QVERIFY(!stoppedWhileShown);
    QVERIFY(StopFlag);
}

void TestErrorDialog::channelsKeepTheDialogOpen_data() {
    QTest::addColumn<bool>("throws");
    QTest::newRow("desktop refuses") << false;
    QTest::newRow("desktop fails outright") << true;
}

void TestErrorDialog::channelsKeepTheDialogOpen() {
    QFETCH(bool, throws);
    FailingShell shell;
    // No mail program, no browser: nothing more is reported.
    shell.result = false;
    shell.throws = throws;
    DialogSinkGuard sink;
    ScriptedModals modals;
    ErrorFields fields;
    QUrl sent;
    bool stillOpen = false;
    modals.onShow = [&](QDialog& dialog) {
        if (dialog.objectName() != QLatin1String("frmError")) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Submit this error via Internet"));
            sent = child<PageView>(dialog, "WebBrowser1")->address();
            return;
        }
        fields = static_cast<ErrorDialog&>(dialog).fields();
        click(dialog, "EmailBug");
        click(dialog, "EmailBug");
        click(dialog, "Command2");
        click(dialog, "Command1");
        stillOpen = dialog.isVisible();
        dialog.close();
    };
    ReportError(QStringLiteral("Global"), QStringLiteral("GetFSize"),
                ErrorInfo{ErrPathFileAccess, QStringLiteral("Can't read a&b #2"), {}});
    QCOMPARE(modals.shown, QStringList({"frmError", "errSubmit"}));
    QVERIFY(stillOpen);
    QCOMPARE(fields.function, QStringLiteral("GetFSize"));
    QCOMPARE(sent, errorReportUrl(executableName(), fields));
    const QString mail = errorMailUrl(executableName(), fields).toString(QUrl::FullyEncoded);
    const QString search = errorSearchUrl(fields.description).toString(QUrl::FullyEncoded);
    QCOMPARE(shell.urls, throws ? QStringList() : QStringList({mail, mail, search}));
}

void TestErrorDialog::reportWhileTheDialogIsOpenLosesNeither() {
    DialogSinkGuard sink;
    ScriptedModals modals;
    QStringList functions;
    bool kept = true;
    modals.onShow = [&](QDialog& dialog) {
        const QString mine = static_cast<ErrorDialog&>(dialog).fields().function;
        functions << mine;
        if (functions.size() == 1)
            ReportError(QStringLiteral("Global"), QStringLiteral("GetCRC32"),
                        ErrorInfo::make(ErrDeviceIO));
        kept = kept && static_cast<ErrorDialog&>(dialog).fields().function == mine;
    };
    ReportError(QStringLiteral("Global"), QStringLiteral("WriteLog"), ErrorInfo::make(ErrDiskFull));
    QCOMPARE(functions, QStringList({"WriteLog", "GetCRC32"}));
    // The first report is still on show once the second has closed.
    QVERIFY(kept);
}

QTEST_MAIN(TestErrorDialog)
#include "test_error_dialog.moc"
