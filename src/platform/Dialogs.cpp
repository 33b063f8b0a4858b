#include "platform/Dialogs.h"

#include <QDebug>

namespace nw {

Service<Dialogs*>& dialogsService() {
    static Service<Dialogs*> dialogs;
    return dialogs;
}

MessageAnswer showMessage(const QString& title, const QString& text, MessageButtons buttons,
                          MessageIcon icon, MessageAnswer defaultAnswer) {
    if (Dialogs* current = dialogsService().get())
        return current->message(title, text, buttons, icon, defaultAnswer);
    qWarning().noquote() << title << text;
    return defaultAnswer;
}

QString browseForFolder(const QString& prompt, bool allowNewFolder, const QString& startFolder) {
    Dialogs* current = dialogsService().get();
    return current ? current->browseFolder(prompt, allowNewFolder, startFolder) : QString();
}

} // namespace nw
