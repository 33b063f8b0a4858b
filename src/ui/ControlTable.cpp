#include "ui/ControlTable.h"
#include "ui/FolderTree.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStyle>
#include <QTreeView>

namespace nw {

QRect twipsToPixels(const TwipRect& place) {
    return look::place(place.left, place.top, place.width, place.height);
}

bool captionFits(const QWidget* control) {
    const QFontMetrics metrics = control->fontMetrics();
    if (const auto* box = qobject_cast<const QCheckBox*>(control))
        return box->sizeHint().width() <= box->width();
    if (const auto* option = qobject_cast<const QRadioButton*>(control))
        return option->sizeHint().width() <= option->width();
    if (const auto* button = qobject_cast<const QPushButton*>(control)) {
        const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
        return metrics.horizontalAdvance(button->text()) + 2 * margin <= button->width();
    }
    if (const auto* frame = qobject_cast<const QGroupBox*>(control))
        return metrics.horizontalAdvance(frame->title()) + metrics.height() <= frame->width();
    if (const auto* label = qobject_cast<const QLabel*>(control))
        return metrics.horizontalAdvance(label->text()) <= label->contentsRect().width() &&
               metrics.height() <= label->contentsRect().height() + metrics.descent();
    return true;
}

void fitCaption(QWidget* control) {
    // Half points, where the dialogs take quarters: the captions keep the sizes they had.
    look::shrinkUntilFits(control, 0.5, captionFits);
}

QWidget* makeControl(const ControlEntry& entry, QWidget* parent) {
    const QString text = QString::fromUtf8(entry.text);
    QRect place = twipsToPixels(entry.place);
    QWidget* widget = nullptr;
    switch (entry.kind) {
    case ControlKind::DriveList:
        widget = new QComboBox(parent);
        break;
    case ControlKind::FolderList:
        widget = new FolderTree(parent);
        break;
    case ControlKind::PushButton:
        widget = new QPushButton(text, parent);
        break;
    case ControlKind::ListBox:
        widget = new QListWidget(parent);
        break;
    case ControlKind::Frame:
        widget = new QGroupBox(text, parent);
        break;
    case ControlKind::OptionButton:
        widget = new QRadioButton(text, parent);
        break;
    case ControlKind::Line: {
        auto* line = new QFrame(parent);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        // A line has no height of its own; an etched one needs two pixels.
        place.setHeight(2);
        widget = line;
        break;
    }
    case ControlKind::ComboBox: {
        auto* combo = new QComboBox(parent);
        combo->setEditable(true);
        combo->setEditText(text);
        widget = combo;
        break;
    }
    case ControlKind::Label: {
        auto* label = new QLabel(text, parent);
        // Text at the top: a label may reach under the control below it.
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        widget = label;
        break;
    }
    case ControlKind::CheckBox: {
        auto* box = new QCheckBox(text, parent);
        box->setChecked(entry.flags & Checked);
        widget = box;
        break;
    }
    case ControlKind::TextBox: {
        auto* edit = new QLineEdit(text, parent);
        edit->setReadOnly(entry.flags & ReadOnly);
        widget = edit;
        break;
    }
    case ControlKind::ListView:
        widget = new QTreeView(parent);
        break;
    case ControlKind::StatusBar: {
        auto* bar = new QStatusBar(parent);
        bar->setSizeGripEnabled(false);
        // A short window docks it over the list, which must not show through.
        bar->setAutoFillBackground(true);
        widget = bar;
        break;
    }
    case ControlKind::ProgressBar: {
        auto* bar = new QProgressBar(parent);
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setTextVisible(false);
        widget = bar;
        break;
    }
    }
    widget->setObjectName(QString::fromUtf8(entry.name));
    if (*entry.tip)
        widget->setToolTip(QString::fromUtf8(entry.tip));
    widget->setGeometry(place);
    if (entry.flags & Hidden)
        widget->setVisible(false);
    return widget;
}

} // namespace nw
