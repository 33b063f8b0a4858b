#pragma once

#include "core/ErrorReport.h"
#include "errors/ErrorLinks.h"
#include "platform/ErrorCodes.h"

#include <QDialog>

class QLineEdit;

namespace nw {

// frmError: one failure, with the ways to send it to the maker.
class ErrorDialog : public QDialog {
    Q_OBJECT
public:
    explicit ErrorDialog(QWidget* parent = nullptr);

    void fill(const QString& module, const QString& procedure, const ErrorInfo& error);
    // Read back from the boxes: every channel sends what the user sees.
    ErrorFields fields() const;

private:
    QLineEdit* addBox(const char* name, int left, int top, int width, int height);
    void command1Click();
    void emailBugClick();
    void command2Click();

    QLineEdit* swName_ = nullptr;
    QLineEdit* swVer_ = nullptr;
    QLineEdit* errForm_ = nullptr;
    QLineEdit* errFunction_ = nullptr;
    QLineEdit* errNumber_ = nullptr;
    QLineEdit* errDescription_ = nullptr;
    QLineEdit* errPath_ = nullptr; // the path concerned: shown, never sent
};

// Shows every report in the error dialog, modal over the active window.
class ErrorDialogSink : public ErrorSink {
public:
    void showError(const QString& module, const QString& procedure,
                   const ErrorInfo& error) override;
};

} // namespace nw
