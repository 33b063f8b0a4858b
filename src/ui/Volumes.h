#pragma once

#include <QList>
#include <QString>

#include <functional>

namespace nw {

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
