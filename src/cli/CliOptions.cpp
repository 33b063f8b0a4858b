#include "cli/CliOptions.h"

namespace nw::cli {

QString usageText() {
    return QStringLiteral(
        "Usage: namewick-scan [options] FOLDER\n"
        "Finds files with equal or similar names below FOLDER and prints the matched pairs.\n"
        "\n"
        "Options:\n"
        "  --mode chars|levenshtein   comparison mode (default chars)\n"
        "  --percent TEXT             share of matching characters or groups, chars mode (default "
        "90)\n"
        "  --group TEXT               group size for names of different length (default 3)\n"
        "  --distance TEXT            largest edit distance that matches, levenshtein mode "
        "(default 0)\n"
        "  --repeat TEXT              1: names may repeat, 2: file-one names may not, 3: neither\n"
        "                             (default 1)\n"
        "  --keep-extensions          compare names with their extensions (default: ignored)\n"
        "  --crc                      also compare CRC-32 checksums of the files' content\n"
        "  --auto-move DIR            move the smaller file of every pair into DIR, keeping its\n"
        "                             folder path below FOLDER; each move is recorded in Move.txt\n"
        "  --no-log                   do not delete or write Log.txt in FOLDER\n"
        "  --format csv|json          output format (default csv)\n"
        "  --output FILE              write the pairs to FILE (default standard output); a\n"
        "                             device or FIFO is written into, any other FILE replaced\n"
        "                             whole once the pairs are complete\n"
        "  --quiet                    nothing on standard error but errors\n"
        "  --help                     show this text\n"
        "  --version                  show the version\n"
        "\n"
        "Numbers are read as the window reads its boxes: \"90.5\" reads 90, and a text that is no\n"
        "number (\"abc\") ends the scan with an error when the value is first needed.\n"
        "\n"
        "Switches take no value (\"--crc=no\" is bad usage); an empty FOLDER is bad usage, never\n"
        "the working folder.\n"
        "\n"
        "On a terminal, control characters in names show as \\n, \\t, \\x1b and so on,\n"
        "bytes that are not UTF-8 as \\xe9 and a backslash as \\\\; elsewhere names keep\n"
        "their exact bytes.\n"
        "\n"
        "Exit status: 0 done, 1 error (also when FILE cannot be written), 2 bad usage; when\n"
        "stopped by a signal, with the pairs found so far written: 130 SIGINT (Ctrl-C),\n"
        "143 SIGTERM, 129 SIGHUP.\n"
        "\n"
        "Examples:\n"
        "  namewick-scan ~/Music\n"
        "      names at least 90 % alike, extensions ignored, pairs as CSV on standard output\n"
        "  namewick-scan --percent 80 --group 2 --keep-extensions ~/Music\n"
        "      looser matching; \"song.mp3\" and \"song.ogg\" no longer match\n"
        "  namewick-scan --mode levenshtein --distance 1 --format json --output pairs.json "
        "~/Music\n"
        "      names one edit apart, written to pairs.json\n"
        "  namewick-scan --crc --repeat 3 --no-log --quiet /srv/photos\n"
        "      also pairs of equal content whatever their names; names already listed as\n"
        "      File One not paired again; no Log.txt; only errors on standard error\n"
        "  namewick-scan --auto-move /srv/dupes/ /srv/photos\n"
        "      the smaller file of each pair moved below /srv/dupes/, each move listed in "
        "/srv/photos/Move.txt\n");
}

bool parseCommandLine(const QStringList& args, CliOptions& options, QString& error) {
    auto valueOf = [&](qsizetype& k, const QString& name, QString& value) {
        const QString& arg = args.at(k);
        const qsizetype eq = arg.indexOf(QLatin1Char('='));
        if (eq > 0) {
            value = arg.mid(eq + 1);
            return true;
        }
        if (k + 1 >= args.size()) {
            error = QStringLiteral("%1 needs a value").arg(name);
            return false;
        }
        value = args.at(++k);
        return true;
    };

    bool onlyFolders = false;
    QStringList folders;
    for (qsizetype k = 0; k < args.size(); ++k) {
        const QString& arg = args.at(k);
        if (onlyFolders || !arg.startsWith(QLatin1String("--"))) {
            if (!onlyFolders && arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
                error = QStringLiteral("unknown option %1").arg(arg);
                return false;
            }
            folders.append(arg);
            continue;
        }
        if (arg == QLatin1String("--")) {
            onlyFolders = true;
            continue;
        }
        const QString name = arg.section(QLatin1Char('='), 0, 0);
        // "--no-log=0" must not quietly mean --no-log.
        const auto isSwitch = [&](const char* switchName) {
            if (name != QLatin1String(switchName))
                return false;
            if (arg.size() != name.size())
                error = QStringLiteral("%1 takes no value").arg(name);
            return true;
        };
        QString value;
        if (isSwitch("--help")) {
            options.help = true;
        } else if (isSwitch("--version")) {
            options.version = true;
        } else if (isSwitch("--quiet")) {
            options.quiet = true;
        } else if (isSwitch("--keep-extensions")) {
            options.settings.ignoreExtensions = false;
        } else if (isSwitch("--no-log")) {
            options.settings.writeLog = false;
        } else if (isSwitch("--crc")) {
            options.settings.checkCRC = true;
        } else if (name == QLatin1String("--mode")) {
            if (!valueOf(k, name, value))
                return false;
            if (value == QLatin1String("chars"))
                options.settings.mode = MatchMode::Characters;
            else if (value == QLatin1String("levenshtein"))
                options.settings.mode = MatchMode::Levenshtein;
            else {
                error = QStringLiteral("--mode takes chars or levenshtein, not \"%1\"").arg(value);
                return false;
            }
        } else if (name == QLatin1String("--format")) {
            if (!valueOf(k, name, value))
                return false;
            if (value == QLatin1String("csv"))
                options.format = Format::Csv;
            else if (value == QLatin1String("json"))
                options.format = Format::Json;
            else {
                error = QStringLiteral("--format takes csv or json, not \"%1\"").arg(value);
                return false;
            }
        } else if (name == QLatin1String("--percent")) {
            if (!valueOf(k, name, options.settings.percent))
                return false;
        } else if (name == QLatin1String("--group")) {
            if (!valueOf(k, name, options.settings.groupSize))
                return false;
        } else if (name == QLatin1String("--distance")) {
            if (!valueOf(k, name, options.settings.distance))
                return false;
        } else if (name == QLatin1String("--repeat")) {
            if (!valueOf(k, name, options.settings.repeatMode))
                return false;
        } else if (name == QLatin1String("--output")) {
            if (!valueOf(k, name, options.output))
                return false;
            if (options.output.isEmpty()) {
                error = QStringLiteral("--output needs a file name");
                return false;
            }
        } else if (name == QLatin1String("--auto-move")) {
            if (!valueOf(k, name, options.settings.autoMoveDir))
                return false;
            if (options.settings.autoMoveDir.isEmpty()) {
                error = QStringLiteral("--auto-move needs a folder");
                return false;
            }
            options.settings.autoMove = true;
        } else {
            error = QStringLiteral("unknown option %1").arg(arg);
            return false;
        }
        if (!error.isEmpty())
            return false;
    }
    if (options.help || options.version)
        return true;
    if (folders.size() != 1) {
        error = folders.isEmpty() ? QStringLiteral("no folder given")
                                  : QStringLiteral("one folder only, not %1").arg(folders.size());
        return false;
    }
    // An unset variable in a script must not mean the working folder.
    if (folders.first().isEmpty()) {
        error = QStringLiteral("the folder name is empty");
        return false;
    }
    options.folder = folders.first();
    return true;
}

} // namespace nw::cli
