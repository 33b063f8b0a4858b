#pragma once

#include <QString>
#include <QStringList>

namespace nw {

// qvx.ini keeps the favourite folders in one section, one key per folder: path0, path1, ...
inline const QString FavouritesSection = QStringLiteral("favorites");
inline QString favouriteKey(int index) {
    return QStringLiteral("path%1").arg(index);
}
// Start-up reads path0 to path1000 at most.
inline constexpr int MaxFavouritesRead = 1001;

// Where qvx.ini lives: beside the program when that folder is writable (a portable install),
// otherwise in the user's configuration folder, which is created when missing. Needs a
// QCoreApplication.
QString favouritesFile();

// The same choice for a given program folder.
QString favouritesFileFor(const QString& programFolder);

// The favourites as start-up reads them: from path0 on, up to the first key that reads as
// empty. Keys after a gap are not read.
QStringList loadFavourites(const QString& file);

} // namespace nw
