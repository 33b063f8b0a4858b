#include "ui/Volumes.h"

#include <QDir>
#include <QStorageInfo>

#include <algorithm>

namespace nw {

namespace {

QString withSeparator(QString path) {
    if (!path.endsWith(QDir::separator()))
        path += QDir::separator();
    return path;
}

} // namespace

QList<Volume> mountedVolumes() {
    QList<Volume> volumes;
    for (const QStorageInfo& info : QStorageInfo::mountedVolumes()) {
        volumes.append({withSeparator(QDir::toNativeSeparators(info.rootPath())), info.isReady()});
    }
    std::sort(volumes.begin(), volumes.end(),
              [](const Volume& a, const Volume& b) { return a.root < b.root; });
    return volumes;
}

int volumeHolding(const QList<Volume>& volumes, const QString& path) {
    // "/mnt/a" must not claim "/mnt/ab": compare with a separator after both.
    const QString folder = withSeparator(path);
    int best = -1;
    for (int i = 0; i < volumes.size(); ++i) {
        const QString root = withSeparator(volumes.at(i).root);
        if (folder.startsWith(root, PathCase) &&
            (best < 0 || root.size() > withSeparator(volumes.at(best).root).size()))
            best = i;
    }
    return best;
}

} // namespace nw
