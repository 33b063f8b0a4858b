#pragma once

#include "core/ErrorReport.h"
#include "core/RowTable.h"
#include "core/ScanView.h"
#include "core/Texts.h"

#include <QStringList>

#include <functional>

namespace nw::test {

// Rows that keep what the driver did to them: sort calls go to events.
class RecordingRows : public RowTable {
public:
    explicit RecordingRows(QStringList& events)
        : events_(events) {}
    void addAtTop(const ResultRow& row) override {
        RowTable::addAtTop(row);
        added.append(text(1));
    }
    void setSorted(bool sorted) override {
        events_.append(sorted ? QStringLiteral("sorted") : QStringLiteral("unsorted"));
        RowTable::setSorted(sorted);
    }

    // The rows from the top down, each as its eight cells joined by "|".
    QStringList texts() const {
        QStringList out;
        for (int r = 1; r <= count(); ++r)
            out.append(text(r));
        return out;
    }

    QStringList added; // the rows in the order they came, as texts() gives them

private:
    QString text(int r) const {
        const auto cells = this->cells(r, numberLocale());
        return QStringList(cells.begin(), cells.end()).join(QLatin1Char('|'));
    }
    QStringList& events_;
};

// A ScanView that keeps what the driver did to it, for tests to read back.
class RecordingView : public ScanView {
public:
    void lockControls() override {
        locked = true;
        events << "lock";
    }
    void unlockControls(MatchMode mode) override {
        locked = false;
        events << (mode == MatchMode::Levenshtein ? "unlock levenshtein" : "unlock chars");
    }
    void showCRCSkip(bool shown) override { events << (shown ? "crcskip on" : "crcskip off"); }
    void uncheckCRC() override { crcUnchecked = true; }
    void setScoreHeader(const QString& caption) override { scoreHeader = caption; }
    void setStatus(StatusPanel panel, const QString& text) override {
        (panel == StatusPanel::FileName ? fileNamePanel : secsPanel) = text;
        if (panel == StatusPanel::Secs)
            secsTexts << text;
    }
    void setCaption(const QString& text) override { captions.append(caption = text); }
    void setProgress(int position) override { progress = position; }
    void yield() override {
        ++yields;
        if (onYield)
            onYield(*this);
    }

    QString fileNamePanel;
    QString secsPanel;
    QStringList secsTexts; // every text the panel showed, in order
    QString caption;
    QStringList captions;
    QString scoreHeader;
    QStringList events; // "lock", "unlock chars", "crcskip on", "sorted"...
    RecordingRows rows{events};
    int progress = 0;
    int yields = 0;
    bool locked = false;
    bool crcUnchecked = false;
    // Runs at every yield, so a test can press Stop at a chosen moment.
    std::function<void(RecordingView&)> onYield;
};

// An error sink that records the reports instead of showing them.
class RecordingSink : public ErrorSink {
public:
    void showError(const QString& module, const QString& procedure,
                   const ErrorInfo& error) override {
        reports.append(QStringLiteral("%1/%2/%3").arg(module, procedure).arg(error.number));
        details.append(error.detail);
    }
    QStringList reports;
    QStringList details; // each report's detail, in the same order

private:
    ScopedService<ErrorSink*> inUse_{errorSinkService(), this};
};

} // namespace nw::test
