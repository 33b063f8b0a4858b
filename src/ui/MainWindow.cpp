#include "ui/MainWindow.h"
#include "core/Flags.h"
#include "core/Texts.h"
#include "settings/FavouritesFile.h"
#include "ui/AppIcon.h"
#include "ui/ControlTable.h"
#include "ui/FavouritesController.h"
#include "ui/FolderTree.h"
#include "ui/Handled.h"
#include "ui/ResultsMenuController.h"
#include "ui/ResultsModel.h"
#include "ui/ScanPresenter.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QTreeView>

namespace nw {

namespace {

// The resize rules, in twips of the outer size.
constexpr int ListWidthLess = 350;
constexpr int ListHeightLess = 5070;
constexpr int PanelWidthLess = 2905;

// Without a window manager the platform reports no frame; the rules then count the borders and
// title bar of a common desktop, so the window keeps its designed proportions.
constexpr int StandardFrameWidth = 8;
constexpr int StandardFrameHeight = 34;

constexpr const ControlEntry& StatusBarEntry = controlEntry("StatusBar1");
static_assert(StatusBarEntry.kind == ControlKind::StatusBar);
constexpr const ControlEntry& ProgressBarEntry = controlEntry("ProgressBar1");

} // namespace

MainWindow::MainWindow(WindowOptions options, QWidget* parent)
    : QMainWindow(parent)
    , options_(std::move(options)) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(AppTitle);
    setWindowIcon(appIcon());
    // No control box: the menu bar's first four items take its place.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setMinimumSize(1, 1);
    // The places were made for narrow 8-point text.
    QFont text = font();
    look::useNarrowFaces(text);
    text.setPointSize(8);
    setFont(text);

    buildControls();
    buildResultsList();
    buildStatusPanels();
    buildMenus();
    buildControllers();
    connectHelpMenu();
    resize(twipsToPixels(ClientWidthTwips),
           twipsToPixels(ClientHeightTwips) + menuBar()->sizeHint().height());
    if (const QScreen* shown = screen()) {
        QRect place = frameGeometry();
        place.moveCenter(shown->availableGeometry().center());
        move(place.topLeft());
    }
    loadStartState();
    drives_->setFocus();
}

MainWindow::~MainWindow() {
    StopFlag = true;
}

void MainWindow::buildControls() {
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    setCentralWidget(client_);
    client_->resize(twipsToPixels(ClientWidthTwips), twipsToPixels(ClientHeightTwips));
    for (const ControlEntry& entry : Controls)
        makeControl(entry, *entry.parent ? control<QWidget>(entry.parent) : client_);

    drives_ = control<QComboBox>("Drive1");
    folders_ = control<FolderTree>("Dir1");
    scanButton_ = control<QPushButton>("ScanDir");
    stopButton_ = control<QPushButton>("StopMe");
    skipCRCButton_ = control<QPushButton>("CRCSkip");
    charactersOption_ = control<QRadioButton>("ChrMatch");
    levenshteinOption_ = control<QRadioButton>("Levenshtein");
    percentBox_ = control<QComboBox>("mPercent");
    percentLabel_ = control<QLabel>("lblChrMatch");
    groupSizeBox_ = control<QComboBox>("GrpSense");
    groupSizeLabel_ = control<QLabel>("lblGrpSense");
    distanceBox_ = control<QComboBox>("LevenshteinDist");
    distanceLabel_ = control<QLabel>("lblLDist");
    ignoreExtensionsBox_ = control<QCheckBox>("IgnExtensions");
    repeatModeBox_ = control<QComboBox>("fSense");
    checkCRCBox_ = control<QCheckBox>("chkCRC32");
    autoMoveBox_ = control<QCheckBox>("AutoMove");
    autoMoveFolder_ = control<QLineEdit>("AutoMoveDir");
    resultsList_ = control<QTreeView>("FListView");
    statusBar_ = control<QStatusBar>("StatusBar1");
    progressBar_ = control<QProgressBar>("ProgressBar1");

    for (const ControlEntry& entry : Controls) {
        if (*entry.text)
            fitCaption(control<QWidget>(entry.name));
    }

    for (size_t i = 1; i < TabOrder.size(); ++i)
        setTabOrder(control<QWidget>(TabOrder[i - 1]), control<QWidget>(TabOrder[i]));

    client_->installEventFilter(this);
    connect(scanButton_, &QPushButton::clicked, this, &MainWindow::scanClick);
    connect(stopButton_, &QPushButton::clicked, this, [] { StopFlag = true; });
    connect(skipCRCButton_, &QPushButton::clicked, this, [] { CRCSkipFlag = true; });
    for (QRadioButton* option : {charactersOption_, levenshteinOption_})
        connect(option, &QRadioButton::toggled, this, [this, option](bool on) {
            if (on)
                handled(option == charactersOption_ ? "ChrMatch_Click" : "Levenshtein_Click",
                        [this] { applyModeRule(); });
        });
    connect(autoMoveBox_, &QCheckBox::toggled, this, &MainWindow::autoMoveClick);
    connect(control<QPushButton>("Command1"), &QPushButton::clicked, this,
            &MainWindow::explainLevenshteinClick);
}

void MainWindow::buildResultsList() {
    results_ = new ResultsModel(this);
    resultsList_->setModel(results_);
    resultsList_->setRootIsDecorated(false);
    resultsList_->setItemsExpandable(false);
    // Lets the view skip measuring rows: a scan may list a hundred thousand.
    resultsList_->setUniformRowHeights(true);
    resultsList_->setAllColumnsShowFocus(true);
    resultsList_->setSelectionBehavior(QAbstractItemView::SelectRows);
    resultsList_->setSelectionMode(QAbstractItemView::SingleSelection);
    QHeaderView* header = resultsList_->header();
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    for (int column = 0; column < ColumnCount; ++column)
        header->resizeSection(column, twipsToPixels(ColumnWidthTwips));
    header->setSectionsClickable(true);
}

void MainWindow::buildStatusPanels() {
    for (size_t i = 0; i < StatusPanels.size(); ++i) {
        auto* panel = new QLabel(statusBar_);
        panel->setObjectName(QString::fromUtf8(StatusPanels[i].key));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setIndent(3);
        panel->resize(twipsToPixels(StatusPanels[i].widthTwips), statusBar_->height());
        panels_[i] = panel;
    }
    dockStatusBar();
}

void MainWindow::buildMenus() {
    QHash<QString, QMenu*> menus;
    for (const MenuEntry& entry : Menus) {
        const QString name = QString::fromUtf8(entry.name);
        const QString caption = QString::fromUtf8(entry.caption);
        QMenu* parentMenu = *entry.parent ? menus.value(QString::fromUtf8(entry.parent)) : nullptr;
        QAction* action = nullptr;
        if (entry.submenu) {
            auto* menu = new QMenu(caption, parentMenu ? static_cast<QWidget*>(parentMenu)
                                                       : static_cast<QWidget*>(menuBar()));
            menu->setObjectName(name);
            menus.insert(name, menu);
            action = menu->menuAction();
            if (parentMenu)
                parentMenu->addMenu(menu);
            else
                menuBar()->addMenu(menu);
        } else {
            action = new QAction(caption, this);
            if (parentMenu)
                parentMenu->addAction(action);
            else
                menuBar()->addAction(action);
        }
        action->setObjectName(name);
        action->setVisible(!entry.hidden);
    }
    connect(control<QAction>("MeRestore"), &QAction::triggered, this, &QWidget::showNormal);
    connect(control<QAction>("MeMax"), &QAction::triggered, this, &QWidget::showMaximized);
    connect(control<QAction>("meMin"), &QAction::triggered, this, &QWidget::showMinimized);
    exitItem_ = control<QAction>("MeExit");
    connect(exitItem_, &QAction::triggered, this, [this] {
        StopFlag = true;
        close();
    });
}

void MainWindow::buildControllers() {
    favourites_ = new FavouritesController(
        {drives_, folders_, control<QListWidget>("FavsList"), control<QPushButton>("addFavorite"),
         control<QPushButton>("DelFav")},
        options_.favouritesFile.isEmpty() ? favouritesFile() : options_.favouritesFile,
        options_.volumes, this);

    ResultsMenuController::Controls list;
    list.list = resultsList_;
    list.results = results_;
    list.menu = control<QMenu>("mnuHidden1");
    list.fileMenus = {control<QMenu>("mnuLarge"), control<QMenu>("mnuSmall")};
    for (size_t side = 0; side < 2; ++side) {
        for (size_t action = 0; action < 3; ++action)
            list.fileItems[side][action] = control<QAction>(
                QStringLiteral("mnuOption%1_%2").arg(side + 1).arg(action).toUtf8().constData());
    }
    list.remove = control<QAction>("mnuRemove");
    list.openLog = control<QAction>("OpenLogText");
    resultsMenu_ = new ResultsMenuController(
        list, [this] { return scanPath(); }, this);

    ScanPresenter::Controls controls;
    controls.window = this;
    for (const char* name :
         {"Drive1", "Dir1", "mPercent", "lblChrMatch", "GrpSense", "lblGrpSense", "LevenshteinDist",
          "lblLDist", "fSense", "Label7", "IgnExtensions", "chkCRC32", "ChrMatch", "Levenshtein",
          "AutoMove", "addFavorite", "DelFav", "FavsList", "ScanDir"})
        controls.locked.push_back(control<QWidget>(name));
    controls.exit = exitItem_;
    controls.stop = stopButton_;
    controls.skipCRC = skipCRCButton_;
    controls.checkCRC = checkCRCBox_;
    controls.list = resultsList_;
    controls.results = results_;
    controls.panels = {panels_[1], panels_[2]};
    controls.progress = progressBar_;
    controls.enableModeControls = [this](MatchMode mode) { setModeControls(mode); };
    presenter_ = std::make_unique<ScanPresenter>(std::move(controls));
}

void MainWindow::setEventInterval(int milliseconds) {
    presenter_->setEventInterval(milliseconds);
}

void MainWindow::loadStartState() {
    charactersOption_->setChecked(true);
    for (const NumberListEntry& list : NumberLists) {
        auto* combo = control<QComboBox>(list.name);
        const QString start = combo->currentText();
        const int step = list.first <= list.last ? 1 : -1;
        for (int n = list.first;; n += step) {
            combo->addItem(QString::number(n));
            if (n == list.last)
                break;
        }
        const int at = combo->findText(start);
        if (at >= 0)
            combo->setCurrentIndex(at);
        else
            combo->setEditText(start);
    }
    favourites_->start(options_.startFolder.isEmpty() ? QDir::currentPath() : options_.startFolder);
}

QString MainWindow::scanPath() const {
    return favourites_->scanPath();
}

QSize MainWindow::outerSizeTwips() const {
    QSize outer = frameGeometry().size();
    if (outer == size())
        outer += QSize(StandardFrameWidth, StandardFrameHeight);
    return outer * 15;
}

void MainWindow::applyLayout(QSize outer) {
    const int h = outer.height();
    const int w = outer.width();
    if (w < ListWidthLess)
        return;
    resultsList_->resize(twipsToPixels(w - ListWidthLess), resultsList_->height());
    if (h < ListHeightLess)
        return;
    resultsList_->resize(resultsList_->width(), twipsToPixels(h - ListHeightLess));
    if (w < PanelWidthLess)
        return;
    panels_[1]->resize(twipsToPixels(w - PanelWidthLess), panels_[1]->height());
    dockStatusBar();
}

void MainWindow::dockStatusBar() {
    const int height = twipsToPixels(StatusBarEntry.place.height);
    statusBar_->setGeometry(0, client_->height() - height, client_->width(), height);
    int left = 0;
    for (QLabel* panel : panels_) {
        panel->setGeometry(left, 1, panel->width(), height - 1);
        left += panel->width();
    }
    // Over panel 1 as designed, from where the status bar really is: a rule on the outer size
    // would count a window manager's frame, which is not the one the rules were made with.
    progressBar_->move(progressBar_->x(),
                       statusBar_->y() +
                           twipsToPixels(ProgressBarEntry.place.top - StatusBarEntry.place.top));
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    applyLayout(outerSizeTwips());
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // However the window closes, a scan still running must end.
    StopFlag = true;
    QMainWindow::closeEvent(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client_ && event->type() == QEvent::Resize)
        dockStatusBar();
    return QMainWindow::eventFilter(watched, event);
}

} // namespace nw
