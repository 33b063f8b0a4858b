#pragma once

#include "core/ErrorReport.h"
#include "core/ScanView.h"

#include <QElapsedTimer>
#include <QTextStream>

#include <csignal>
#include <cstdio>

namespace nw::cli {

// The scan's window on a terminal: progress as one line on standard error.
// errTerminal: standard error is a terminal, so names in error lines are escaped.
class ConsoleView : public ScanView, public ErrorSink {
public:
    // stopSignal: set by a signal handler; a signal that came before the scan cleared its flags
    // still stops it.
    ConsoleView(bool showProgress, bool errTerminal,
                const volatile std::sig_atomic_t* stopSignal = nullptr);

    void lockControls() override;
    void setStatus(StatusPanel panel, const QString& text) override;
    void setCaption(const QString& caption) override { caption_ = caption; }
    void setProgressRange(int, int maximum) override { progressMax_ = maximum; }
    void setProgress(int value) override { progress_ = value; }
    void yield() override;

    void showError(const QString& module, const QString& procedure,
                   const ErrorInfo& error) override;

    bool errorReported() const { return errorReported_; }
    // After the scan: how many of the rows are written.
    void showWriting(int rows, int total);
    void finishProgress();

private:
    void drawProgress();

    QString caption_;
    QString file_;
    int progress_ = 0;
    int progressMax_ = 0;
    bool showProgress_;
    bool errTerminal_;
    bool lineShown_ = false;
    bool errorReported_ = false;
    unsigned calls_ = 0;
    QElapsedTimer clock_;
    const volatile std::sig_atomic_t* stopSignal_;
};

} // namespace nw::cli
