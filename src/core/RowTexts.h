#pragma once

#include "core/FileEnumeration.h"
#include "core/ScanSettings.h"

#include <QLocale>
#include <QString>

#include <array>
#include <memory>
#include <vector>

namespace nw {

// The files a scan's rows refer to: the scan's file list, which the rows keep after the scan,
// and each file's size in bytes, taken once, when the first row of the file is made.
struct RowFiles {
    std::shared_ptr<const FileList> list;
    std::vector<qint64> sizes; // by position; -1 while not taken

    bool holds(int position) const {
        return list && position >= 0 && position < qsizetype(list->size());
    }
    // Empty for a position the list does not hold.
    QString name(int position) const;
    QString folder(int position) const;
    qint64 size(int position) const;
};

// A size cell's text: empty for a size not taken.
QString sizeCellText(qint64 bytes, const QLocale& locale);

// A cell's text as the results list shows it; files may be null.
// locale: numberLocale(), which takes a global lock to make; a caller of many rows makes it once.
QString rowCell(const ResultRow& row, int column, const RowFiles* files);
QString rowCell(const ResultRow& row, int column, const RowFiles* files, const QLocale& locale);
std::array<QString, ColumnCount> rowCells(const ResultRow& row, const RowFiles* files,
                                          const QLocale& locale);

} // namespace nw
