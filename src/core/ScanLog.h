#pragma once

#include "platform/ErrorCodes.h"

#include <QString>

namespace nw {

// Appends line and CR LF to the log name + ".txt" in folder (a folder text), UTF-8, opening and
// closing the file for each line so that every line is on disk when this returns. A failure is
// reported and the line is lost; returns false then.
bool WriteLog(const QString& folder, const QString& line, const QString& name);

// WriteLog for a caller that handles the failure itself: nothing is reported.
ErrorInfo appendLogLine(const QString& folder, const QString& line, const QString& name);

// The path of a log in folder.
QString logPath(const QString& folder, const QString& name);

} // namespace nw
