#pragma once

#include "cli/CliOptions.h"
#include "core/RowTable.h"
#include "core/ScanDriver.h"

#include <QByteArray>

#include <functional>

namespace nw::cli {

// Takes the results a piece at a time; false stops the writing.
using ResultSink = std::function<bool(const QByteArray&)>;

// The rows as CSV (RFC 4180, header of column keys) or as one JSON object, cells as the window
// shows them, rows in the window's final order, handed to sink in pieces of some thousand rows.
// For a terminal, control characters in the cells are escaped (see TerminalText.h; in JSON as
// \u escapes). False when sink refused a piece. written, if given, hears how many rows are
// written as they are.
bool writeResults(Format format, ScanStatus status, const RowTable& rows, bool terminal,
                  const ResultSink& sink, const std::function<void(int)>& written = {});

} // namespace nw::cli
