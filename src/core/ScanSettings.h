#pragma once

#include <QLocale>
#include <QString>

#include <array>

namespace nw {

enum class MatchMode { Characters, Levenshtein };

// The settings of one scan, as the window's controls hold them. Numbers stay texts: a bad text
// only matters at the moment the scan needs the value.
struct ScanSettings {
    QString scanFolder; // ScanPath: the folder to scan, a folder text
    QString baseFolder; // the folder list's path as shown, used by the auto-move pass
    MatchMode mode = MatchMode::Characters;
    QString percent = QStringLiteral("90");
    QString groupSize = QStringLiteral("3");
    QString distance = QStringLiteral("0");
    QString repeatMode = QStringLiteral("1");
    bool ignoreExtensions = true;
    bool checkCRC = false;
    bool autoMove = false;
    QString autoMoveDir;  // a folder text
    bool writeLog = true; // off only from the command line
};

// Columns of a result row.
enum Column : int {
    ColFile1 = 0,
    ColFSize1 = 1,
    ColFPath1 = 2,
    ColMatched = 3,
    ColFile2 = 4,
    ColFSize2 = 5,
    ColFPath2 = 6,
    ColMethod = 7,
    ColumnCount = 8
};

// Column keys and header captions, in column order.
inline const std::array<QString, ColumnCount> ColumnKeys = {
    QStringLiteral("File1"),      QStringLiteral("FSize1"),  QStringLiteral("FPath1"),
    QStringLiteral("pctMatched"), QStringLiteral("File2"),   QStringLiteral("FSize2"),
    QStringLiteral("FPath2"),     QStringLiteral("MyMethod")};

// One matched pair, kept as a few numbers: millions of rows must fit in memory. Its texts are
// made when they are read (core/RowTexts.h).
struct ResultRow {
    enum Flag : quint8 {
        CrcMark = 1,  // equal checksums and sizes: "NA" and "CRC"
        Distance = 2, // the score is an edit distance, shown without a unit
    };
    qint32 one = -1; // file one's position in the scan's file list, from 0
    qint32 two = -1;
    qint32 score = 0;
    quint8 method = 0; // a Method
    quint8 flags = 0;
    bool operator==(const ResultRow&) const = default;
};

} // namespace nw
