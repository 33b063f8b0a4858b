#pragma once

#include "platform/Dialogs.h"

#include <QList>
#include <QStringList>

namespace nw::test {

// A message box as the program asked for it.
struct AskedMessage {
    QString title;
    QString text;
    MessageButtons buttons;
    MessageIcon icon;
    MessageAnswer defaultAnswer;
};

// Answers message boxes and the folder dialog from queues, and keeps what was asked.
class ScriptedDialogs : public Dialogs {
public:
    MessageAnswer message(const QString& title, const QString& text, MessageButtons buttons,
                          MessageIcon icon, MessageAnswer defaultAnswer) override {
        asked.append({title, text, buttons, icon, defaultAnswer});
        return answers.isEmpty() ? defaultAnswer : answers.takeFirst();
    }
    QString browseFolder(const QString& prompt, bool allowNewFolder,
                         const QString& startFolder) override {
        prompts << prompt + (allowNewFolder ? QStringLiteral("|new") : QString());
        starts << startFolder;
        return folders.isEmpty() ? QString() : folders.takeFirst();
    }

    // "title|text" of each message asked, "|critical" added for a critical icon.
    QStringList messages() const {
        QStringList shown;
        for (const AskedMessage& m : asked)
            shown << m.title + QLatin1Char('|') + m.text +
                         (m.icon == MessageIcon::Critical ? QStringLiteral("|critical")
                                                          : QString());
        return shown;
    }
    QList<AskedMessage> asked;
    QStringList prompts; // "prompt", "|new" added when a new folder may be made
    QStringList starts;  // the folder each folder dialog opened in
    QList<MessageAnswer> answers;
    QStringList folders;

private:
    ScopedService<Dialogs*> inUse_{dialogsService(), this};
};

} // namespace nw::test
