#include "FavouritesFile.h"
#include "FolderTree.h"
#include "ReadWrite.h"
#include "RecordingView.h"
#include "WindowTestKit.h"

#include <QComboBox>
#include <QCursor>
#include <QListWidget>
#include <QPushButton>
#include <QStandardPaths>

using namespace nw;
using namespace nw::test;

class TestFavourites : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init();
    void cleanup();

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
    QComboBox* drive1(const MainWindow& w) const { return child<QComboBox>(w, "Drive1"); }
    FolderTree* dir1(const MainWindow& w) const { return child<FolderTree>(w, "Dir1"); }
    QListWidget* favs(const MainWindow& w) const { return child<QListWidget>(w, "FavsList"); }
    QStringList items(const MainWindow& w) const;
    // "pathK=value" for every key from path0 to path9 in qvx.ini.
    QStringList keys() const;
    void select(MainWindow& w, int row) const;
    std::unique_ptr<MainWindow> open(VolumeSource volumes = {}) const {
        return makeWindow(*config_, tree_->path(), std::move(volumes));
    }

    ScriptedDialogs dialogs_;
    std::unique_ptr<RecordingSink> errors_;
    std::unique_ptr<TestDir> config_;
    std::unique_ptr<TestDir> tree_;
};

void TestFavourites::init() {
    errors_ = std::make_unique<RecordingSink>();
    dialogs_.messages.clear();
    dialogs_.prompts.clear();
    config_ = std::make_unique<TestDir>();
    tree_ = std::make_unique<TestDir>();
    for (const char* folder : {"A", "B", "C", "D", "E", "Data", "data", "mnt/x", "mntx"})
        tree_->mkdir(QString::fromUtf8(folder));
}

void TestFavourites::cleanup() {
    QCOMPARE(errors_->reports, QStringList());
    errors_.reset();
}

QStringList TestFavourites::items(const MainWindow& w) const {
    QStringList list;
    for (int i = 0; i < favs(w)->count(); ++i)
        list << favs(w)->item(i)->text();
    return list;
}

QStringList TestFavourites::keys() const {
    QStringList list;
    const QString file = config_->file(QStringLiteral("qvx.ini"));
    for (int k = 0; k < 10; ++k) {
        const QString value = ReadFromFile(FavouritesSection, favouriteKey(k), file);
        if (!value.isEmpty())
            list << favouriteKey(k) + '=' + value.mid(tree_->path().size() + 1);
    }
    return list;
}

void TestFavourites::select(MainWindow& w, int row) const {
    favs(w)->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
}

void TestFavourites::startFolderIsScanPath() {
    const auto window = open();
    QCOMPARE(dir1(*window)->path(), tree_->path());
    QCOMPARE(window->scanPath(), tree_->path() + '/');
    const QList<Volume> volumes = mountedVolumes();
    const int volume = volumeHolding(volumes, tree_->path());
    QVERIFY(volume >= 0);
    QCOMPARE(drive1(*window)->currentText(), volumes.at(volume).root);
    QCOMPARE(dir1(*window)->currentIndex().data().toString(), QFileInfo(tree_->path()).fileName());
    // No qvx.ini: an empty list, and nothing written.
    QCOMPARE(favs(*window)->count(), 0);
    QVERIFY(!config_->exists(QStringLiteral("qvx.ini")));
}

void TestFavourites::scanPathEndsWithSeparator_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("scanPath");
    QTest::newRow("folder") << "{t}/Data"
                            << "{t}/Data/";
    QTest::newRow("root") << "/"
                          << "/";
    QTest::newRow("given with a separator") << "{t}/Data/"
                                            << "{t}/Data/";
}

void TestFavourites::scanPathEndsWithSeparator() {
    QFETCH(QString, folder);
    QFETCH(QString, scanPath);
    const auto window = open();
    QVERIFY(!dir1(*window)->setPath(folder.replace("{t}", tree_->path()), "/"));
    QCOMPARE(window->scanPath(), scanPath.replace("{t}", tree_->path()));
    QVERIFY(!dir1(*window)->path().endsWith('/') || dir1(*window)->path() == "/");
}

void TestFavourites::addingKeepsListAndFileInStep_data() {
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

void TestFavourites::addingKeepsListAndFileInStep() {
    QFETCH(QStringList, steps);
    QFETCH(QStringList, expectedKeys);
    QFETCH(QStringList, listedAfterRestart);

    auto window = open();
    for (const QString& step : steps) {
        if (step == "restart") {
            const QStringList before = items(*window);
            window = open();
            QCOMPARE(items(*window), before);
        } else if (step.startsWith('+')) {
            QVERIFY(!dir1(*window)->setPath(tree_->file(step.mid(1)), "/"));
            QTest::mouseClick(child<QPushButton>(*window, "addFavorite"), Qt::LeftButton);
        } else {
            select(*window, step.mid(1).toInt());
            QTest::mouseClick(child<QPushButton>(*window, "DelFav"), Qt::LeftButton);
        }
    }
    QCOMPARE(keys(), expectedKeys);
    window = open();
    QStringList expected;
    for (const QString& name : listedAfterRestart)
        expected << tree_->file(name);
    QCOMPARE(items(*window), expected);
}

void TestFavourites::deleteWithoutSelectionChangesNothing() {
    auto window = open();
    QTest::mouseClick(child<QPushButton>(*window, "addFavorite"), Qt::LeftButton);
    const QByteArray before = config_->read(QStringLiteral("qvx.ini"));
    favs(*window)->clearSelection();
    QTest::mouseClick(child<QPushButton>(*window, "DelFav"), Qt::LeftButton);
    QCOMPARE(favs(*window)->count(), 1);
    QCOMPARE(config_->read(QStringLiteral("qvx.ini")), before);
}

void TestFavourites::missingFolderIsRemoved() {
    const QString ini = config_->file(QStringLiteral("qvx.ini"));
    WriteToFile(FavouritesSection, favouriteKey(0), tree_->file("A"), ini);
    WriteToFile(FavouritesSection, favouriteKey(1), tree_->file("gone"), ini);
    WriteToFile(FavouritesSection, favouriteKey(2), tree_->file("B"), ini);
    auto window = open();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QCOMPARE(favs(*window)->count(), 3);

    QListWidget* list = favs(*window);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(1)).center());
    QCOMPARE(dialogs_.messages, QStringList({"Missing Folder|Folder not found.|critical"}));
    QCOMPARE(items(*window), QStringList({tree_->file("A"), tree_->file("B")}));
    QCOMPARE(keys(), QStringList({"path0=A", "path2=B"}));
    QCOMPARE(dir1(*window)->path(), tree_->path());
    QCOMPARE(window->scanPath(), tree_->path() + '/');
}

void TestFavourites::clickSelectsVolumeAndFolder() {
    const QString mount = tree_->file(QStringLiteral("mnt/"));
    const VolumeSource volumes = [mount] { return QList<Volume>{{"/", true}, {mount, true}}; };
    const QString ini = config_->file(QStringLiteral("qvx.ini"));
    WriteToFile(FavouritesSection, favouriteKey(0), tree_->file("mnt/x"), ini);
    WriteToFile(FavouritesSection, favouriteKey(1), tree_->file("mntx"), ini);
    auto window = open(volumes);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QListWidget* list = favs(*window);

    const struct {
        int row;
        QString volume;
        QString folder;
    } clicks[] = {{0, mount, tree_->file("mnt/x")}, {1, "/", tree_->file("mntx")}};
    for (const auto& click : clicks) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(click.row)).center());
        QCOMPARE(drive1(*window)->currentText(), click.volume);
        QCOMPARE(dir1(*window)->volumeRoot(), click.volume);
        QCOMPARE(dir1(*window)->path(), click.folder);
        QCOMPARE(window->scanPath(), click.folder + '/');
    }
    QCOMPARE(dialogs_.messages, QStringList());

    // Choosing a volume shows its root.
    drive1(*window)->setCurrentIndex(drive1(*window)->findText(mount));
    QCOMPARE(window->scanPath(), mount);
}

void TestFavourites::volumeNotReady() {
    const VolumeSource volumes = [] {
        return QList<Volume>{{"/", true}, {"/namewick-offline/", false}};
    };
    auto window = open(volumes);
    QComboBox* drives = drive1(*window);
    drives->setCurrentIndex(drives->findText("/namewick-offline/"));
    QCOMPARE(dialogs_.messages, QStringList({"ERROR!!|Device not available|critical"}));
    QCOMPARE(drives->currentText(), QStringLiteral("/namewick-offline/"));
    QCOMPARE(dir1(*window)->path(), tree_->path());
    QCOMPARE(window->scanPath(), tree_->path() + '/');
}

void TestFavourites::tooltipShowsItemUnderPointer() {
    const QString ini = config_->file(QStringLiteral("qvx.ini"));
    for (int k = 0; k < 3; ++k)
        WriteToFile(FavouritesSection, favouriteKey(k), tree_->file(QString(QChar('A' + k))), ini);
    auto window = open();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QListWidget* list = favs(*window);
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

void TestFavourites::loadsAtMost1001() {
    QByteArray ini = "[favorites]\r\n";
    for (int k = 0; k <= 1200; ++k)
        ini += "path" + QByteArray::number(k) + "=/f" + QByteArray::number(k) + "\r\n";
    config_->write(QStringLiteral("qvx.ini"), ini);
    const auto window = open();
    QCOMPARE(favs(*window)->count(), 1001);
    QCOMPARE(favs(*window)->item(1000)->text(), QStringLiteral("/f1000"));
}

void TestFavourites::browse() {
    const auto window = open();
    dialogs_.folders << QStringLiteral("/chosen/folder") << QString();
    QCOMPARE(window->Browse(true), QStringLiteral("/chosen/folder"));
    QCOMPARE(window->Browse(false, QStringLiteral("Select location for move:")), QString());
    QCOMPARE(dialogs_.prompts, QStringList({"Select a folder|new", "Select location for move:"}));
}

QTEST_MAIN(TestFavourites)
#include "test_favourites.moc"
