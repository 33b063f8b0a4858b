#pragma once

#include "widgets/DialogLook.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVariant>

namespace nw::test {

// What a control shows: a frame's title, a box's current text, or a caption.
inline QString shownText(const QObject* control) {
    for (const char* property : {"title", "currentText", "text"}) {
        if (const QVariant text = control->property(property); text.isValid())
            return text.toString();
    }
    return {};
}

// The control named by the data row's name shows text and stands at the place given in twips.
inline void checkControl(const QWidget& dialog, const QString& text, QRect twips) {
    const QString name = QString::fromUtf8(QTest::currentDataTag());
    const auto* control = dialog.findChild<QWidget*>(name);
    QVERIFY2(control, qPrintable(QStringLiteral("the dialog has no control %1").arg(name)));
    QCOMPARE(shownText(control), text);
    QCOMPARE(control->geometry(),
             look::place(twips.left(), twips.top(), twips.width(), twips.height()));
}

// The named controls Tab reaches from `from` until it comes round; labels take no focus.
inline QStringList tabChain(QWidget* from) {
    QStringList order;
    QWidget* at = from;
    do {
        if (at->focusPolicy() & Qt::TabFocus && !at->objectName().isEmpty())
            order << at->objectName();
        at = at->nextInFocusChain();
    } while (at != from && order.size() < 50);
    return order;
}

} // namespace nw::test
