#include "platform/Dialogs.h"

#include <QDebug>

namespace nw {

namespace {
Dialogs* current = nullptr;
}

Dialogs* setDialogs(Dialogs* dialogs) {
    Dialogs* previous = current;
    current = dialogs;
    return previous;
}

MessageAnswer showMessage(const QString& title, const QString& text, MessageButtons buttons,
                          MessageIcon icon, MessageAnswer defaultAnswer) {
    if (current)
        return current->message(title, text, buttons, icon, defaultAnswer);
    qWarning().noquote() << title << text;
    return defaultAnswer;
}

QString browseForFolder(const QString& prompt, bool allowNewFolder) {
    return current ? current->browseFolder(prompt, allowNewFolder) : QString();
}

} // namespace nw
