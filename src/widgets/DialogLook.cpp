#include "widgets/DialogLook.h"

#include <QAbstractButton>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOption>

namespace nw::look {

int px(int twips) {
    // Rounded half away from zero, so negative places mirror positive ones.
    return twips >= 0 ? (twips + 7) / 15 : -((-twips + 7) / 15);
}

QRect place(int left, int top, int width, int height) {
    return {px(left), px(top), px(width), px(height)};
}

void useNarrowFaces(QFont& font) {
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                      QStringLiteral("Helvetica"), QStringLiteral("DejaVu Sans Condensed"),
                      font.family()});
}

QFont dialogFont(qreal pointSize) {
    QFont font;
    useNarrowFaces(font);
    font.setPointSizeF(pointSize);
    return font;
}

namespace {

bool fits(const QWidget* control) {
    const QFontMetrics metrics = control->fontMetrics();
    if (const auto* button = qobject_cast<const QAbstractButton*>(control)) {
        const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
        return metrics.horizontalAdvance(button->text()) + 2 * margin <= button->width();
    }
    if (const auto* box = qobject_cast<const QLineEdit*>(control)) {
        QStyleOptionFrame option;
        option.initFrom(box);
        option.lineWidth =
            box->hasFrame() ? box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box)
                            : 0;
        const QRect room = box->style()->subElementRect(QStyle::SE_LineEditContents, &option, box);
        const QMargins margins = box->textMargins();
        // A line edit keeps two pixels free on either side of its text.
        return metrics.horizontalAdvance(box->text()) + 4 + margins.left() + margins.right() <=
               room.width();
    }
    if (const auto* label = qobject_cast<const QLabel*>(control)) {
        const QRect room = label->contentsRect();
        const int flags = label->wordWrap() ? Qt::TextWordWrap : Qt::TextSingleLine;
        const QRect needed = metrics.boundingRect(QRect(0, 0, room.width(), 100000),
                                                  flags | int(label->alignment()), label->text());
        return needed.width() <= room.width() &&
               needed.height() <= room.height() + metrics.descent();
    }
    return true;
}

} // namespace

void shrinkUntilFits(QWidget* control, qreal step, FitTest fits) {
    QFont font = control->font();
    while (!fits(control) && font.pointSizeF() > 6) {
        font.setPointSizeF(font.pointSizeF() - step);
        control->setFont(font);
    }
}

void fitText(QWidget* control) {
    shrinkUntilFits(control, 0.25, fits);
}

void setUpToolWindow(QDialog& dialog, const QString& name, const QString& title, int widthTwips,
                     int heightTwips) {
    dialog.setObjectName(name);
    dialog.setWindowTitle(title);
    dialog.setFont(dialogFont());
    dialog.setFixedSize(px(widthTwips), px(heightTwips));
}

} // namespace nw::look
