#include "settings/FavouritesFile.h"
#include "settings/ReadWrite.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace nw {

namespace {
const QString FileName = QStringLiteral("qvx.ini");
}

QString favouritesFile() {
    return favouritesFileFor(QCoreApplication::applicationDirPath());
}

QString favouritesFileFor(const QString& programFolder) {
    const QFileInfo folder(programFolder);
    if (!programFolder.isEmpty() && folder.isDir() && folder.isWritable())
        return QDir(programFolder).filePath(FileName);
    const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    // A failure here shows up as the first write's error report.
    QDir().mkpath(config);
    return QDir(config).filePath(FileName);
}

QStringList loadFavourites(const QString& file) {
    QStringList favourites;
    for (int i = 0; i < MaxFavouritesRead; ++i) {
        const QString folder = ReadFromFile(FavouritesSection, favouriteKey(i), file);
        if (folder.isEmpty())
            break;
        favourites.append(folder);
    }
    return favourites;
}

} // namespace nw
