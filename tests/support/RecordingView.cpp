#include "support/RecordingView.h"

namespace nw::test {

namespace {
QString rowText(const ResultRow& row) {
    return QStringList(row.cells.begin(), row.cells.end()).join(QLatin1Char('|'));
}
} // namespace

void RecordingRows::addAtTop(const ResultRow& row) {
    RowTable::addAtTop(row);
    added.append(rowText(row));
}

void RecordingRows::setSorted(bool sorted) {
    events_.append(sorted ? QStringLiteral("sorted") : QStringLiteral("unsorted"));
    RowTable::setSorted(sorted);
}

QStringList RecordingRows::texts() const {
    QStringList out;
    for (int r = 1; r <= count(); ++r)
        out.append(rowText(row(r)));
    return out;
}

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

} // namespace nw::test
