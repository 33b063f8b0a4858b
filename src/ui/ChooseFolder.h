#pragma once

#include <QString>

namespace nw {

// The folder dialog, "Select a folder" unless prompt says otherwise, opened in startFolder; the
// folder in native separators, an empty text when cancelled.
QString chooseFolder(bool newFolder, const QString& prompt = {}, const QString& startFolder = {});

} // namespace nw
