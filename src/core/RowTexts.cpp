#include "core/RowTexts.h"
#include "core/NameMatching.h"
#include "core/Texts.h"

namespace nw {

QString RowFiles::name(int position) const {
    return holds(position) ? list->name(position) : QString();
}

QString RowFiles::folder(int position) const {
    return holds(position) ? list->folder(position) : QString();
}

qint64 RowFiles::size(int position) const {
    return position >= 0 && size_t(position) < sizes.size() ? sizes[size_t(position)] : -1;
}

namespace {

QString sizeText(const RowFiles* files, int position, const QLocale& locale) {
    return sizeCellText(files ? files->size(position) : -1, locale);
}

QString matchedText(const ResultRow& row) {
    if (row.flags & ResultRow::CrcMark)
        return QStringLiteral("NA");
    if (row.flags & ResultRow::Distance)
        return QString::number(row.score);
    return QString::number(row.score) + (Method(row.method) == Method::SameLength
                                             ? QStringLiteral(" chrs")
                                             : QStringLiteral(" grps"));
}

QString methodText(const ResultRow& row) {
    return row.flags & ResultRow::CrcMark ? QStringLiteral("CRC") : methodLabel(Method(row.method));
}

} // namespace

QString sizeCellText(qint64 bytes, const QLocale& locale) {
    return bytes < 0 ? QString() : kilobyteText(bytes, locale);
}

QString rowCell(const ResultRow& row, int column, const RowFiles* files) {
    return rowCell(row, column, files, numberLocale());
}

QString rowCell(const ResultRow& row, int column, const RowFiles* files, const QLocale& locale) {
    switch (column) {
    case ColFile1:
        return files ? files->name(row.one) : QString();
    case ColFSize1:
        return sizeText(files, row.one, locale);
    case ColFPath1:
        return files ? files->folder(row.one) : QString();
    case ColMatched:
        return matchedText(row);
    case ColFile2:
        return files ? files->name(row.two) : QString();
    case ColFSize2:
        return sizeText(files, row.two, locale);
    case ColFPath2:
        return files ? files->folder(row.two) : QString();
    case ColMethod:
        return methodText(row);
    }
    return {};
}

std::array<QString, ColumnCount> rowCells(const ResultRow& row, const RowFiles* files,
                                          const QLocale& locale) {
    std::array<QString, ColumnCount> cells;
    for (int c = 0; c < ColumnCount; ++c)
        cells[size_t(c)] = rowCell(row, c, files, locale);
    return cells;
}

} // namespace nw
