#pragma once

#include "cli/CliOptions.h"
#include "core/RowTable.h"
#include "core/ScanDriver.h"

#include <QByteArray>

namespace nw::cli {

// The rows as CSV (RFC 4180, header of column keys) or as one JSON object, cells as the window
// shows them, rows in the window's final order. For a terminal, control characters in the cells
// are escaped (see TerminalText.h; in JSON as \u escapes).
QByteArray formatResults(Format format, ScanStatus status, const RowTable& rows, bool terminal);

} // namespace nw::cli
