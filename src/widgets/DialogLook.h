#pragma once

#include <QFont>
#include <QRect>

class QDialog;
class QString;
class QWidget;

namespace nw::look {

// Dialog places are in twips (1/1440 inch); 15 twips make one device-independent pixel.
int px(int twips);
QRect place(int left, int top, int width, int height);

// The narrow 8-point face the places were made for, at the given size.
QFont dialogFont(qreal pointSize = 8);

// A fixed-size tool window with a close button only, in the dialog font.
inline constexpr Qt::WindowFlags ToolWindowFlags =
    Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
void setUpToolWindow(QDialog& dialog, const QString& name, const QString& title, int widthTwips,
                     int heightTwips);

// Makes a label's or button's text smaller until it fits, for fonts wider than designed.
void fitText(QWidget* control);

} // namespace nw::look
