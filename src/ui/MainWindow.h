#pragma once

#include "core/ScanSettings.h"
#include "ui/Volumes.h"

#include <QMainWindow>

#include <array>
#include <memory>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMouseEvent;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTreeView;

namespace nw {

class FavouritesController;
class FolderTree;
class ResultsMenuController;
class ResultsModel;
class ScanPresenter;

struct WindowOptions {
    QString favouritesFile; // empty: qvx.ini where the program keeps it
    QString startFolder;    // empty: the process's current folder
    VolumeSource volumes;   // empty: the mounted volumes
};

// The program's one working window. It runs scans inside its Start handler, keeps their rows in
// its results model and shows their progress through its scan presenter.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(WindowOptions options = {}, QWidget* parent = nullptr);
    // Raises StopFlag, so that a scan still running ends at its next check.
    ~MainWindow() override;

    // The folder to scan: the folder list's path as a folder text.
    QString scanPath() const;
    ResultsModel* results() const { return results_; }

    // How long a scan runs between two visits of the event loop; 0 visits it at every yield.
    void setEventInterval(int milliseconds);

    // The window's outer size in twips, frame, title bar and menu bar included.
    QSize outerSizeTwips() const;
    // The resize rules for an outer size in twips. A step that would give a negative size
    // ends them; the steps before it stay.
    void applyLayout(QSize outer);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    template <typename T> T* control(const char* name) const {
        T* found = findChild<T*>(QString::fromUtf8(name));
        Q_ASSERT_X(found, "MainWindow::control", name);
        return found;
    }
    void buildControls();
    void buildResultsList();
    void buildStatusPanels();
    void buildMenus();
    void buildPresenter();
    void formLoad();
    void dockStatusBar();

    void scanDirClick();
    void applyModeRule();
    void setModeControls(MatchMode mode);
    ScanSettings settingsFromControls() const;

    // Help menu
    void connectHelpMenu();
    void aboutClick();
    void homePageClick();
    void updateCheckClick();
    void orloNewsClick();
    void fakeErrorClick();

    // Mode and options
    void autoMoveClick(bool checked);
    void command1Click();

    WindowOptions options_;
    ResultsModel* results_ = nullptr;
    FavouritesController* favourites_ = nullptr;
    ResultsMenuController* resultsMenu_ = nullptr;

    QWidget* client_ = nullptr;
    QComboBox* drive1_ = nullptr;
    FolderTree* dir1_ = nullptr;
    QPushButton* scanDir_ = nullptr;
    QPushButton* stopMe_ = nullptr;
    QPushButton* crcSkip_ = nullptr;
    QRadioButton* chrMatch_ = nullptr;
    QRadioButton* levenshtein_ = nullptr;
    QComboBox* mPercent_ = nullptr;
    QLabel* lblChrMatch_ = nullptr;
    QComboBox* grpSense_ = nullptr;
    QLabel* lblGrpSense_ = nullptr;
    QComboBox* levenshteinDist_ = nullptr;
    QLabel* lblLDist_ = nullptr;
    QCheckBox* ignExtensions_ = nullptr;
    QComboBox* fSense_ = nullptr;
    QCheckBox* chkCRC32_ = nullptr;
    QCheckBox* autoMove_ = nullptr;
    QLineEdit* autoMoveDir_ = nullptr;
    QTreeView* fListView_ = nullptr;
    QStatusBar* statusBar1_ = nullptr;
    QProgressBar* progressBar1_ = nullptr;
    std::array<QLabel*, 3> panels_{};
    QAction* meExit_ = nullptr;

    std::unique_ptr<ScanPresenter> presenter_;
};

} // namespace nw
