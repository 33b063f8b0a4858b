#include "errors/ErrorDialog.h"
#include "core/Texts.h"
#include "errors/ErrorSubmitWindow.h"
#include "platform/Shell.h"
#include "widgets/DialogLook.h"
#include "widgets/Links.h"
#include "widgets/Modal.h"

#include <QApplication>
#include <QDebug>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <exception>

namespace nw {

namespace {

// The dialog's own handlers report nothing: a failure there is logged and the dialog goes on.
template <typename Handler> void guarded(const char* name, Handler handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        qWarning("frmError %s: %s", name, e.what());
    } catch (...) {
        qWarning("frmError %s failed", name);
    }
}

} // namespace

ErrorDialog::ErrorDialog(QWidget* parent)
    : QDialog(parent, look::ToolWindowFlags) {
    look::setUpToolWindow(*this, QStringLiteral("frmError"), QStringLiteral("Error Message"), 7095,
                          2040);

    const struct {
        const char* name;
        const char* text;
        int left;
        int top;
    } labels[] = {{"Label1", "Software", 105, 120}, {"Label2", "Version", 2505, 120},
                  {"Label3", "Form", 105, 480},     {"Label4", "Function", 2505, 480},
                  {"Label5", "Error No", 105, 840}, {"Label6", "Description", 105, 1200}};
    for (const auto& entry : labels) {
        auto* label = new QLabel(QString::fromLatin1(entry.text), this);
        label->setObjectName(QString::fromLatin1(entry.name));
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        label->setGeometry(look::place(entry.left, entry.top, 885, 285));
        look::fitText(label);
    }
    swName_ = addBox("swName", 1050, 120, 1350, 285);
    swVer_ = addBox("swVer", 3450, 120, 1350, 285);
    errForm_ = addBox("errForm", 1050, 480, 1350, 285);
    errFunction_ = addBox("errFunction", 3450, 480, 1350, 285);
    errNumber_ = addBox("errNumber", 1050, 840, 1350, 285);
    errDescription_ = addBox("errDescription", 1050, 1200, 5910, 330);
    // Beside the number, where the row is free; read and copied, never reached by Tab.
    errPath_ = addBox("errPath", 2505, 840, 4455, 285);
    errPath_->setFocusPolicy(Qt::ClickFocus);

    const struct {
        const char* name;
        const char* text;
        int left;
        int top;
    } buttons[] = {{"Command1", "Submit via Internet", 127, 1605},
                   {"EmailBug", "Submit via Email", 1902, 1620},
                   {"Command2", "Submit to Google", 3677, 1635},
                   {"ExitMe", "Exit", 5452, 1620}};
    QPushButton* made[4] = {};
    int i = 0;
    for (const auto& entry : buttons) {
        auto* button = new QPushButton(QString::fromLatin1(entry.text), this);
        button->setObjectName(QString::fromLatin1(entry.name));
        // Enter presses the button that has the focus, "Exit" at first.
        button->setAutoDefault(true);
        button->setGeometry(look::place(entry.left, entry.top, 1515, 300));
        look::fitText(button);
        made[i++] = button;
    }
    QPushButton* command1 = made[0];
    QPushButton* emailBug = made[1];
    QPushButton* command2 = made[2];
    QPushButton* exitMe = made[3];

    const QList<QWidget*> order = {exitMe,       emailBug,   swName_,         swVer_,   errForm_,
                                   errFunction_, errNumber_, errDescription_, command1, command2};
    for (qsizetype k = 1; k < order.size(); ++k)
        setTabOrder(order[k - 1], order[k]);
    exitMe->setFocus();

    connect(command1, &QPushButton::clicked, this, &ErrorDialog::command1Click);
    connect(emailBug, &QPushButton::clicked, this, &ErrorDialog::emailBugClick);
    connect(command2, &QPushButton::clicked, this, &ErrorDialog::command2Click);
    connect(exitMe, &QPushButton::clicked, this, &QDialog::accept);
}

QLineEdit* ErrorDialog::addBox(const char* name, int left, int top, int width, int height) {
    auto* box = new QLineEdit(this);
    box->setObjectName(QString::fromLatin1(name));
    box->setReadOnly(true);
    box->setGeometry(look::place(left, top, width, height));
    return box;
}

void ErrorDialog::fill(const QString& module, const QString& procedure, const ErrorInfo& error) {
    swName_->setText(AppTitle);
    swVer_->setText(versionText());
    errForm_->setText(module);
    errFunction_->setText(procedure);
    errNumber_->setText(QString::number(error.number));
    errDescription_->setText(error.description);
    // The path or value concerned helps the user but stays out of what is sent.
    errPath_->setText(error.detail);
    errPath_->setToolTip(error.detail);
    errPath_->setVisible(!error.detail.isEmpty());
    for (QLineEdit* box :
         {swName_, swVer_, errForm_, errFunction_, errNumber_, errDescription_, errPath_}) {
        // As the main window's captions: a long handler name is made smaller, not cut.
        if (box != errPath_)
            look::fitText(box);
        box->setCursorPosition(0);
    }
}

ErrorFields ErrorDialog::fields() const {
    return {swName_->text(),      swVer_->text(),     errForm_->text(),
            errFunction_->text(), errNumber_->text(), errDescription_->text()};
}

void ErrorDialog::command1Click() {
    guarded("Command1_Click", [this] {
        ErrorSubmitWindow window(errorReportUrl(executableName(), fields()), this);
        runModal(window);
    });
}

void ErrorDialog::emailBugClick() {
    // Without a mail program the desktop shows what it shows; the result is not used.
    guarded("EmailBug_Click", [this] { openUrl(errorMailUrl(executableName(), fields())); });
}

void ErrorDialog::command2Click() {
    guarded("Command2_Click", [this] { openUrl(errorSearchUrl(errDescription_->text())); });
}

void ErrorDialogSink::showError(const QString& module, const QString& procedure,
                                const ErrorInfo& error) {
    try {
        QWidget* owner = QApplication::activeModalWidget();
        if (!owner)
            owner = QApplication::activeWindow();
        // A new dialog for every report, so one shown while another is open loses neither.
        ErrorDialog dialog(owner);
        dialog.fill(module, procedure, error);
        runModal(dialog);
    } catch (...) {
        qWarning().noquote() << "error dialog failed:" << module << procedure << error.number
                             << error.description << error.detail;
    }
}

} // namespace nw
