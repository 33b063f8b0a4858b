#include "cli/ConsoleView.h"
#include "cli/TerminalText.h"
#include "core/Flags.h"
#include "core/Texts.h"
#include "platform/PathCodec.h"

namespace nw::cli {

namespace {
void writeErr(const QString& text) {
    const QByteArray bytes = encodeText(text);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}
} // namespace

ConsoleView::ConsoleView(bool showProgress, bool errTerminal,
                         const volatile std::sig_atomic_t* stopSignal)
    : showProgress_(showProgress)
    , errTerminal_(errTerminal)
    , stopSignal_(stopSignal) {
    clock_.start();
}

void ConsoleView::lockControls() {
    if (stopSignal_ && *stopSignal_)
        StopFlag = true;
}

void ConsoleView::setStatus(StatusPanel panel, const QString& text) {
    if (panel == StatusPanel::FileName)
        file_ = text;
}

void ConsoleView::yield() {
    // Called per pair: look at the clock only now and then.
    if (!showProgress_ || (++calls_ & 63) != 0)
        return;
    if (clock_.elapsed() >= 200) {
        clock_.restart();
        drawProgress();
    }
}

void ConsoleView::drawProgress() {
    // Drawn on a terminal only.
    // Before phase 2 without checksums the window shows only its progress bar.
    const QString caption = !caption_.isEmpty() || progressMax_ <= 0
                                ? caption_
                                : QStringLiteral("Preparing ") +
                                      percentText(progress_, progressMax_) + QStringLiteral("%");
    QString line = escapeControls(caption + QStringLiteral("  ") + file_);
    if (line.size() > 78)
        line = line.left(38) + QStringLiteral("...") + line.right(37);
    writeErr(QStringLiteral("\r\x1b[K") + line);
    lineShown_ = true;
}

void ConsoleView::showWriting(int rows, int total) {
    if (!showProgress_ || clock_.elapsed() < 200)
        return;
    clock_.restart();
    caption_ = QStringLiteral("Writing results ") + percentText(rows, total) + QStringLiteral("%");
    file_.clear();
    drawProgress();
}

void ConsoleView::finishProgress() {
    if (lineShown_)
        writeErr(QStringLiteral("\r\x1b[K"));
    lineShown_ = false;
}

void ConsoleView::showError(const QString& module, const QString& procedure,
                            const ErrorInfo& error) {
    finishProgress();
    errorReported_ = true;
    QString line = QStringLiteral("error: %1 %2 %3 %4")
                       .arg(module, procedure)
                       .arg(error.number)
                       .arg(error.description);
    if (!error.detail.isEmpty())
        line += QStringLiteral(": ") + error.detail;
    writeErr(shownOn(errTerminal_, line) + QLatin1Char('\n'));
}

} // namespace nw::cli
