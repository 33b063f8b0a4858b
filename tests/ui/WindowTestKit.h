#pragma once

#include "Dialogs.h"
#include "ErrorReport.h"
#include "MainWindow.h"
#include "TestDir.h"

#include <QList>
#include <QStringList>
#include <QTest>

#include <memory>

namespace nw::test {

// Answers message boxes and the folder dialog from queues, and keeps what was asked.
class ScriptedDialogs : public Dialogs {
public:
    ScriptedDialogs() { previous_ = setDialogs(this); }
    ~ScriptedDialogs() override { setDialogs(previous_); }
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    MessageAnswer message(const QString& title, const QString& text, MessageButtons,
                          MessageIcon icon, MessageAnswer defaultAnswer) override {
        messages << title + QLatin1Char('|') + text +
                        (icon == MessageIcon::Critical ? QStringLiteral("|critical") : QString());
        return answers.isEmpty() ? defaultAnswer : answers.takeFirst();
    }
    QString browseFolder(const QString& prompt, bool allowNewFolder) override {
        prompts << prompt + (allowNewFolder ? QStringLiteral("|new") : QString());
        return folders.isEmpty() ? QString() : folders.takeFirst();
    }

    QStringList messages; // "title|text", "|critical" added for a critical icon
    QStringList prompts;  // "prompt", "|new" added when a new folder may be made
    QList<MessageAnswer> answers;
    QStringList folders;

private:
    Dialogs* previous_ = nullptr;
};

// The named child of the window; fails the test when it is missing.
template <typename T> T* child(const QObject& window, const QString& name) {
    T* found = window.findChild<T*>(name);
    if (!found)
        qFatal("no child %s of the expected type", qPrintable(name));
    return found;
}

// A window whose qvx.ini lies in a temporary folder and whose start folder is given.
inline std::unique_ptr<MainWindow> makeWindow(const TestDir& config, const QString& startFolder,
                                              VolumeSource volumes = {}) {
    WindowOptions options;
    options.favouritesFile = config.file(QStringLiteral("qvx.ini"));
    options.startFolder = startFolder;
    options.volumes = std::move(volumes);
    return std::make_unique<MainWindow>(options);
}

} // namespace nw::test
