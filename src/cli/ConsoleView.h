#pragma once

#include "core/ErrorReport.h"
#include "core/RowTable.h"
#include "core/ScanView.h"

#include <QElapsedTimer>
#include <QTextStream>

#include <csignal>
#include <cstdio>

namespace nw::cli {

// The scan's window on a terminal: rows kept in memory, progress as one line on standard error.
// errTerminal: standard error is a terminal, so names in error lines are escaped.
class ConsoleView : public ScanView, public ErrorSink {
public:
    // stopSignal: set by a signal handler; a signal that came before the scan cleared its flags
    // still stops it.
    ConsoleView(bool showProgress, bool errTerminal,
                const volatile std::sig_atomic_t* stopSignal = nullptr);

    void lockControls() override;
    void unlockControls(MatchMode) override {}
    void showCRCSkip(bool) override {}
    void uncheckCRC() override {}
    void clearRows() override { rows_.clear(); }
    void addRowAtTop(const ResultRow& row) override { rows_.addAtTop(row); }
    int rowCount() const override { return rows_.count(); }
    QString rowCell(int row, int column) const override { return rows_.cell(row, column); }
    void setRowsSorted(bool sorted) override;
    void setScoreHeader(const QString&) override {}
    void setStatus(StatusPanel panel, const QString& text) override;
    void setCaption(const QString& caption) override { caption_ = caption; }
    void setProgressRange(int, int) override {}
    void setProgress(int) override {}
    void yield() override;

    void showError(const QString& module, const QString& procedure,
                   const ErrorInfo& error) override;

    const RowTable& rows() const { return rows_; }
    bool errorReported() const { return errorReported_; }
    void finishProgress();

private:
    void drawProgress();

    RowTable rows_;
    QString caption_;
    QString file_;
    bool showProgress_;
    bool errTerminal_;
    bool lineShown_ = false;
    bool errorReported_ = false;
    unsigned calls_ = 0;
    QElapsedTimer clock_;
    const volatile std::sig_atomic_t* stopSignal_;
};

} // namespace nw::cli
