#include "ui/FavouritesController.h"
#include "core/ErrorReport.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "settings/FavouritesFile.h"
#include "settings/ReadWrite.h"
#include "ui/FolderTree.h"

#include <QComboBox>
#include <QCursor>
#include <QEvent>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

#include <utility>

namespace nw {

namespace {
const QString Module = QStringLiteral("frmMain");
}

FavouritesController::FavouritesController(const Controls& controls, QString file,
                                           VolumeSource volumes, QObject* parent)
    : QObject(parent)
    , controls_(controls)
    , file_(std::move(file))
    , volumeSource_(std::move(volumes)) {
    controls_.favourites->viewport()->setMouseTracking(true);
    controls_.favourites->viewport()->installEventFilter(this);
    controls_.favourites->installEventFilter(this);
    connect(controls_.drives, &QComboBox::currentIndexChanged, this,
            &FavouritesController::driveChange);
    connect(controls_.folders, &FolderTree::pathChanged, this, &FavouritesController::folderChange);
    connect(controls_.favourites, &QListWidget::itemClicked, this,
            &FavouritesController::favouriteClick);
    // A keyboard selection chooses the folder as a click does; a press of the mouse moves the
    // current item too, but its click follows.
    connect(controls_.favourites, &QListWidget::currentItemChanged, this,
            [this](QListWidgetItem* item) {
                if (std::exchange(keyMoving_, false))
                    favouriteClick(item);
            });
    connect(controls_.add, &QPushButton::clicked, this, &FavouritesController::addClick);
    connect(controls_.remove, &QPushButton::clicked, this, &FavouritesController::deleteClick);
}

void FavouritesController::start(const QString& folder) {
    fillDrives();
    const int volume = volumeHolding(volumes_, folder);
    if (volume >= 0) {
        const QSignalBlocker block(controls_.drives);
        controls_.drives->setCurrentIndex(volume);
    }
    {
        const QSignalBlocker block(controls_.folders);
        if (const ErrorInfo error =
                controls_.folders->setPath(folder, volume >= 0 ? volumes_.at(volume).root : folder))
            ReportError(Module, QStringLiteral("Form_Load"), error);
    }
    folderChange();
    if (QFileInfo::exists(file_))
        controls_.favourites->addItems(loadFavourites(file_));
}

bool FavouritesController::eventFilter(QObject* watched, QEvent* event) {
    // The type first: the list may be half destroyed when its viewport's last events come.
    if (event->type() == QEvent::MouseMove && watched == controls_.favourites->viewport())
        pointerMove();
    // Set only while the list handles a key press; any other event of the list ends it.
    if (watched == controls_.favourites)
        keyMoving_ = event->type() == QEvent::KeyPress;
    return QObject::eventFilter(watched, event);
}

QList<Volume> FavouritesController::currentVolumes() const {
    return volumeSource_ ? volumeSource_() : mountedVolumes();
}

void FavouritesController::fillDrives() {
    volumes_ = currentVolumes();
    const QSignalBlocker block(controls_.drives);
    controls_.drives->clear();
    for (const Volume& volume : volumes_)
        controls_.drives->addItem(volume.root);
}

bool FavouritesController::volumeReady(const QString& root) const {
    // Asked afresh: media come and go.
    for (const Volume& volume : currentVolumes()) {
        if (volume.root == root)
            return volume.ready;
    }
    return false;
}

void FavouritesController::driveChange() {
    const int index = controls_.drives->currentIndex();
    if (index < 0)
        return;
    const QString root = volumes_.at(index).root;
    if (!volumeReady(root)) {
        // The folder list keeps its folder, the drive list the chosen drive.
        showMessage(QStringLiteral("ERROR!!"), QStringLiteral("Device not available"),
                    MessageButtons::Ok, MessageIcon::Critical);
        return;
    }
    if (const ErrorInfo error = controls_.folders->setPath(root, root))
        ReportError(Module, QStringLiteral("Drive1_Change"), error);
}

void FavouritesController::folderChange() {
    const QString path = controls_.folders->path();
    scanPath_ = path.isEmpty() ? QString() : fs::folderText(path);
}

void FavouritesController::favouriteClick(QListWidgetItem* item) {
    if (!item)
        return;
    const QString folder = item->text();
    const int volume = volumeHolding(volumes_, folder);
    if (volume >= 0 && controls_.drives->currentIndex() != volume)
        controls_.drives->setCurrentIndex(volume);
    ErrorInfo error;
    if (volume >= 0 && !volumeReady(volumes_.at(volume).root))
        error = ErrorInfo::make(ErrDeviceUnavailable, folder);
    else
        error = controls_.folders->setPath(folder, volume >= 0 ? volumes_.at(volume).root : folder);
    if (error.number == ErrPathNotFound) {
        showMessage(QStringLiteral("Missing Folder"), QStringLiteral("Folder not found."),
                    MessageButtons::Ok, MessageIcon::Critical);
        deleteClick();
    } else if (error) {
        ReportError(Module, QStringLiteral("FavsList_Click"), error);
    }
}

void FavouritesController::pointerMove() {
    // The item under the pointer now, or the nearest one, as a list box answers.
    QListWidget* list = controls_.favourites;
    const int count = list->count();
    if (count == 0)
        return;
    const QPoint at = list->viewport()->mapFromGlobal(QCursor::pos());
    int row = list->row(list->itemAt(at));
    if (row < 0)
        row = at.y() < list->visualItemRect(list->item(0)).top() ? 0 : count - 1;
    list->setToolTip(list->item(row)->text());
}

void FavouritesController::addClick() {
    QListWidget* list = controls_.favourites;
    const QString folder = controls_.folders->path();
    if (folder.isEmpty())
        return;
    for (int k = 0; k < list->count(); ++k) {
        if (list->item(k)->text() == folder)
            return;
    }
    list->addItem(folder);
    // Every key again, so that path0 ... pathN-1 match the list one to one. The first refusal
    // ends it: the next keys would only be refused and reported again.
    for (int k = 0; k < list->count(); ++k) {
        if (WriteToFile(FavouritesSection, favouriteKey(k), list->item(k)->text(), file_) <= 0)
            break;
    }
}

void FavouritesController::deleteClick() {
    QListWidget* list = controls_.favourites;
    const QList<QListWidgetItem*> selected = list->selectedItems();
    if (selected.isEmpty())
        return;
    const int k = list->row(selected.first());
    // The keys after k keep their numbers: the file may hold a gap from now on.
    DeleteFromFile(FavouritesSection, favouriteKey(k), file_);
    delete list->takeItem(k);
    list->clearSelection();
    list->setCurrentRow(-1);
}

} // namespace nw
