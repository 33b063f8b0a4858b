#pragma once

#include "platform/ErrorCodes.h"

#include <QTreeView>

class QFileSystemModel;

namespace nw {

class VolumeFilter;

// The folder list: the folder tree of one volume, folders only. Its path is the current folder.
class FolderTree : public QTreeView {
    Q_OBJECT
public:
    explicit FolderTree(QWidget* parent = nullptr);

    // Native separators; only a root ends with a separator.
    QString path() const { return path_; }
    // Ends with a separator.
    QString volumeRoot() const { return root_; }

    // Shows the tree of the volume at volumeRoot with folder as the current one. Path not found
    // when folder is no folder; nothing changes then.
    ErrorInfo setPath(const QString& folder, const QString& volumeRoot);

signals:
    // The path changed, by the user or by setPath.
    void pathChanged();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void revealLater();
    void takePath(const QString& path);
    void showCurrent();

    QFileSystemModel* model_;
    VolumeFilter* filter_;
    QString root_;
    QString path_;
    bool settingPath_ = false;
    bool revealing_ = false; // from setPath until the user moves in the tree
    bool revealQueued_ = false;
};

} // namespace nw
