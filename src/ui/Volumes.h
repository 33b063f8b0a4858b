#pragma once

#include <QList>
#include <QString>

#include <functional>

namespace nw {

// How the file system compares folder names.
#ifdef Q_OS_WIN
constexpr Qt::CaseSensitivity PathCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity PathCase = Qt::CaseSensitive;
#endif

// A mounted volume as the drive list shows it.
struct Volume {
    QString root; // native separators, ends with one
    bool ready = true;
};

using VolumeSource = std::function<QList<Volume>()>;

// The mounted volumes, sorted by root.
QList<Volume> mountedVolumes();

// The volume with the longest root that begins path (whole names only); -1 when none does.
int volumeHolding(const QList<Volume>& volumes, const QString& path);

} // namespace nw
