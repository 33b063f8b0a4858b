#pragma once

#include "ui/Volumes.h"

#include <QObject>

class QComboBox;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace nw {

class FolderTree;

// The folder to scan, as the drive list, the folder list and the favourites choose it, and the
// favourites kept in qvx.ini.
class FavouritesController : public QObject {
    Q_OBJECT
public:
    struct Controls {
        QComboBox* drives = nullptr;       // Drive1
        FolderTree* folders = nullptr;     // Dir1
        QListWidget* favourites = nullptr; // FavsList
        QPushButton* add = nullptr;        // addFavorite
        QPushButton* remove = nullptr;     // DelFav
    };

    // volumes: empty for the mounted volumes.
    FavouritesController(const Controls& controls, QString file, VolumeSource volumes,
                         QObject* parent = nullptr);

    // Opens folder, on its volume when one holds it, and lists the favourites of the file.
    void start(const QString& folder);

    // The folder list's path as a folder text.
    QString scanPath() const { return scanPath_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<Volume> currentVolumes() const;
    void fillDrives();
    bool volumeReady(const QString& root) const;
    void driveChange();
    void folderChange();
    void favouriteClick(QListWidgetItem* item);
    void pointerMove();
    void addClick();
    void deleteClick();

    Controls controls_;
    QString file_;
    VolumeSource volumeSource_;
    QList<Volume> volumes_;
    QString scanPath_;
    bool keyMoving_ = false;
};

} // namespace nw
