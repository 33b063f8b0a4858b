#include "ControlTable.h"
#include "Flags.h"
#include "WindowTestKit.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTreeView>

using namespace nw;
using namespace nw::test;

namespace {

const QStringList RuleControls = {"FListView", "ProgressBar1", "StatusBar1"};

QStringList itemsOf(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

QStringList numbers(int first, int last) {
    QStringList list;
    for (int n = first;; n += first <= last ? 1 : -1) {
        list << QString::number(n);
        if (n == last)
            break;
    }
    return list;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init();
    void cleanup() { window_.reset(); }

    void startState();
    void modeRule();
    void layoutRules_data();
    void layoutRules();
    void resizingAppliesRules();
    void windowCommands();
    void exitAndDestructionStopScan();

private:
    QWidget* w(const char* name) const { return child<QWidget>(*window_, QString::fromUtf8(name)); }

    ScriptedDialogs dialogs_;
    std::unique_ptr<TestDir> config_;
    std::unique_ptr<MainWindow> window_;
};

void TestMainWindow::init() {
    config_ = std::make_unique<TestDir>();
    window_ = makeWindow(*config_, config_->path());
}

void TestMainWindow::startState() {
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    QVERIFY(!w("StopMe")->isVisible());
    QVERIFY(!w("CRCSkip")->isVisible());
    QVERIFY(w("ScanDir")->isVisible() && w("ScanDir")->isEnabled());
    QVERIFY(qobject_cast<QCheckBox*>(w("IgnExtensions"))->isChecked());
    QVERIFY(!qobject_cast<QCheckBox*>(w("chkCRC32"))->isChecked());
    QVERIFY(!qobject_cast<QCheckBox*>(w("AutoMove"))->isChecked());
    QVERIFY(qobject_cast<QLineEdit*>(w("AutoMoveDir"))->isReadOnly());
    QVERIFY(qobject_cast<QRadioButton*>(w("ChrMatch"))->isChecked());
    QVERIFY(!qobject_cast<QRadioButton*>(w("Levenshtein"))->isChecked());

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
        QVERIFY2(combo->currentText() == box.text, box.name);
        QVERIFY2(itemsOf(combo) == box.items, box.name);
    }

    const auto* list = qobject_cast<QTreeView*>(w("FListView"));
    QCOMPARE(list->model()->columnCount(), 8);
    QCOMPARE(list->model()->rowCount(), 0);
    for (int c = 0; c < 8; ++c) {
        QCOMPARE(list->columnWidth(c), list->columnWidth(0));
        const auto align = list->model()
                               ->headerData(c, Qt::Horizontal, Qt::TextAlignmentRole)
                               .value<Qt::Alignment>();
        QCOMPARE(bool(align & Qt::AlignRight), c == 1 || c == 5);
    }
    QCOMPARE(window_->windowTitle(), QStringLiteral("Namewick Finder"));
    QVERIFY(!window_->findChild<QAction*>(QStringLiteral("mnuHidden1"))->isVisible());
}

void TestMainWindow::modeRule() {
    const auto* list = qobject_cast<QTreeView*>(w("FListView"));
    const auto check = [&](bool levenshtein) {
        for (const char* name : {"mPercent", "lblChrMatch", "GrpSense", "lblGrpSense"})
            QVERIFY2(w(name)->isEnabled() == !levenshtein, name);
        for (const char* name : {"LevenshteinDist", "lblLDist"})
            QVERIFY2(w(name)->isEnabled() == levenshtein, name);
        QCOMPARE(list->model()->headerData(3, Qt::Horizontal).toString(),
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
    QTest::newRow("large") << QSize(30000, 15000) << 4;
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
    auto* panels = w("StatusBar1");
    QWidget* panel2 = child<QLabel>(*panels, QStringLiteral("fnamedata"));
    QWidget* panel3 = child<QLabel>(*panels, QStringLiteral("secs"));
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
        if (RuleControls.contains(QString::fromUtf8(entry.name)))
            continue;
        const QRect place = twipsToPixels(entry.place);
        QVERIFY2(w(entry.name)->pos() == place.topLeft(), entry.name);
        QVERIFY2(w(entry.name)->width() == place.width(), entry.name);
    }
    QCOMPARE(list->pos(), twipsToPixels(controlEntry("FListView").place).topLeft());
    QCOMPARE(progress->x(), twipsToPixels(controlEntry("ProgressBar1").place.left));
}

void TestMainWindow::resizingAppliesRules() {
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
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

    // Too small for a list: the list keeps its size, the progress bar still moves.
    window_->resize(15, 200);
    QTRY_COMPARE_WITH_TIMEOUT(window_->size(), QSize(15, 200), 1000);
    const QSize small = window_->outerSizeTwips();
    QVERIFY(small.width() < 350 && small.height() < 5070);
    QCOMPARE(list->size(),
             QSize(twipsToPixels(big.width() - 350), twipsToPixels(big.height() - 5070)));
    QCOMPARE(w("ProgressBar1")->y(), twipsToPixels(small.height() - 1080));
}

void TestMainWindow::windowCommands() {
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
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
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    StopFlag = false;
    child<QAction>(*window_, QStringLiteral("MeExit"))->trigger();
    QVERIFY(StopFlag);
    QVERIFY(!window_->isVisible());

    StopFlag = false;
    window_.reset();
    QVERIFY(StopFlag);
    StopFlag = false;
}

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
