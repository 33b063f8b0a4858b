#include "ui/ChooseFolder.h"
#include "platform/Dialogs.h"

#include <QDir>

namespace nw {

QString chooseFolder(bool newFolder, const QString& prompt, const QString& startFolder) {
    const QString text = prompt.isEmpty() ? QStringLiteral("Select a folder") : prompt;
    return QDir::toNativeSeparators(browseForFolder(text, newFolder, startFolder));
}

} // namespace nw
