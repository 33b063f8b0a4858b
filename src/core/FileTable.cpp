#include "core/FileTable.h"

#include <limits>
#include <new>

namespace nw {

int FileList::addFolder(const QString& folderText) {
    if (folders_.size() >= std::numeric_limits<int>::max())
        throw std::bad_alloc();
    folders_.append(folderText);
    return int(folders_.size() - 1);
}

void FileList::append(int folder, QStringView name) {
    // Offsets are 32 bits: past 4 Gi characters of names the listing is out of memory.
    if (quint64(names_.size()) + quint64(name.size()) > std::numeric_limits<uint32_t>::max())
        throw std::bad_alloc();
    names_.append(name);
    files_.append(File{uint32_t(folder), uint32_t(names_.size())});
}

FileList::FileList(std::initializer_list<QString> paths) {
    for (const QString& path : paths)
        append(path);
}

void FileList::append(const QString& path) {
    const qsizetype cut = path.lastIndexOf(QLatin1Char('/')) + 1;
    const QString folder = path.left(cut);
    const int id = !folders_.isEmpty() && folders_.constLast() == folder ? int(folders_.size() - 1)
                                                                         : addFolder(folder);
    append(id, QStringView(path).mid(cut));
}

void FileList::clear() {
    folders_.clear();
    names_.clear();
    files_.clear();
}

QString FileList::at(qsizetype i) const {
    const QString& folder = folders_.at(files_.at(i).folder);
    const QStringView name = nameView(i);
    QString path;
    path.reserve(folder.size() + name.size());
    return path.append(folder).append(name);
}

QStringList FileList::paths() const {
    QStringList all;
    all.reserve(size());
    for (qsizetype i = 0; i < size(); ++i)
        all.append(at(i));
    return all;
}

} // namespace nw
