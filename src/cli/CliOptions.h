#pragma once

#include "core/ScanSettings.h"

#include <QString>
#include <QStringList>

namespace nw::cli {

enum class Format { Csv, Json };

struct CliOptions {
    ScanSettings settings;
    QString folder;
    Format format = Format::Csv;
    QString output; // empty: standard output
    bool quiet = false;
    bool help = false;
    bool version = false;
};

// Reads the command line; false with a message in error for bad usage.
bool parseCommandLine(const QStringList& args, CliOptions& options, QString& error);

QString usageText();

} // namespace nw::cli
