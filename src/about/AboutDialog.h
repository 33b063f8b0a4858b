#pragma once

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QPushButton;

namespace nw {

enum class AboutRole {
    StartUp, // the program's first window; "Continue" opens the main window
    About,   // modal over the main window; "Exit" only closes it
};

// frmAbout: what the program is, the version, the donation and the contact address.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(AboutRole role, QWidget* parent = nullptr);

    AboutRole role() const { return role_; }
    // What "Continue" does before the dialog closes; false, or a failure, keeps it open.
    void setContinue(std::function<bool()> openMainWindow) {
        openMainWindow_ = std::move(openMainWindow);
    }

    // "Version 1.0 build 65".
    static QString versionLine();

    // The about role: a new dialog each time, modal over parent.
    static void showAbout(QWidget* parent);

public slots:
    // Esc acts as the button it is bound to.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void formLoad();
    void cmdOkClick();
    void donateBtnClick();
    void contactMeClick();

    AboutRole role_;
    std::function<bool()> openMainWindow_;
    QComboBox* donateAmt_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
    QLabel* lblTitle_ = nullptr;
    QLabel* lblVersion_ = nullptr;
    bool closing_ = false;
};

} // namespace nw
