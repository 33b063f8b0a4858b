#include "core/Flags.h"
#include "settings/FavouritesFile.h"
#include "settings/ReadWrite.h"
#include "support/DialogChecks.h"
#include "support/RecordingView.h"
#include "support/WindowTestKit.h"
#include "ui/ControlTable.h"
#include "ui/FolderTree.h"
#include "ui/ResultsModel.h"

#include <QComboBox>
#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include <cstdlib>
#include <utility>

using namespace nw;
using namespace nw::test;

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void init() {
        dialogs_.emplace();
        errors_ = std::make_unique<RecordingSink>();
        config_ = std::make_unique<TestDir>();
        tree_ = std::make_unique<TestDir>();
        for (const char* folder :
             {"A", "B", "C", "D", "E", "Data", "data", "mnt/x", "mntx", ".git", ".hide/in"})
            tree_->mkdir(QString::fromUtf8(folder));
        window_ = makeWindow(*config_, tree_->path());
    }
    void cleanup() {
        window_.reset();
        const QStringList unexpected = errors_->reports;
        errors_.reset();
        QCOMPARE(unexpected, QStringList());
    }

    void focusFollowsTabOrder() {
        QCOMPARE(tabChain(w("Drive1")),
                 QStringLiteral("Drive1 Dir1 ScanDir StopMe FListView fSense ChrMatch Levenshtein "
                                "mPercent Command1 LevenshteinDist IgnExtensions GrpSense chkCRC32 "
                                "CRCSkip AutoMove AutoMoveDir addFavorite FavsList DelFav")
                     .split(' '));
        QCOMPARE(window_->focusWidget(), w("Drive1"));
        for (const char* name : {"Label7", "lblChrMatch", "Frame1", "StatusBar1", "ProgressBar1"})
            QVERIFY2(w(name)->focusPolicy() == Qt::NoFocus, name);
    }

    void menuTree() {
        // The actions' names, " hidden" added to those not shown.
        const auto names = [](const QList<QAction*>& actions) {
            QStringList list;
            for (const QAction* action : actions)
                list << action->objectName() + (action->isVisible() ? "" : " hidden");
            return list;
        };
        const auto items = [&](const char* menu) {
            return names(child<QMenu>(*window_, menu)->actions());
        };
        QCOMPARE(
            names(window_->menuBar()->actions()),
            QStringList({"MeRestore", "MeMax", "meMin", "MeExit", "Help", "mnuHidden1 hidden"}));
        QCOMPARE(items("Help"),
                 QStringList({"About", "HomePage", "UpdateCheck", "OrloNews", "FakeError"}));
        QCOMPARE(items("mnuHidden1"),
                 QStringList({"OpenLogText", "mnuRemove", "mnuLarge", "mnuSmall"}));
        QCOMPARE(items("mnuLarge") + items("mnuSmall"),
                 QStringList({"mnuOption1_0", "mnuOption1_1", "mnuOption1_2", "mnuOption2_0",
                              "mnuOption2_1", "mnuOption2_2"}));
    }

    void startState() {
        QCOMPARE(window_->windowTitle(), QStringLiteral("Namewick Finder"));
        QVERIFY(!window_->windowIcon().isNull());
        // No control box: the menu bar's first items take its place.
        QCOMPARE(window_->windowFlags() & ~Qt::WindowType_Mask,
                 Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        showWindow();
        QCOMPARE(window_->centralWidget()->size(),
                 QSize(twipsToPixels(ClientWidthTwips), twipsToPixels(ClientHeightTwips)));
        QVERIFY(!w("StopMe")->isVisible() && !w("CRCSkip")->isVisible());
        const auto checked = [this](const char* name) {
            return qobject_cast<QAbstractButton*>(w(name))->isChecked();
        };
        QVERIFY(checked("IgnExtensions") && checked("ChrMatch"));
        QVERIFY(!checked("chkCRC32") && !checked("AutoMove") && !checked("Levenshtein"));
        QVERIFY(qobject_cast<QLineEdit*>(w("AutoMoveDir"))->isReadOnly());
        // The boxes' lists; the texts they start with are test_window_texts'.
        for (const char* box :
             {"mPercent 99 1", "GrpSense 2 5", "LevenshteinDist 0 10", "fSense 1 3"}) {
            const QStringList parts = QString::fromUtf8(box).split(' ');
            const auto* combo = qobject_cast<QComboBox*>(w(parts.at(0)));
            const int first = parts.at(1).toInt(), step = first < parts.at(2).toInt() ? 1 : -1;
            QVERIFY2(combo->count() == std::abs(parts.at(2).toInt() - first) + 1, box);
            for (int i = 0; i < combo->count(); ++i)
                QVERIFY2(combo->itemText(i) == QString::number(first + i * step), box);
        }
    }

    void modeRule() {
        const auto check = [&](bool levenshtein) {
            for (const char* name : {"mPercent", "lblChrMatch", "GrpSense", "lblGrpSense"})
                QVERIFY2(w(name)->isEnabled() == !levenshtein, name);
            for (const char* name : {"LevenshteinDist", "lblLDist"})
                QVERIFY2(w(name)->isEnabled() == levenshtein, name);
            QCOMPARE(window_->results()->headerData(ColMatched, Qt::Horizontal).toString(),
                     levenshtein ? QStringLiteral("Distance") : QStringLiteral("Matched"));
        };
        check(false);
        QTest::mouseClick(w("Levenshtein"), Qt::LeftButton);
        check(true);
        QTest::mouseClick(w("ChrMatch"), Qt::LeftButton);
        check(false);
    }

    void listAndStatusBar() {
        // Only the two size columns are right-aligned.
        for (int c = 0; c < ColumnCount; ++c) {
            const QVariant align =
                window_->results()->headerData(c, Qt::Horizontal, Qt::TextAlignmentRole);
            QVERIFY2(bool(align.value<Qt::Alignment>() & Qt::AlignRight) == (c == 1 || c == 5),
                     qPrintable(ColumnKeys[size_t(c)]));
        }
        // The progress bar lies over panel 1 and is stacked above the status bar.
        const QWidget* bar = w("StatusBar1");
        const QObjectList siblings = bar->parentWidget()->children();
        QVERIFY(w("ProgressBar1")->parentWidget() == bar->parentWidget() &&
                siblings.indexOf(w("ProgressBar1")) > siblings.indexOf(bar));
        // A short window puts the status bar over the list: it paints its own background.
        QVERIFY2(bar->autoFillBackground(), "the list shows through the status bar");
    }

    void layoutRules_data() {
        QTest::addColumn<QSize>("outer"); // twips
        QTest::addColumn<int>("stepsApplied");

        QTest::newRow("design size") << QSize(11540, 7875) << 4;
        QTest::newRow("exactly the limits") << QSize(2905, 5070) << 4;
        QTest::newRow("narrower than the panel rule") << QSize(2000, 9000) << 3;
        QTest::newRow("shorter than 5070") << QSize(11540, 5000) << 2;
        QTest::newRow("narrower than 350") << QSize(300, 9000) << 1;
        QTest::newRow("nothing at all") << QSize(0, 0) << 1;
    }
    void layoutRules() {
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
        const int h = outer.height(), width = outer.width();
        QCOMPARE(list->width(),
                 stepsApplied >= 2 ? twipsToPixels(width - 350) : listBefore.width());
        QCOMPARE(list->height(), stepsApplied >= 3 ? twipsToPixels(h - 5070) : listBefore.height());
        QCOMPARE(panel2->width(), stepsApplied >= 4 ? twipsToPixels(width - 2905) : panelBefore);
        QCOMPARE(panel3->x(), panel2->x() + panel2->width());

        // Every other control stays in its parent where it was designed.
        for (const ControlEntry& entry : Controls) {
            const QWidget* c = w(entry.name);
            const QRect place = twipsToPixels(entry.place);
            if (QStringList({"FListView", "ProgressBar1", "StatusBar1"}).contains(entry.name))
                continue;
            QVERIFY2(c->parentWidget()->objectName() == (*entry.parent ? entry.parent : "client"),
                     entry.name);
            QVERIFY2(c->pos() == place.topLeft() && c->width() == place.width(), entry.name);
            QVERIFY2(entry.kind == ControlKind::Line || c->height() == place.height(), entry.name);
        }
        QCOMPARE(list->pos(), twipsToPixels(controlEntry("FListView").place).topLeft());
        QCOMPARE(progress->x(), twipsToPixels(controlEntry("ProgressBar1").place.left));
        // Over panel 1 wherever the status bar is: the outer size given is not the window's.
        const QWidget* panel1 = child<QLabel>(*w("StatusBar1"), QStringLiteral("pbar"));
        const int top = progress->mapTo(window_.get(), QPoint()).y();
        const int panelTop = panel1->mapTo(window_.get(), QPoint()).y();
        QVERIFY2(top >= panelTop && top + progress->height() <= panelTop + panel1->height(),
                 "the progress bar is not over status panel 1");
    }

    void resizingAppliesRules() {
        showWindow();
        // Outer size: the window with its menu bar, and a frame.
        const QSize outer = window_->outerSizeTwips();
        QVERIFY(outer.height() >
                (window_->centralWidget()->height() + window_->menuBar()->height()) * 15);
        QVERIFY(outer.width() > window_->centralWidget()->width() * 15);

        window_->resize(900, 600);
        QTRY_COMPARE_WITH_TIMEOUT(window_->size(), QSize(900, 600), 1000);
        const QSize big = window_->outerSizeTwips();
        QCOMPARE(w("FListView")->size(),
                 QSize(twipsToPixels(big.width() - 350), twipsToPixels(big.height() - 5070)));
        const QWidget* bar = w("StatusBar1");
        QCOMPARE(bar->geometry(), QRect(0, window_->centralWidget()->height() - bar->height(),
                                        window_->centralWidget()->width(), bar->height()));
    }

    void windowCommands() {
        showWindow();
        const QRect normal = window_->geometry();
        const std::pair<const char*, Qt::WindowState> steps[] = {{"MeRestore", Qt::WindowNoState},
                                                                 {"MeMax", Qt::WindowMaximized},
                                                                 {"MeRestore", Qt::WindowNoState},
                                                                 {"meMin", Qt::WindowMinimized},
                                                                 {"MeRestore", Qt::WindowNoState}};
        for (const auto& [item, state] : steps) {
            trigger(item);
            QTRY_COMPARE_WITH_TIMEOUT(window_->windowState(), state, 1000);
        }
        QCOMPARE(window_->geometry(), normal);
    }

    void exitAndDestructionStopScan() {
        showWindow();
        StopFlag = false;
        trigger("MeExit");
        QVERIFY(StopFlag);
        QVERIFY(!window_->isVisible());
        StopFlag = false;
        window_.reset();
        QVERIFY(StopFlag);
        StopFlag = false;
    }

    void startFolderIsScanPath() {
        QCOMPARE(dir1()->path(), tree_->path());
        QCOMPARE(window_->scanPath(), tree_->path() + '/');
        const QList<Volume> volumes = mountedVolumes();
        const int volume = volumeHolding(volumes, tree_->path());
        QVERIFY(volume >= 0);
        QCOMPARE(drive1()->currentText(), volumes.at(volume).root);
        QCOMPARE(dir1()->currentIndex().data().toString(), QFileInfo(tree_->path()).fileName());
        // No qvx.ini: an empty list, and nothing written.
        QCOMPARE(favs()->count(), 0);
        QVERIFY(!config_->exists(QStringLiteral("qvx.ini")));
    }

    void dotFoldersHidden() {
        // As scans leave them out; one on the way to the folder shown is still listed.
        const auto listed = [this] {
            const QModelIndex at = dir1()->currentIndex();
            dir1()->expand(at);
            QStringList names;
            for (int r = 0; r < dir1()->model()->rowCount(at); ++r)
                names << dir1()->model()->index(r, 0, at).data().toString();
            names.sort();
            return names.join(' ');
        };
        QTRY_COMPARE(listed(), QStringLiteral("A B C D Data E data mnt mntx"));
        QVERIFY(!dir1()->setPath(tree_->file(".hide/in"), "/"));
        QTRY_COMPARE(dir1()->currentIndex().parent().data().toString(), QStringLiteral(".hide"));
    }

    void foldersAndFavourites_data() {
        // Steps, split at ", ": "show X" shows folder X in the folder list, "add X" shows it and
        // presses Add Favorite, "delete K" selects favourite K (none without K) and presses
        // Delete Favorite, "reopen X Y ..." writes the folders as path0, path1 ... (none
        // without) and opens a new window on qvx.ini, "click K" clicks favourite K, "key Down"
        // presses that key in the favourites, "drive D" chooses volume D. Then the keys of qvx.ini,
        // the favourites listed, "volume|scan path" and the messages shown; "@" stands for the tree
        // throughout.
        QTest::addColumn<QStringList>("stepsAndExpected");
        const auto row = [](const char* name, const char* steps, const char* keys,
                            const char* listed, const char* shown, const char* message = "") {
            QTest::newRow(name) << QStringList{steps, keys, listed, shown, message};
        };
        row("twice the same folder", "add @/A, add @/A", "path0=@/A", "@/A", "/|@/A/");
        row("case differs", "add @/Data, add @/data", "path0=@/Data path1=@/data", "@/Data @/data",
            "/|@/data/");
        row("an addition closes the gap", "add @/A, add @/B, add @/C, delete 1, add @/D",
            "path0=@/A path1=@/C path2=@/D", "@/A @/C @/D", "/|@/D/");
        row("a stale key stays", "add @/A, add @/B, add @/C, delete 1, delete 1, add @/E",
            "path0=@/A path1=@/E path2=@/C", "@/A @/E", "/|@/E/");
        row("across a restart", "add @/A, add @/B, reopen, add @/C, delete 0",
            "path1=@/B path2=@/C", "@/B @/C", "/|@/C/");
        row("delete without a selection", "add @/A, delete", "path0=@/A", "@/A", "/|@/A/");
        row("missing folder is removed", "reopen @/A @/gone @/B, click 1", "path0=@/A path2=@/B",
            "@/A @/B", "/|@/", "Missing Folder|Folder not found.|critical");
        row("click selects volume and folder", "reopen @/mnt/x @/mntx, click 0",
            "path0=@/mnt/x path1=@/mntx", "@/mnt/x @/mntx", "@/mnt/|@/mnt/x/");
        row("a volume is no prefix of a name", "reopen @/mnt/x @/mntx, click 0, click 1",
            "path0=@/mnt/x path1=@/mntx", "@/mnt/x @/mntx", "/|@/mntx/");
        row("arrow keys choose", "reopen @/A @/B @/C, click 0, key Down, key Down, key Up",
            "path0=@/A path1=@/B path2=@/C", "@/A @/B @/C", "/|@/B/");
        row("missing folder by key", "reopen @/A @/gone, click 0, key Down", "path0=@/A", "@/A",
            "/|@/A/", "Missing Folder|Folder not found.|critical");
        row("a volume shows its root", "drive @/mnt/", "", "", "@/mnt/|@/mnt/");
        row("a volume not ready", "drive /offline/", "", "", "/offline/|@/",
            "ERROR!!|Device not available|critical");
        row("the root", "show /", "", "", "/|/");
        row("given with a separator", "show @/Data/", "", "", "/|@/Data/");
    }
    void foldersAndFavourites() {
        QFETCH(QStringList, stepsAndExpected);
        const QString at = tree_->path();
        const VolumeSource volumes = [at] {
            return QList<Volume>{{"/", true}, {at + "/mnt/", true}, {"/offline/", false}};
        };
        reopen({}, volumes);
        QStringList expected = stepsAndExpected.replaceInStrings("@", at);
        for (const QString& step : expected.takeFirst().split(", ")) {
            QStringList words = step.split(' ');
            const QString command = words.takeFirst();
            if (command == "reopen") {
                reopen(words, volumes);
            } else if (command == "show" || command == "add") {
                QVERIFY(!dir1()->setPath(words.first(), "/"));
                if (command == "add")
                    QTest::mouseClick(w("addFavorite"), Qt::LeftButton);
            } else if (command == "delete") {
                favs()->clearSelection();
                if (!words.isEmpty())
                    favs()->setCurrentRow(words.first().toInt(), QItemSelectionModel::Select);
                QTest::mouseClick(w("DelFav"), Qt::LeftButton);
            } else if (command == "click") {
                QTest::mouseClick(
                    favs()->viewport(), Qt::LeftButton, {},
                    favs()->visualItemRect(favs()->item(words.first().toInt())).center());
            } else if (command == "key") {
                QTest::keyClick(favs(), words.first() == "Up" ? Qt::Key_Up : Qt::Key_Down);
            } else {
                drive1()->setCurrentIndex(drive1()->findText(words.first()));
            }
        }
        QStringList written, listed;
        for (int i = 0; i < favs()->count(); ++i)
            listed << favs()->item(i)->text();
        for (int k = 0; k < 10; ++k) {
            const QString value = ReadFromFile(FavouritesSection, favouriteKey(k), favourites());
            if (!value.isEmpty())
                written << favouriteKey(k) + '=' + value;
        }
        QCOMPARE(QStringList({written.join(' '), listed.join(' '),
                              drive1()->currentText() + '|' + window_->scanPath(),
                              dialogs_->messages().join(',')}),
                 expected);
        // Only a root ends with a separator.
        QVERIFY(!dir1()->path().endsWith('/') || dir1()->path() == "/");
    }

    void unwritableFavouritesReportOnce() {
        // qvx.ini in a folder that is missing: every write fails, also as root.
        WindowOptions options = windowOptions(*config_, tree_->path());
        options.favouritesFile = config_->file(QStringLiteral("gone/qvx.ini"));
        window_ = std::make_unique<MainWindow>(options);
        for (const char* folder : {"A", "B", "C"}) {
            QVERIFY(!dir1()->setPath(tree_->file(QString::fromUtf8(folder)), "/"));
            QTest::mouseClick(w("addFavorite"), Qt::LeftButton);
        }
        QVERIFY2(std::exchange(errors_->reports, {}).size() == 3, "not one report per addition");
    }

    void tooltipShowsItemUnderPointer() {
        reopen({tree_->file("A"), tree_->file("B"), tree_->file("C")});
        QListWidget* list = favs();
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

private:
    QWidget* w(const QString& name) const { return child<QWidget>(*window_, name); }
    void trigger(const char* name) { child<QAction>(*window_, QString::fromUtf8(name))->trigger(); }
    void showWindow() {
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }
    QComboBox* drive1() const { return child<QComboBox>(*window_, "Drive1"); }
    FolderTree* dir1() const { return child<FolderTree>(*window_, "Dir1"); }
    QListWidget* favs() const { return child<QListWidget>(*window_, "FavsList"); }
    QString favourites() const { return config_->file(QStringLiteral("qvx.ini")); }
    // Writes the folders as path0, path1 ... of qvx.ini, then opens and shows a new window.
    void reopen(const QStringList& folders, VolumeSource volumes = {}) {
        for (qsizetype k = 0; k < folders.size(); ++k)
            WriteToFile(FavouritesSection, favouriteKey(int(k)), folders.at(k), favourites());
        window_ = makeWindow(*config_, tree_->path(), std::move(volumes));
        showWindow();
    }

    std::optional<ScriptedDialogs> dialogs_;
    std::unique_ptr<RecordingSink> errors_;
    std::unique_ptr<TestDir> config_;
    std::unique_ptr<TestDir> tree_;
    std::unique_ptr<MainWindow> window_;
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
