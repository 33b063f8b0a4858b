#pragma once

#include "platform/Shell.h"

#include <QStringList>

namespace nw::test {

// Keeps every address handed to the desktop and answers with `result`.
class RecordingShell : public Shell {
public:
    bool openUrl(const QUrl& url) override {
        urls << url.toString(QUrl::FullyEncoded);
        return result;
    }

    QStringList urls; // fully encoded, as a browser would receive them
    bool result = true;

private:
    ScopedService<Shell*> inUse_{shellService(), this};
};

} // namespace nw::test
