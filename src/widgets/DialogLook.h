#pragma once

#include <QFont>
#include <QRect>

class QDialog;
class QString;
class QWidget;

namespace nw::look {

// Places are in twips (1/1440 inch); 15 twips make one device-independent pixel.
int px(int twips);
QRect place(int left, int top, int width, int height);

// Puts the narrow faces the places were made for ahead of the font's own face.
void useNarrowFaces(QFont& font);
// The narrow 8-point face the places were made for, at the given size.
QFont dialogFont(qreal pointSize = 8);

// A fixed-size tool window with a close button only, in the dialog font.
inline constexpr Qt::WindowFlags ToolWindowFlags =
    Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
void setUpToolWindow(QDialog& dialog, const QString& name, const QString& title, int widthTwips,
                     int heightTwips);

// Makes the control's font smaller by step points, down to 6 points, until fits holds.
using FitTest = bool (*)(const QWidget* control);
void shrinkUntilFits(QWidget* control, qreal step, FitTest fits);

// Makes a label's, button's or line edit's text smaller until it fits, for fonts wider than
// designed.
void fitText(QWidget* control);

} // namespace nw::look
