#include "support/RecordingView.h"

namespace nw::test {

void RecordingView::lockControls() {
    locked = true;
    events.append(QStringLiteral("lock"));
}

void RecordingView::unlockControls(MatchMode mode) {
    locked = false;
    events.append(mode == MatchMode::Levenshtein ? QStringLiteral("unlock levenshtein")
                                                 : QStringLiteral("unlock chars"));
}

void RecordingView::showCRCSkip(bool shown) {
    events.append(shown ? QStringLiteral("crcskip on") : QStringLiteral("crcskip off"));
}

void RecordingView::setRowsSorted(bool sorted) {
    events.append(sorted ? QStringLiteral("sorted") : QStringLiteral("unsorted"));
    if (sorted)
        rows.sortBy(ColFile1);
}

void RecordingView::setStatus(StatusPanel panel, const QString& text) {
    if (panel == StatusPanel::FileName) {
        fileNamePanel = text;
    } else {
        secsPanel = text;
        secsHistory.append(text);
    }
}

void RecordingView::yield() {
    ++yields;
    if (onYield)
        onYield(*this);
}

QStringList RecordingView::rowTexts() const {
    QStringList out;
    for (int r = 1; r <= rows.count(); ++r) {
        QStringList cells;
        for (int c = 0; c < ColumnCount; ++c)
            cells.append(rows.cell(r, c));
        out.append(cells.join(QLatin1Char('|')));
    }
    return out;
}

} // namespace nw::test
