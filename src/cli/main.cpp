#include "cli/CliOptions.h"
#include "cli/ConsoleView.h"
#include "cli/OutputFile.h"
#include "cli/ResultWriter.h"
#include "cli/TerminalText.h"
#include "core/AutoMove.h"
#include "core/Flags.h"
#include "core/RowTable.h"
#include "core/ScanDriver.h"
#include "core/Texts.h"
#include "platform/FileSystem.h"
#include "platform/PathCodec.h"

#include <QCoreApplication>
#include <QDir>

#include <csignal>
#include <cstdio>
#include <unistd.h>

using namespace nw;

namespace {

// The first stop signal received, 0 for none.
volatile std::sig_atomic_t interrupted = 0;

void onStopSignal(int signal) {
    if (!interrupted)
        interrupted = signal;
    StopFlag = true;
}

// Ctrl-C, kill and a closed terminal all end the scan as its Stop button does: the pairs found
// so far are still written.
void catchStopSignals() {
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&action.sa_mask, signal);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

void writeTo(FILE* stream, const QString& text) {
    const QByteArray bytes = encodeText(text);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

// message names files: escaped when standard error is a terminal.
void runError(const QString& message) {
    writeTo(
        stderr,
        QStringLiteral("namewick-scan: %1\n").arg(cli::shownOn(::isatty(STDERR_FILENO), message)));
}

int usageError(const QString& message) {
    runError(message);
    writeTo(stderr, QStringLiteral("Try 'namewick-scan --help'.\n"));
    return 2;
}

QString absoluteFolder(const QString& path) {
    QString full = path;
    if (!QDir::isAbsolutePath(full)) {
        QByteArray cwd(4096, '\0');
        if (::getcwd(cwd.data(), size_t(cwd.size())))
            full = decodePath(QByteArray(cwd.constData())) + fs::separator() + full;
    }
    return QDir::cleanPath(full);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("namewick-scan"));
    QCoreApplication::setApplicationVersion(versionText());

    QStringList args;
    for (int k = 1; k < argc; ++k)
        args.append(decodePath(QByteArray(argv[k])));
    cli::CliOptions options;
    QString error;
    if (!cli::parseCommandLine(args, options, error))
        return usageError(error);
    if (options.help) {
        writeTo(stdout, cli::usageText());
        return 0;
    }
    if (options.version) {
        writeTo(stdout, QStringLiteral("namewick-scan %1\n").arg(versionText()));
        return 0;
    }

    ScanSettings& settings = options.settings;
    const QString folder = absoluteFolder(options.folder);
    if (!fs::folderExists(folder))
        return usageError(QStringLiteral("%1: no such folder").arg(options.folder));
    settings.baseFolder = folder;
    settings.scanFolder = fs::folderText(folder);
    if (settings.autoMove) {
        const QString target = absoluteFolder(settings.autoMoveDir);
        if (!fs::folderExists(target))
            return usageError(QStringLiteral("%1: no such folder").arg(settings.autoMoveDir));
        if (autoMoveTargetRefused(settings.baseFolder, target))
            return usageError(AutoMoveRefusedText);
        settings.autoMoveDir = fs::folderText(target);
    }

    // The usage is fine; a destination that cannot take the results is a failed run.
    cli::OutputFile output;
    if (!output.open(options.output, error)) {
        runError(error);
        return 1;
    }

    catchStopSignals();
    const bool errTerminal = ::isatty(STDERR_FILENO);
    cli::ConsoleView view(!options.quiet && errTerminal, errTerminal, &interrupted);
    RowTable rows;
    ScanStatus status;
    {
        const ScopedService sinkInUse(errorSinkService(), &view);
        status = runScan(settings, rows, view);
    }

    // Rows going to the terminal show themselves; elsewhere the progress line follows them.
    const bool toTerminal = output.isTerminal();
    if (toTerminal)
        view.finishProgress();
    std::function<void(int)> shown;
    if (!toTerminal)
        shown = [&view, &rows](int done) { view.showWriting(done, rows.count()); };
    const bool written =
        cli::writeResults(
            options.format, status, rows, toTerminal,
            [&output](const QByteArray& piece) { return output.write(piece); }, shown) &&
        output.finish();
    view.finishProgress();
    if (!options.quiet)
        writeTo(stderr,
                QStringLiteral("%1\nFound: %2\n").arg(statusText(status)).arg(rows.count()));
    if (!written) {
        runError(QStringLiteral("the results could not be written: %1").arg(output.writeError()));
        return 1;
    }
    if (interrupted)
        return 128 + interrupted;
    if (status == ScanStatus::Error || view.errorReported())
        return 1;
    return 0;
}
