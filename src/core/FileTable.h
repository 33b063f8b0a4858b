#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <initializer_list>

namespace nw {

// The files of one listing, in order, at a few bytes each: every folder's text is kept once and
// every name once in one pool. Copies share the data (as Qt's containers do) until one changes.
class FileList {
public:
    FileList() = default;
    // Files by their full paths, for lists made by hand.
    FileList(std::initializer_list<QString> paths);

    // Starts a folder (its text ends with the separator) and returns its id for append.
    int addFolder(const QString& folderText);
    // Adds the next file, named name, in folder.
    void append(int folder, QStringView name);
    // Adds the next file by its full path; its folder is the one added last when the texts agree.
    void append(const QString& path);

    qsizetype size() const { return files_.size(); }
    // Characters of all names together.
    qsizetype nameChars() const { return names_.size(); }
    bool isEmpty() const { return files_.isEmpty(); }
    void clear();

    // The full path of file i.
    QString at(qsizetype i) const;
    // Its name, after the last separator.
    QString name(qsizetype i) const { return nameView(i).toString(); }
    QStringView nameView(qsizetype i) const {
        const uint32_t start = i == 0 ? 0 : files_.at(i - 1).nameEnd;
        return QStringView(names_).mid(start, files_.at(i).nameEnd - start);
    }
    // Its folder's text, with the trailing separator.
    QString folder(qsizetype i) const { return folders_.at(files_.at(i).folder); }

    QStringList paths() const;
    friend bool operator==(const FileList& a, const FileList& b) { return a.paths() == b.paths(); }

private:
    // A name runs from the end of the one before to its own end.
    struct File {
        uint32_t folder;
        uint32_t nameEnd;
    };
    QStringList folders_;
    QString names_;
    QList<File> files_;
};

} // namespace nw
