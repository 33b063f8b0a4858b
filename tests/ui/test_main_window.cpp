#include "core/Flags.h"
#include "settings/FavouritesFile.h"
#include "settings/ReadWrite.h"
#include "support/RecordingView.h"
#include "support/WindowTestKit.h"
#include "ui/ChooseFolder.h"
#include "ui/ControlTable.h"
#include "ui/FolderTree.h"

#include <QComboBox>
#include <QCursor>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTreeView>

#include <optional>

using namespace nw;
using namespace nw::test;

namespace {

// The Qt class of each kind, in the order of ControlKind.
const char* const KindClasses[] = {"QComboBox",  "nw::FolderTree", "QPushButton", "QListWidget",
                                   "QGroupBox",  "QRadioButton",   "QFrame",      "QComboBox",
                                   "QLabel",     "QCheckBox",      "QLineEdit",   "QTreeView",
                                   "QStatusBar", "QProgressBar"};
static_assert(std::size(KindClasses) == size_t(ControlKind::ProgressBar) + 1);

bool isKind(const QWidget* w, ControlKind kind) {
    const auto* combo = qobject_cast<const QComboBox*>(w);
    const auto* frame = qobject_cast<const QFrame*>(w);
    if ((combo && combo->isEditable() != (kind == ControlKind::ComboBox)) ||
        (kind == ControlKind::Line && (!frame || frame->frameShape() != QFrame::HLine)) ||
        (kind == ControlKind::ListView && w->inherits("nw::FolderTree")))
        return false;
    return w->inherits(KindClasses[size_t(kind)]);
}

QStringList numbers(int first, int last) {
    QStringList list;
    for (int n = first;; n += first <= last ? 1 : -1) {
        list << QString::number(n);
        if (n == last)
            return list;
    }
}

QStringList names(const QList<QAction*>& actions) {
    QStringList list;
    for (const QAction* action : actions)
        list << action->objectName();
    return list;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init();
    void cleanup();

    void everyControlAsDesigned();
    void focusFollowsTabOrder();
    void resultColumns();
    void statusPanels();
    void menuTree();
    void windowFrame();
    void startState();
    void modeRule();
    void layoutRules_data();
    void layoutRules();
    void resizingAppliesRules();
    void windowCommands();
    void exitAndDestructionStopScan();

    void startFolderIsScanPath();
    void scanPathEndsWithSeparator_data();
    void scanPathEndsWithSeparator();
    void addingKeepsListAndFileInStep_data();
    void addingKeepsListAndFileInStep();
    void deleteWithoutSelectionChangesNothing();
    void missingFolderIsRemoved();
    void clickSelectsVolumeAndFolder();
    void volumeNotReady();
    void tooltipShowsItemUnderPointer();
    void loadsAtMost1001();
    void browse();

private:
    QWidget* w(const char* name) const { return child<QWidget>(*window_, QString::fromUtf8(name)); }
    void showWindow() {
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }

    QComboBox* drive1(const MainWindow& w) const { return child<QComboBox>(w, "Drive1"); }
    FolderTree* dir1(const MainWindow& w) const { return child<FolderTree>(w, "Dir1"); }
    QListWidget* favs(const MainWindow& w) const { return child<QListWidget>(w, "FavsList"); }
    QStringList items(const MainWindow& w) const;
    // "pathK=value" for every key from path0 to path9 in qvx.ini.
    QStringList keys() const;
    std::unique_ptr<MainWindow> open(VolumeSource volumes = {}) const {
        return makeWindow(*config_, tree_->path(), std::move(volumes));
    }
    // Writes folders of the tree as path0, path1, ... of qvx.ini.
    void writeFavourites(const QStringList& folders) const {
        for (qsizetype k = 0; k < folders.size(); ++k)
            WriteToFile(FavouritesSection, favouriteKey(int(k)), tree_->file(folders.at(k)),
                        config_->file(QStringLiteral("qvx.ini")));
    }

    std::optional<ScriptedDialogs> dialogs_;
    std::unique_ptr<RecordingSink> errors_;
    std::unique_ptr<TestDir> config_;
    std::unique_ptr<TestDir> tree_;
    std::unique_ptr<MainWindow> window_;
};

void TestMainWindow::init() {
    dialogs_.emplace();
    errors_ = std::make_unique<RecordingSink>();
    config_ = std::make_unique<TestDir>();
    tree_ = std::make_unique<TestDir>();
    for (const char* folder : {"A", "B", "C", "D", "E", "Data", "data", "mnt/x", "mntx"})
        tree_->mkdir(QString::fromUtf8(folder));
    window_ = open();
}

void TestMainWindow::cleanup() {
    window_.reset();
    const QStringList unexpected = errors_->reports;
    errors_.reset();
    QCOMPARE(unexpected, QStringList());
}

void TestMainWindow::everyControlAsDesigned() {
    for (const ControlEntry& entry : Controls) {
        const QByteArray what = entry.name;
        const QWidget* c = window_->findChild<QWidget*>(QString::fromUtf8(entry.name));
        QVERIFY2(c, what);
        QVERIFY2(isKind(c, entry.kind), what);
        const QString parent = *entry.parent ? QString::fromUtf8(entry.parent)
                                             : window_->centralWidget()->objectName();
        QVERIFY2(c->parentWidget()->objectName() == parent, what);
        const QRect expected = twipsToPixels(entry.place);
        QVERIFY2(c->pos() == expected.topLeft() && c->width() == expected.width(), what);
        if (entry.kind != ControlKind::Line)
            QVERIFY2(c->height() == expected.height(), what);
    }
}

void TestMainWindow::focusFollowsTabOrder() {
    const QStringList order = {"Drive1",      "Dir1",        "ScanDir",         "StopMe",
                               "FListView",   "fSense",      "ChrMatch",        "Levenshtein",
                               "mPercent",    "Command1",    "LevenshteinDist", "IgnExtensions",
                               "GrpSense",    "chkCRC32",    "CRCSkip",         "AutoMove",
                               "AutoMoveDir", "addFavorite", "FavsList",        "DelFav"};
    // Each control's next stop (skipping parts of compound widgets) is the next one listed.
    for (qsizetype i = 0; i + 1 < order.size(); ++i) {
        QWidget* next = child<QWidget>(*window_, order.at(i))->nextInFocusChain();
        while (!order.contains(next->objectName()))
            next = next->nextInFocusChain();
        QVERIFY2(next->objectName() == order.at(i + 1), qPrintable(order.at(i)));
    }
    QCOMPARE(window_->focusWidget(), w("Drive1"));
    for (const char* name : {"Label7", "lblChrMatch", "Frame1", "StatusBar1", "ProgressBar1"})
        QVERIFY2(w(name)->focusPolicy() == Qt::NoFocus, name);
}

void TestMainWindow::resultColumns() {
    const auto* list = child<QTreeView>(*window_, QStringLiteral("FListView"));
    const QAbstractItemModel* model = list->model();
    QCOMPARE(model->columnCount(), int(ResultColumns.size()));
    QCOMPARE(model->rowCount(), 0);
    for (int c = 0; c < ColumnCount; ++c) {
        QCOMPARE(ColumnKeys[size_t(c)], QString::fromUtf8(ResultColumns[size_t(c)].key));
        QCOMPARE(list->header()->sectionSize(c), twipsToPixels(ColumnWidthTwips));
        // Only the two size columns are right-aligned.
        const auto align =
            model->headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>();
        QCOMPARE(bool(align & Qt::AlignRight), c == 1 || c == 5);
    }
}

void TestMainWindow::statusPanels() {
    const auto* bar = child<QStatusBar>(*window_, QStringLiteral("StatusBar1"));
    int left = 0;
    for (const PanelEntry& entry : StatusPanels) {
        const auto* panel = child<QLabel>(*bar, QString::fromUtf8(entry.key));
        QVERIFY2(panel->text().isEmpty() && panel->x() == left, entry.key);
        QVERIFY2(panel->width() == twipsToPixels(entry.widthTwips), entry.key);
        left += panel->width();
    }
    // The progress bar lies over panel 1 and is stacked above the status bar.
    const auto* progress = child<QProgressBar>(*window_, QStringLiteral("ProgressBar1"));
    QCOMPARE(progress->parentWidget(), bar->parentWidget());
    const QObjectList siblings = bar->parentWidget()->children();
    QVERIFY(siblings.indexOf(progress) > siblings.indexOf(bar));
    QCOMPARE(QList<int>({progress->minimum(), progress->maximum(), progress->value()}),
             QList<int>({0, 100, 0}));
}

void TestMainWindow::menuTree() {
    QMenuBar* bar = window_->menuBar();
    for (const MenuEntry& entry : Menus) {
        const QByteArray what = entry.name;
        const QAction* action = window_->findChild<QAction*>(QString::fromUtf8(entry.name));
        QVERIFY2(action, what);
        QVERIFY2(action->isVisible() == !entry.hidden, what);
        QVERIFY2(bool(action->menu()) == entry.submenu, what);
        const QWidget* owner =
            *entry.parent ? static_cast<QWidget*>(child<QMenu>(*window_, entry.parent)) : bar;
        QVERIFY2(owner->actions().contains(const_cast<QAction*>(action)), what);
    }
    QCOMPARE(names(bar->actions()),
             QStringList({"MeRestore", "MeMax", "meMin", "MeExit", "Help", "mnuHidden1"}));
    QCOMPARE(names(child<QMenu>(*window_, QStringLiteral("mnuHidden1"))->actions()),
             QStringList({"OpenLogText", "mnuRemove", "mnuLarge", "mnuSmall"}));
}

void TestMainWindow::windowFrame() {
    QCOMPARE(window_->windowTitle(), QStringLiteral("Namewick Finder"));
    const Qt::WindowFlags flags = window_->windowFlags();
    QVERIFY(flags & Qt::CustomizeWindowHint);
    QVERIFY(flags & Qt::WindowTitleHint);
    QVERIFY(!(flags & (Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                       Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint)));
    QVERIFY(!window_->windowIcon().isNull());
    showWindow();
    QCOMPARE(window_->centralWidget()->size(),
             QSize(twipsToPixels(ClientWidthTwips), twipsToPixels(ClientHeightTwips)));
}

void TestMainWindow::startState() {
    showWindow();
    QVERIFY(!w("StopMe")->isVisible());
    QVERIFY(!w("CRCSkip")->isVisible());
    QVERIFY(w("ScanDir")->isVisible() && w("ScanDir")->isEnabled());
    const auto checked = [this](const char* name) {
        return qobject_cast<QAbstractButton*>(w(name))->isChecked();
    };
    QVERIFY(checked("IgnExtensions") && checked("ChrMatch"));
    QVERIFY(!checked("chkCRC32") && !checked("AutoMove") && !checked("Levenshtein"));
    QVERIFY(qobject_cast<QLineEdit*>(w("AutoMoveDir"))->isReadOnly());

    const struct {
        const char* name;
        QString text;
        QStringList items;
    } boxes[] = {{"mPercent", "90", numbers(99, 1)},
                 {"GrpSense", "3", numbers(2, 5)},
                 {"LevenshteinDist", "0", numbers(0, 10)},
                 {"fSense", "1", numbers(1, 3)}};
    for (const auto& box : boxes) {
        const auto* combo = qobject_cast<QComboBox*>(w(box.name));
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        QVERIFY2(combo->currentText() == box.text && items == box.items, box.name);
    }
}

void TestMainWindow::modeRule() {
    const auto* model = qobject_cast<QTreeView*>(w("FListView"))->model();
    const auto check = [&](bool levenshtein) {
        for (const char* name : {"mPercent", "lblChrMatch", "GrpSense", "lblGrpSense"})
            QVERIFY2(w(name)->isEnabled() == !levenshtein, name);
        for (const char* name : {"LevenshteinDist", "lblLDist"})
            QVERIFY2(w(name)->isEnabled() == levenshtein, name);
        QCOMPARE(model->headerData(3, Qt::Horizontal).toString(),
                 levenshtein ? QStringLiteral("Distance") : QStringLiteral("Matched"));
    };
    check(false);
    QTest::mouseClick(w("Levenshtein"), Qt::LeftButton);
    check(true);
    QTest::mouseClick(w("ChrMatch"), Qt::LeftButton);
    check(false);
}

void TestMainWindow::layoutRules_data() {
    QTest::addColumn<QSize>("outer"); // twips
    QTest::addColumn<int>("stepsApplied");

    QTest::newRow("design size") << QSize(11540, 7875) << 4;
    QTest::newRow("exactly the limits") << QSize(2905, 5070) << 4;
    QTest::newRow("narrower than the panel rule") << QSize(2000, 9000) << 3;
    QTest::newRow("shorter than 5070") << QSize(11540, 5000) << 2;
    QTest::newRow("narrower than 350") << QSize(300, 9000) << 1;
    QTest::newRow("nothing at all") << QSize(0, 0) << 1;
}

void TestMainWindow::layoutRules() {
    QFETCH(QSize, outer);
    QFETCH(int, stepsApplied);
    QWidget* list = w("FListView");
    QWidget* progress = w("ProgressBar1");
    QWidget* panel2 = child<QLabel>(*w("StatusBar1"), QStringLiteral("fnamedata"));
    QWidget* panel3 = child<QLabel>(*w("StatusBar1"), QStringLiteral("secs"));
    // Start from other sizes, so that a skipped step shows as a size left alone.
    window_->applyLayout(QSize(15000, 9000));
    const QSize listBefore = list->size();
    const int panelBefore = panel2->width();

    window_->applyLayout(outer);
    const int h = outer.height();
    const int width = outer.width();
    QCOMPARE(progress->y(), twipsToPixels(h - 1080));
    QCOMPARE(list->width(), stepsApplied >= 2 ? twipsToPixels(width - 350) : listBefore.width());
    QCOMPARE(list->height(), stepsApplied >= 3 ? twipsToPixels(h - 5070) : listBefore.height());
    QCOMPARE(panel2->width(), stepsApplied >= 4 ? twipsToPixels(width - 2905) : panelBefore);
    QCOMPARE(panel3->x(), panel2->x() + panel2->width());

    // Nothing else moves.
    for (const ControlEntry& entry : Controls) {
        if (QStringList({"FListView", "ProgressBar1", "StatusBar1"}).contains(entry.name))
            continue;
        const QRect place = twipsToPixels(entry.place);
        QVERIFY2(w(entry.name)->pos() == place.topLeft(), entry.name);
        QVERIFY2(w(entry.name)->width() == place.width(), entry.name);
    }
    QCOMPARE(list->pos(), twipsToPixels(controlEntry("FListView").place).topLeft());
    QCOMPARE(progress->x(), twipsToPixels(controlEntry("ProgressBar1").place.left));
}

void TestMainWindow::resizingAppliesRules() {
    showWindow();
    QWidget* list = w("FListView");
    auto* bar = qobject_cast<QStatusBar*>(w("StatusBar1"));
    // Outer size: the window with its menu bar, and a frame.
    const QSize outer = window_->outerSizeTwips();
    QVERIFY(outer.height() >
            (window_->centralWidget()->height() + window_->menuBar()->height()) * 15);
    QVERIFY(outer.width() > window_->centralWidget()->width() * 15);

    window_->resize(900, 600);
    QTRY_COMPARE_WITH_TIMEOUT(window_->size(), QSize(900, 600), 1000);
    const QSize big = window_->outerSizeTwips();
    QCOMPARE(list->size(),
             QSize(twipsToPixels(big.width() - 350), twipsToPixels(big.height() - 5070)));
    QCOMPARE(bar->geometry(), QRect(0, window_->centralWidget()->height() - bar->height(),
                                    window_->centralWidget()->width(), bar->height()));
}

void TestMainWindow::windowCommands() {
    showWindow();
    const QRect normal = window_->geometry();
    const auto trigger = [this](const char* name) {
        child<QAction>(*window_, QString::fromUtf8(name))->trigger();
    };
    trigger("MeRestore");
    QCOMPARE(window_->windowState(), Qt::WindowNoState);
    QCOMPARE(window_->geometry(), normal);
    trigger("MeMax");
    QTRY_VERIFY_WITH_TIMEOUT(window_->isMaximized(), 1000);
    trigger("MeRestore");
    QTRY_COMPARE_WITH_TIMEOUT(window_->windowState(), Qt::WindowNoState, 1000);
    trigger("meMin");
    QTRY_VERIFY_WITH_TIMEOUT(window_->isMinimized(), 1000);
    trigger("MeRestore");
    QTRY_COMPARE_WITH_TIMEOUT(window_->windowState(), Qt::WindowNoState, 1000);
}

void TestMainWindow::exitAndDestructionStopScan() {
    showWindow();
    StopFlag = false;
    child<QAction>(*window_, QStringLiteral("MeExit"))->trigger();
    QVERIFY(StopFlag);
    QVERIFY(!window_->isVisible());

    StopFlag = false;
    window_.reset();
    QVERIFY(StopFlag);
    StopFlag = false;
}

QStringList TestMainWindow::items(const MainWindow& w) const {
    QStringList list;
    for (int i = 0; i < favs(w)->count(); ++i)
        list << favs(w)->item(i)->text();
    return list;
}

QStringList TestMainWindow::keys() const {
    QStringList list;
    const QString file = config_->file(QStringLiteral("qvx.ini"));
    for (int k = 0; k < 10; ++k) {
        const QString value = ReadFromFile(FavouritesSection, favouriteKey(k), file);
        if (!value.isEmpty())
            list << favouriteKey(k) + '=' + value.mid(tree_->path().size() + 1);
    }
    return list;
}

void TestMainWindow::startFolderIsScanPath() {
    QCOMPARE(dir1(*window_)->path(), tree_->path());
    QCOMPARE(window_->scanPath(), tree_->path() + '/');
    const QList<Volume> volumes = mountedVolumes();
    const int volume = volumeHolding(volumes, tree_->path());
    QVERIFY(volume >= 0);
    QCOMPARE(drive1(*window_)->currentText(), volumes.at(volume).root);
    QCOMPARE(dir1(*window_)->currentIndex().data().toString(), QFileInfo(tree_->path()).fileName());
    // No qvx.ini: an empty list, and nothing written.
    QCOMPARE(favs(*window_)->count(), 0);
    QVERIFY(!config_->exists(QStringLiteral("qvx.ini")));
}

void TestMainWindow::scanPathEndsWithSeparator_data() {
    QTest::addColumn<QStringList>("folderAndScanPath");
    QTest::newRow("folder") << QStringList{"{t}/Data", "{t}/Data/"};
    QTest::newRow("root") << QStringList{"/", "/"};
    QTest::newRow("given with a separator") << QStringList{"{t}/Data/", "{t}/Data/"};
}

void TestMainWindow::scanPathEndsWithSeparator() {
    QFETCH(QStringList, folderAndScanPath);
    folderAndScanPath.replaceInStrings("{t}", tree_->path());
    QVERIFY(!dir1(*window_)->setPath(folderAndScanPath.at(0), "/"));
    QCOMPARE(window_->scanPath(), folderAndScanPath.at(1));
    QVERIFY(!dir1(*window_)->path().endsWith('/') || dir1(*window_)->path() == "/");
}

void TestMainWindow::addingKeepsListAndFileInStep_data() {
    // Steps: "+X" shows folder X and presses Add Favorite, "-k" selects row k and presses
    // Delete Favorite, "restart" opens a new window on the same qvx.ini.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("expectedKeys");
    QTest::addColumn<QStringList>("listedAfterRestart");

    QTest::newRow("twice the same folder")
        << QStringList({"+A", "+A"}) << QStringList({"path0=A"}) << QStringList({"A"});
    QTest::newRow("case differs") << QStringList({"+Data", "+data"})
                                  << QStringList({"path0=Data", "path1=data"})
                                  << QStringList({"Data", "data"});
    QTest::newRow("gap hides the rest")
        << QStringList({"+A", "+B", "+C", "-1"}) << QStringList({"path0=A", "path2=C"})
        << QStringList({"A"});
    QTest::newRow("an addition closes the gap")
        << QStringList({"+A", "+B", "+C", "-1", "+D"})
        << QStringList({"path0=A", "path1=C", "path2=D"}) << QStringList({"A", "C", "D"});
    QTest::newRow("stale key comes back")
        << QStringList({"+A", "+B", "+C", "-1", "-1", "+E"})
        << QStringList({"path0=A", "path1=E", "path2=C"}) << QStringList({"A", "E", "C"});
    QTest::newRow("across a restart") << QStringList({"+A", "+B", "restart", "+C", "-0"})
                                      << QStringList({"path1=B", "path2=C"}) << QStringList();
}

void TestMainWindow::addingKeepsListAndFileInStep() {
    QFETCH(QStringList, steps);
    QFETCH(QStringList, expectedKeys);
    QFETCH(QStringList, listedAfterRestart);

    for (const QString& step : steps) {
        if (step == "restart") {
            const QStringList before = items(*window_);
            window_ = open();
            QCOMPARE(items(*window_), before);
        } else if (step.startsWith('+')) {
            QVERIFY(!dir1(*window_)->setPath(tree_->file(step.mid(1)), "/"));
            QTest::mouseClick(child<QPushButton>(*window_, "addFavorite"), Qt::LeftButton);
        } else {
            favs(*window_)->setCurrentRow(step.mid(1).toInt(), QItemSelectionModel::ClearAndSelect);
            QTest::mouseClick(child<QPushButton>(*window_, "DelFav"), Qt::LeftButton);
        }
    }
    QCOMPARE(keys(), expectedKeys);
    window_ = open();
    QStringList expected;
    for (const QString& name : listedAfterRestart)
        expected << tree_->file(name);
    QCOMPARE(items(*window_), expected);
}

void TestMainWindow::deleteWithoutSelectionChangesNothing() {
    QTest::mouseClick(child<QPushButton>(*window_, "addFavorite"), Qt::LeftButton);
    const QByteArray before = config_->read(QStringLiteral("qvx.ini"));
    favs(*window_)->clearSelection();
    QTest::mouseClick(child<QPushButton>(*window_, "DelFav"), Qt::LeftButton);
    QCOMPARE(favs(*window_)->count(), 1);
    QCOMPARE(config_->read(QStringLiteral("qvx.ini")), before);
}

void TestMainWindow::missingFolderIsRemoved() {
    writeFavourites({"A", "gone", "B"});
    window_ = open();
    showWindow();
    QCOMPARE(favs(*window_)->count(), 3);

    QListWidget* list = favs(*window_);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(1)).center());
    QCOMPARE(dialogs_->messages, QStringList({"Missing Folder|Folder not found.|critical"}));
    QCOMPARE(items(*window_), QStringList({tree_->file("A"), tree_->file("B")}));
    QCOMPARE(keys(), QStringList({"path0=A", "path2=B"}));
    QCOMPARE(dir1(*window_)->path(), tree_->path());
    QCOMPARE(window_->scanPath(), tree_->path() + '/');
}

void TestMainWindow::clickSelectsVolumeAndFolder() {
    const QString mount = tree_->file(QStringLiteral("mnt/"));
    const VolumeSource volumes = [mount] { return QList<Volume>{{"/", true}, {mount, true}}; };
    writeFavourites({"mnt/x", "mntx"});
    window_ = open(volumes);
    showWindow();
    QListWidget* list = favs(*window_);

    const struct {
        int row;
        QString volume;
        QString folder;
    } clicks[] = {{0, mount, tree_->file("mnt/x")}, {1, "/", tree_->file("mntx")}};
    for (const auto& click : clicks) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(click.row)).center());
        QCOMPARE(drive1(*window_)->currentText(), click.volume);
        QCOMPARE(dir1(*window_)->volumeRoot(), click.volume);
        QCOMPARE(dir1(*window_)->path(), click.folder);
        QCOMPARE(window_->scanPath(), click.folder + '/');
    }
    QCOMPARE(dialogs_->messages, QStringList());

    // Choosing a volume shows its root.
    drive1(*window_)->setCurrentIndex(drive1(*window_)->findText(mount));
    QCOMPARE(window_->scanPath(), mount);
}

void TestMainWindow::volumeNotReady() {
    const auto window = open([] {
        return QList<Volume>{{"/", true}, {"/namewick-offline/", false}};
    });
    QComboBox* drives = drive1(*window);
    drives->setCurrentIndex(drives->findText("/namewick-offline/"));
    QCOMPARE(dialogs_->messages, QStringList({"ERROR!!|Device not available|critical"}));
    QCOMPARE(drives->currentText(), QStringLiteral("/namewick-offline/"));
    QCOMPARE(dir1(*window)->path(), tree_->path());
    QCOMPARE(window->scanPath(), tree_->path() + '/');
}

void TestMainWindow::tooltipShowsItemUnderPointer() {
    writeFavourites({"A", "B", "C"});
    window_ = open();
    showWindow();
    QListWidget* list = favs(*window_);
    QWidget* viewport = list->viewport();

    const auto hover = [&](QPoint at) {
        QCursor::setPos(viewport->mapToGlobal(at));
        QTest::mouseMove(viewport, at);
        return list->toolTip();
    };
    QCOMPARE(hover(list->visualItemRect(list->item(1)).center()), tree_->file("B"));
    QCOMPARE(hover(list->visualItemRect(list->item(0)).center()), tree_->file("A"));
    // Below the last item: the nearest one.
    QCOMPARE(hover(QPoint(5, viewport->height() - 5)), tree_->file("C"));
}

void TestMainWindow::loadsAtMost1001() {
    QByteArray ini = "[favorites]\r\n";
    for (int k = 0; k <= 1200; ++k)
        ini += "path" + QByteArray::number(k) + "=/f" + QByteArray::number(k) + "\r\n";
    config_->write(QStringLiteral("qvx.ini"), ini);
    const auto window = open();
    QCOMPARE(favs(*window)->count(), 1001);
    QCOMPARE(favs(*window)->item(1000)->text(), QStringLiteral("/f1000"));
}

void TestMainWindow::browse() {
    dialogs_->folders << QStringLiteral("/chosen/folder") << QString();
    QCOMPARE(chooseFolder(true), QStringLiteral("/chosen/folder"));
    QCOMPARE(chooseFolder(false, QStringLiteral("Select location for move:")), QString());
    QCOMPARE(dialogs_->prompts, QStringList({"Select a folder|new", "Select location for move:"}));
}

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
