#pragma once

#include "core/FileTable.h"
#include "core/Yield.h"
#include "platform/FileSystem.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace nw {

// Every file below folder, depth first, each folder's entries in ordinal order of their names.
// Dot-names, links and special files are left out. A folder that cannot be listed is reported
// and contributes no files. StopFlag, which every report raises, ends the walk between entries.
// listed, when given, is shown the list as it stands after each folder, on the walking thread.
using ListedHook = std::function<void(const FileList&)>;
FileList GetFileList(QString folder, const Yielder& yield = {}, const ListedHook& listed = {});
void ScanFolder(const QString& folder, FileList& list, const Yielder& yield = {},
                const ListedHook& listed = {});
// The entry names of one folder; ok is false (and the failure reported) when it cannot be listed.
// kinds, when given, gets what each entry was when listed.
QStringList FolderItems(const QString& folder, bool& ok, const Yielder& yield = {},
                        QList<fs::Kind>* kinds = nullptr);

// Size in bytes; 0 for an empty path, and 0 after a reported failure.
double GetFSize(const QString& path);

} // namespace nw
