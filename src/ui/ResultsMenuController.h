#pragma once

#include <QObject>
#include <QString>

#include <array>
#include <functional>

class QAction;
class QMenu;
class QMouseEvent;
class QTreeView;

namespace nw {

class ResultsModel;

// Whose file a file item acts on: mnuOption1 holds the larger file of the pair, mnuOption2 the
// smaller.
enum class PairSide { Larger, Smaller };
// The items of each file menu, in their order.
enum class FileAction { OpenFolder, Delete, Move };

// The results list's header and context menu: sorting by a column, and the items that open,
// delete or move a file of the selected pair, remove a row or open the log.
class ResultsMenuController : public QObject {
    Q_OBJECT
public:
    struct Controls {
        QTreeView* list = nullptr; // FListView
        ResultsModel* results = nullptr;
        QMenu* menu = nullptr;             // mnuHidden1
        std::array<QMenu*, 2> fileMenus{}; // mnuLarge, mnuSmall
        // mnuOption1_0 to mnuOption2_2, by PairSide and FileAction.
        std::array<std::array<QAction*, 3>, 2> fileItems{};
        QAction* remove = nullptr;  // mnuRemove
        QAction* openLog = nullptr; // OpenLogText
    };

    // scanPath: the folder whose Log.txt the log item opens.
    ResultsMenuController(const Controls& controls, std::function<QString()> scanPath,
                          QObject* parent = nullptr);

    // The Largest File and Smallest File menus; hidden while files move on their own.
    void showFileMenus(bool shown);
    // Chooses the top row, when there is one: after a scan and after a removal.
    void chooseFirstRow();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A file item as last prepared.
    struct FileItem {
        QString caption; // as shown, prefix included
        QString tag;     // the file's full path (Delete and Move)
        QString target(FileAction action) const;
    };

    void columnClick(int index); // header position, from 1
    bool listPress(QMouseEvent* event);
    void listMouseDown(Qt::MouseButton button, const QPoint& globalPos);
    int selectedRow() const; // from 1; 0 when the list reports none
    void prepareItems(PairSide side, const QString& folder, const QString& name);
    void fileActionClick(PairSide side, FileAction action);
    void removeClick();
    void removeSelectedRow();
    void sweepRowsNaming(const QString& name);

    Controls controls_;
    std::function<QString()> scanPath_;
    std::array<std::array<FileItem, 3>, 2> items_{};
};

} // namespace nw
