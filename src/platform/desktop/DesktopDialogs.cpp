#include "platform/desktop/DesktopDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace nw {

namespace {

QMessageBox::StandardButton standardButton(MessageAnswer answer) {
    switch (answer) {
    case MessageAnswer::Ok:
        return QMessageBox::Ok;
    case MessageAnswer::Cancel:
        return QMessageBox::Cancel;
    case MessageAnswer::Yes:
        return QMessageBox::Yes;
    case MessageAnswer::No:
        return QMessageBox::No;
    }
    return QMessageBox::NoButton;
}

QMessageBox::StandardButtons standardButtons(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::Ok:
        return QMessageBox::Ok;
    case MessageButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon messageIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::None:
        return QMessageBox::NoIcon;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

} // namespace

MessageAnswer DesktopDialogs::message(const QString& title, const QString& text,
                                      MessageButtons buttons, MessageIcon icon,
                                      MessageAnswer defaultAnswer) {
    QMessageBox box(messageIcon(icon), title, text, standardButtons(buttons),
                    QApplication::activeWindow());
    box.setDefaultButton(standardButton(defaultAnswer));
    switch (box.exec()) {
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    default:
        // Closed with Escape or the title bar: the box's escape answer.
        return buttons == MessageButtons::YesNo ? MessageAnswer::No
               : buttons == MessageButtons::Ok  ? MessageAnswer::Ok
                                                : MessageAnswer::Cancel;
    }
}

QString DesktopDialogs::browseFolder(const QString& prompt, bool allowNewFolder) {
    QFileDialog::Options options = QFileDialog::ShowDirsOnly;
    // A read-only dialog offers no button for a new folder.
    if (!allowNewFolder)
        options |= QFileDialog::ReadOnly;
    return QFileDialog::getExistingDirectory(QApplication::activeWindow(), prompt, QString(),
                                             options);
}

} // namespace nw
