#include "ui/FolderTree.h"
#include "ui/Volumes.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QTimer>

namespace nw {

namespace {

// Paths with "/" as the file-system model gives them.
bool isWithin(const QString& path, const QString& folder) {
    if (path.compare(folder, PathCase) == 0)
        return true;
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    return path.startsWith(prefix, PathCase);
}

QString modelPath(const QString& path) {
    return QDir::cleanPath(QDir::fromNativeSeparators(path));
}

} // namespace

// Keeps the chosen volume's root, its folders and the folders above it: the tree then shows
// the root as its one top item. Folders whose names begin with a dot are left out, as scans
// leave them out, unless the folder set last lies in one.
class VolumeFilter : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void setRoot(const QString& root) {
        root_ = root;
        invalidateFilter();
    }
    void setKept(const QString& path) {
        if (path == kept_)
            return;
        kept_ = path;
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        const auto* files = static_cast<const QFileSystemModel*>(sourceModel());
        const QModelIndex index = files->index(row, 0, parent);
        const QString path = files->filePath(index);
        if (files->fileName(index).startsWith(QLatin1Char('.')) && !isWithin(kept_, path))
            return false;
        return root_.isEmpty() || isWithin(path, root_) || isWithin(root_, path);
    }

private:
    QString root_;
    QString kept_;
};

FolderTree::FolderTree(QWidget* parent)
    : QTreeView(parent)
    , model_(new QFileSystemModel(this))
    , filter_(new VolumeFilter(this)) {
    // Hidden folders too: the start folder or a favourite may lie inside one, and the filter
    // lets through those it lies in.
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden);
    filter_->setSourceModel(model_);
    setModel(filter_);
    setHeaderHidden(true);
    for (int column = 1; column < model_->columnCount(); ++column)
        hideColumn(column);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Folders are read in the background and rows arrive late: keep the current folder in
    // sight until the user takes over.
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(filter_, signal, this, &FolderTree::revealLater);
    connect(filter_, &QAbstractItemModel::layoutChanged, this, &FolderTree::revealLater);
    connect(verticalScrollBar(), &QScrollBar::sliderPressed, this, [this] { revealing_ = false; });
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (settingPath_ || !current.isValid())
                    return;
                revealing_ = false;
                takePath(model_->filePath(filter_->mapToSource(current)));
            });
}

ErrorInfo FolderTree::setPath(const QString& folder, const QString& volumeRoot) {
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.isDir())
        return ErrorInfo::make(ErrPathNotFound, folder);
    const QString path = QDir::cleanPath(info.absoluteFilePath());
    const QString root = modelPath(volumeRoot);
    settingPath_ = true;
    filter_->setKept(path);
    if (root != modelPath(root_)) {
        root_ = QDir::toNativeSeparators(root.endsWith('/') ? root : root + '/');
        model_->setRootPath(root);
        filter_->setRoot(root);
        const QModelIndex rootIndex = model_->index(root);
        setRootIndex(filter_->mapFromSource(rootIndex.parent()));
        expand(filter_->mapFromSource(rootIndex));
    }
    settingPath_ = false;
    takePath(path);
    revealing_ = true;
    showCurrent();
    return {};
}

void FolderTree::revealLater() {
    if (!revealing_ || revealQueued_)
        return;
    revealQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        revealQueued_ = false;
        if (revealing_)
            showCurrent();
    });
}

void FolderTree::mousePressEvent(QMouseEvent* event) {
    revealing_ = false;
    QTreeView::mousePressEvent(event);
}

void FolderTree::keyPressEvent(QKeyEvent* event) {
    revealing_ = false;
    QTreeView::keyPressEvent(event);
}

void FolderTree::wheelEvent(QWheelEvent* event) {
    revealing_ = false;
    QTreeView::wheelEvent(event);
}

void FolderTree::showCurrent() {
    const QModelIndex current = filter_->mapFromSource(model_->index(modelPath(path_)));
    if (!current.isValid())
        return;
    settingPath_ = true;
    setCurrentIndex(current);
    settingPath_ = false;
    scrollTo(current);
}

void FolderTree::takePath(const QString& path) {
    const QString native = QDir::toNativeSeparators(path);
    if (native == path_)
        return;
    path_ = native;
    emit pathChanged();
}

} // namespace nw
