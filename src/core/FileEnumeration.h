#pragma once

#include "core/FileTable.h"
#include "core/Yield.h"
#include "platform/FileSystem.h"

#include <QString>
#include <QStringList>

namespace nw {

// Every file below folder, depth first, each folder's entries in ordinal order of their names.
// Dot-names, links and special files are left out. A folder that cannot be listed is reported
// and contributes no files. StopFlag, which every report raises, ends the walk between entries.
FileList GetFileList(QString folder, const Yielder& yield = {});
void ScanFolder(const QString& folder, FileList& list, const Yielder& yield = {});
// The entry names of one folder; ok is false (and the failure reported) when it cannot be listed.
// kinds, when given, gets what each entry was when listed.
QStringList FolderItems(const QString& folder, bool& ok, const Yielder& yield = {},
                        QList<fs::Kind>* kinds = nullptr);

// Size in bytes; 0 for an empty path, and 0 after a reported failure.
double GetFSize(const QString& path);

} // namespace nw
