#pragma once

#include "platform/ScopedService.h"

#include <QString>

namespace nw {

enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageIcon { None, Information, Question, Warning, Critical };
enum class MessageAnswer { Ok, Cancel, Yes, No };

// Message boxes and the folder dialog. The window program installs the real ones; tests
// install answers of their own, so nothing ever waits for a person.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual MessageAnswer message(const QString& title, const QString& text, MessageButtons buttons,
                                  MessageIcon icon, MessageAnswer defaultAnswer) = 0;
    // A folder path, or an empty text when the user cancels. The dialog opens in startFolder
    // and shows the prompt inside it.
    virtual QString browseFolder(const QString& prompt, bool allowNewFolder,
                                 const QString& startFolder) = 0;
};

// The dialogs in use. Without any, a message answers its default and the folder dialog is
// cancelled.
Service<Dialogs*>& dialogsService();

MessageAnswer showMessage(const QString& title, const QString& text,
                          MessageButtons buttons = MessageButtons::Ok,
                          MessageIcon icon = MessageIcon::None,
                          MessageAnswer defaultAnswer = MessageAnswer::Ok);
QString browseForFolder(const QString& prompt, bool allowNewFolder, const QString& startFolder);

} // namespace nw
