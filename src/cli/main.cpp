#include "AutoMove.h"
#include "CliOptions.h"
#include "ConsoleView.h"
#include "FileSystem.h"
#include "Flags.h"
#include "PathCodec.h"
#include "ResultWriter.h"
#include "ScanDriver.h"
#include "Texts.h"

#include <QCoreApplication>
#include <QDir>
#include <QSaveFile>

#include <csignal>
#include <cstdio>
#include <unistd.h>

using namespace nw;

namespace {

volatile std::sig_atomic_t interrupted = 0;

void onInterrupt(int) {
    interrupted = 1;
    StopFlag = true;
}

void writeTo(FILE* stream, const QString& text) {
    const QByteArray bytes = encodeText(text);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

int usageError(const QString& message) {
    writeTo(stderr,
            QStringLiteral("namewick-scan: %1\nTry 'namewick-scan --help'.\n").arg(message));
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

    QSaveFile outputFile(options.output);
    if (!options.output.isEmpty() && !outputFile.open(QIODevice::WriteOnly))
        return usageError(QStringLiteral("%1: %2").arg(options.output, outputFile.errorString()));

    std::signal(SIGINT, onInterrupt);
    cli::ConsoleView view(!options.quiet && ::isatty(STDERR_FILENO));
    setErrorSink(&view);
    const ScanStatus status = runScan(settings, view);
    view.finishProgress();
    setErrorSink(nullptr);

    const QByteArray results = cli::formatResults(options.format, status, view.rows().topDown());
    bool written = true;
    if (options.output.isEmpty()) {
        written = std::fwrite(results.constData(), 1, size_t(results.size()), stdout) ==
                      size_t(results.size()) &&
                  std::fflush(stdout) == 0;
    } else {
        written = outputFile.write(results) == results.size() && outputFile.commit();
    }
    if (!options.quiet)
        writeTo(stderr,
                QStringLiteral("%1\nFound: %2\n").arg(statusText(status)).arg(view.rowCount()));
    if (!written) {
        writeTo(stderr, QStringLiteral("namewick-scan: the results could not be written\n"));
        return 1;
    }
    if (interrupted)
        return 130;
    if (status == ScanStatus::Error || view.errorReported())
        return 1;
    return 0;
}
