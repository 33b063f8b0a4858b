#include "ControlTable.h"
#include "FolderTree.h"
#include "WindowTestKit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
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

bool isKind(const QWidget* w, ControlKind kind) {
    switch (kind) {
    case ControlKind::DriveList:
        return qobject_cast<const QComboBox*>(w) &&
               !qobject_cast<const QComboBox*>(w)->isEditable();
    case ControlKind::FolderList:
        return qobject_cast<const FolderTree*>(w);
    case ControlKind::PushButton:
        return qobject_cast<const QPushButton*>(w);
    case ControlKind::ListBox:
        return qobject_cast<const QListWidget*>(w);
    case ControlKind::Frame:
        return qobject_cast<const QGroupBox*>(w);
    case ControlKind::OptionButton:
        return qobject_cast<const QRadioButton*>(w);
    case ControlKind::Line: {
        const auto* line = qobject_cast<const QFrame*>(w);
        return line && line->frameShape() == QFrame::HLine;
    }
    case ControlKind::ComboBox:
        return qobject_cast<const QComboBox*>(w) && qobject_cast<const QComboBox*>(w)->isEditable();
    case ControlKind::Label:
        return qobject_cast<const QLabel*>(w);
    case ControlKind::CheckBox:
        return qobject_cast<const QCheckBox*>(w);
    case ControlKind::TextBox:
        return qobject_cast<const QLineEdit*>(w);
    case ControlKind::ListView:
        return qobject_cast<const QTreeView*>(w) && !qobject_cast<const FolderTree*>(w);
    case ControlKind::StatusBar:
        return qobject_cast<const QStatusBar*>(w);
    case ControlKind::ProgressBar:
        return qobject_cast<const QProgressBar*>(w);
    }
    return false;
}

QString shownText(const QWidget* w) {
    if (const auto* button = qobject_cast<const QAbstractButton*>(w))
        return button->text();
    if (const auto* frame = qobject_cast<const QGroupBox*>(w))
        return frame->title();
    if (const auto* label = qobject_cast<const QLabel*>(w))
        return label->text();
    if (const auto* combo = qobject_cast<const QComboBox*>(w))
        return combo->isEditable() ? combo->currentText() : QString();
    if (const auto* edit = qobject_cast<const QLineEdit*>(w))
        return edit->text();
    return {};
}

} // namespace

class TestControlTable : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init();
    void cleanup() { window_.reset(); }

    void everyControlAsDesigned();
    void focusFollowsTabOrder();
    void resultColumns();
    void statusPanels();
    void menuTree();
    void windowFrame();

private:
    ScriptedDialogs dialogs_;
    std::unique_ptr<TestDir> config_;
    std::unique_ptr<MainWindow> window_;
};

void TestControlTable::init() {
    config_ = std::make_unique<TestDir>();
    window_ = makeWindow(*config_, config_->path());
}

void TestControlTable::everyControlAsDesigned() {
    for (const ControlEntry& entry : Controls) {
        const QString name = QString::fromUtf8(entry.name);
        const QByteArray what = entry.name;
        const QWidget* w = window_->findChild<QWidget*>(name);
        QVERIFY2(w, what);
        QVERIFY2(isKind(w, entry.kind), what);
        QVERIFY2(shownText(w) == QString::fromUtf8(entry.text),
                 what + ": " + shownText(w).toUtf8());
        QVERIFY2(w->toolTip() == QString::fromUtf8(entry.tip), what);
        const QString parent = *entry.parent ? QString::fromUtf8(entry.parent)
                                             : window_->centralWidget()->objectName();
        QVERIFY2(w->parentWidget()->objectName() == parent, what);

        const QRect expected = twipsToPixels(entry.place);
        QVERIFY2(w->pos() == expected.topLeft(), what);
        QVERIFY2(w->width() == expected.width(), what);
        if (entry.kind != ControlKind::Line)
            QVERIFY2(w->height() == expected.height(), what);
    }
}

void TestControlTable::focusFollowsTabOrder() {
    QStringList order;
    for (const char* name : TabOrder)
        order << QString::fromUtf8(name);
    // Each control's next stop (skipping parts of compound widgets) is the next one listed.
    for (qsizetype i = 0; i + 1 < order.size(); ++i) {
        QWidget* w = child<QWidget>(*window_, order.at(i))->nextInFocusChain();
        while (!order.contains(w->objectName()))
            w = w->nextInFocusChain();
        QVERIFY2(w->objectName() == order.at(i + 1), qPrintable(order.at(i)));
    }
    QCOMPARE(window_->focusWidget(), child<QWidget>(*window_, QStringLiteral("Drive1")));
    for (const char* name : {"Label7", "lblChrMatch", "Frame1", "StatusBar1", "ProgressBar1"})
        QVERIFY2(child<QWidget>(*window_, QString::fromUtf8(name))->focusPolicy() == Qt::NoFocus,
                 name);
}

void TestControlTable::resultColumns() {
    const auto* list = child<QTreeView>(*window_, QStringLiteral("FListView"));
    const QAbstractItemModel* model = list->model();
    QCOMPARE(model->columnCount(), int(ResultColumns.size()));
    for (int c = 0; c < ColumnCount; ++c) {
        const ColumnEntry& entry = ResultColumns[size_t(c)];
        QCOMPARE(model->headerData(c, Qt::Horizontal).toString(), QString::fromUtf8(entry.caption));
        QCOMPARE(ColumnKeys[size_t(c)], QString::fromUtf8(entry.key));
        QCOMPARE(list->header()->sectionSize(c), twipsToPixels(ColumnWidthTwips));
    }
}

void TestControlTable::statusPanels() {
    const auto* bar = child<QStatusBar>(*window_, QStringLiteral("StatusBar1"));
    int left = 0;
    for (const PanelEntry& entry : StatusPanels) {
        const auto* panel = child<QLabel>(*bar, QString::fromUtf8(entry.key));
        QVERIFY2(panel->text().isEmpty(), entry.key);
        QVERIFY2(panel->x() == left, entry.key);
        QVERIFY2(panel->width() == twipsToPixels(entry.widthTwips), entry.key);
        left += panel->width();
    }
    // The progress bar lies over panel 1 and is stacked above the status bar.
    const auto* progress = child<QProgressBar>(*window_, QStringLiteral("ProgressBar1"));
    QCOMPARE(progress->parentWidget(), bar->parentWidget());
    const QObjectList siblings = bar->parentWidget()->children();
    QVERIFY(siblings.indexOf(progress) > siblings.indexOf(bar));
    QCOMPARE(progress->minimum(), 0);
    QCOMPARE(progress->maximum(), 100);
    QCOMPARE(progress->value(), 0);
}

void TestControlTable::menuTree() {
    QMenuBar* bar = window_->menuBar();
    for (const MenuEntry& entry : Menus) {
        const QByteArray what = entry.name;
        const QString name = QString::fromUtf8(entry.name);
        const QAction* action = window_->findChild<QAction*>(name);
        QVERIFY2(action, what);
        QVERIFY2(action->text() == QString::fromUtf8(entry.caption), what);
        QVERIFY2(action->isVisible() == !entry.hidden, what);
        QVERIFY2(bool(action->menu()) == entry.submenu, what);
        const QWidget* owner =
            *entry.parent
                ? static_cast<QWidget*>(child<QMenu>(*window_, QString::fromUtf8(entry.parent)))
                : bar;
        QVERIFY2(owner->actions().contains(const_cast<QAction*>(action)), what);
    }
    // In the designed order within each menu.
    QStringList barOrder;
    for (const QAction* action : bar->actions())
        barOrder << action->objectName();
    QCOMPARE(barOrder,
             QStringList({"MeRestore", "MeMax", "meMin", "MeExit", "Help", "mnuHidden1"}));
    QStringList popupOrder;
    for (const QAction* action : child<QMenu>(*window_, QStringLiteral("mnuHidden1"))->actions())
        popupOrder << action->objectName();
    QCOMPARE(popupOrder, QStringList({"OpenLogText", "mnuRemove", "mnuLarge", "mnuSmall"}));
}

void TestControlTable::windowFrame() {
    QCOMPARE(window_->windowTitle(), QStringLiteral("Namewick Finder"));
    const Qt::WindowFlags flags = window_->windowFlags();
    QVERIFY(flags & Qt::CustomizeWindowHint);
    QVERIFY(flags & Qt::WindowTitleHint);
    QVERIFY(!(flags & (Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                       Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint)));
    QVERIFY(!window_->windowIcon().isNull());
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    QCOMPARE(window_->centralWidget()->size(),
             QSize(twipsToPixels(ClientWidthTwips), twipsToPixels(ClientHeightTwips)));
}

QTEST_MAIN(TestControlTable)
#include "test_control_table.moc"
