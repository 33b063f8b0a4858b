#pragma once

#include "core/ScanSettings.h"
#include "ui/Volumes.h"

#include <QMainWindow>

#include <array>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
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
    void buildControllers();
    void loadStartState();
    void dockStatusBar();

    // Mode, options and the scan
    void scanClick();
    void applyModeRule();
    void setModeControls(MatchMode mode);
    ScanSettings settingsFromControls() const;
    void autoMoveClick(bool checked);
    void explainLevenshteinClick();

    // Help menu
    void connectHelpMenu();
    void aboutClick();
    void homePageClick();
    void updateCheckClick();
    void newsletterClick();
    void fakeErrorClick();

    WindowOptions options_;
    ResultsModel* results_ = nullptr;
    FavouritesController* favourites_ = nullptr;
    ResultsMenuController* resultsMenu_ = nullptr;

    QWidget* client_ = nullptr;
    QComboBox* drives_ = nullptr;
    FolderTree* folders_ = nullptr;
    QPushButton* scanButton_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QPushButton* skipCRCButton_ = nullptr;
    QRadioButton* charactersOption_ = nullptr;
    QRadioButton* levenshteinOption_ = nullptr;
    QComboBox* percentBox_ = nullptr;
    QLabel* percentLabel_ = nullptr;
    QComboBox* groupSizeBox_ = nullptr;
    QLabel* groupSizeLabel_ = nullptr;
    QComboBox* distanceBox_ = nullptr;
    QLabel* distanceLabel_ = nullptr;
    QCheckBox* ignoreExtensionsBox_ = nullptr;
    QComboBox* repeatModeBox_ = nullptr;
    QCheckBox* checkCRCBox_ = nullptr;
    QCheckBox* autoMoveBox_ = nullptr;
    QLineEdit* autoMoveFolder_ = nullptr;
    QTreeView* resultsList_ = nullptr;
    QStatusBar* statusBar_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    std::array<QLabel*, 3> panels_{};
    QAction* exitItem_ = nullptr;

    std::unique_ptr<ScanPresenter> presenter_;
};

} // namespace nw
