// Folder selection and favourites of the main window.
#include "core/ErrorReport.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "settings/FavouritesFile.h"
#include "settings/ReadWrite.h"
#include "ui/FolderTree.h"
#include "ui/MainWindow.h"

#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>

namespace nw {

namespace {
const QString Module = QStringLiteral("frmMain");
}

void MainWindow::fillDrives() {
    volumes_ = options_.volumes ? options_.volumes() : mountedVolumes();
    const QSignalBlocker block(drive1_);
    drive1_->clear();
    for (const Volume& volume : volumes_)
        drive1_->addItem(volume.root);
}

bool MainWindow::volumeReady(const QString& root) const {
    // Asked afresh: media come and go.
    const QList<Volume> now = options_.volumes ? options_.volumes() : mountedVolumes();
    for (const Volume& volume : now) {
        if (volume.root == root)
            return volume.ready;
    }
    return false;
}

void MainWindow::drive1Change() {
    const int index = drive1_->currentIndex();
    if (index < 0)
        return;
    const QString root = volumes_.at(index).root;
    if (!volumeReady(root)) {
        // The folder list keeps its folder, the drive list the chosen drive.
        showMessage(QStringLiteral("ERROR!!"), QStringLiteral("Device not available"),
                    MessageButtons::Ok, MessageIcon::Critical);
        return;
    }
    if (const ErrorInfo error = dir1_->setPath(root, root))
        ReportError(Module, QStringLiteral("Drive1_Change"), error);
}

void MainWindow::dir1Change() {
    const QString path = dir1_->path();
    scanPath_ = path.isEmpty() ? QString() : fs::folderText(path);
}

void MainWindow::favsListClick(QListWidgetItem* item) {
    if (!item)
        return;
    const QString folder = item->text();
    const int volume = volumeHolding(volumes_, folder);
    if (volume >= 0 && drive1_->currentIndex() != volume)
        drive1_->setCurrentIndex(volume);
    ErrorInfo error;
    if (volume >= 0 && !volumeReady(volumes_.at(volume).root))
        error = ErrorInfo::make(ErrDeviceUnavailable, folder);
    else
        error = dir1_->setPath(folder, volume >= 0 ? volumes_.at(volume).root : folder);
    if (error.number == ErrPathNotFound) {
        showMessage(QStringLiteral("Missing Folder"), QStringLiteral("Folder not found."),
                    MessageButtons::Ok, MessageIcon::Critical);
        delFavClick();
    } else if (error) {
        ReportError(Module, QStringLiteral("FavsList_Click"), error);
    }
}

void MainWindow::favsListMouseMove() {
    // The item under the pointer now, or the nearest one, as a list box answers.
    const int count = favsList_->count();
    if (count == 0)
        return;
    const QPoint at = favsList_->viewport()->mapFromGlobal(QCursor::pos());
    int row = favsList_->row(favsList_->itemAt(at));
    if (row < 0)
        row = at.y() < favsList_->visualItemRect(favsList_->item(0)).top() ? 0 : count - 1;
    favsList_->setToolTip(favsList_->item(row)->text());
}

void MainWindow::addFavoriteClick() {
    const QString folder = dir1_->path();
    if (folder.isEmpty())
        return;
    for (int k = 0; k < favsList_->count(); ++k) {
        if (favsList_->item(k)->text() == folder)
            return;
    }
    favsList_->addItem(folder);
    // Every key again, so that path0 ... pathN-1 match the list one to one.
    for (int k = 0; k < favsList_->count(); ++k)
        WriteToFile(FavouritesSection, favouriteKey(k), favsList_->item(k)->text(),
                    favouritesFile_);
}

void MainWindow::delFavClick() {
    const QList<QListWidgetItem*> selected = favsList_->selectedItems();
    if (selected.isEmpty())
        return;
    const int k = favsList_->row(selected.first());
    // The keys after k keep their numbers: the file may hold a gap from now on.
    DeleteFromFile(FavouritesSection, favouriteKey(k), favouritesFile_);
    delete favsList_->takeItem(k);
    favsList_->clearSelection();
    favsList_->setCurrentRow(-1);
}

void MainWindow::loadFavourites() {
    if (QFileInfo::exists(favouritesFile_))
        favsList_->addItems(nw::loadFavourites(favouritesFile_));
}

QString MainWindow::Browse(bool newFolder, const QString& prompt) {
    const QString text = prompt.isEmpty() ? QStringLiteral("Select a folder") : prompt;
    return QDir::toNativeSeparators(browseForFolder(text, newFolder));
}

} // namespace nw
