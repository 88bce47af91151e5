#pragma once

#include <QRect>

#include "base/Color.h"

class QDialog;
class QFont;
class QFrame;
class QPushButton;
class QWidget;

// The yellow of the framing panels: red 253, green 230, blue 168.
constexpr TColor FramingColor = RGBColor(253, 230, 168);

// The dialogs' font: 宋体, 12 pixels.
QFont DialogFont();
// A framing panel in FramingColor with a lowered outer and a raised inner bevel.
QFrame* MakeFramingPanel(QWidget* parent, const QRect& geometry);
// Fills the widget's background with a window-system colour.
void SetBackground(QWidget* widget, TColor color);
// The dialogs' "确定(&O)" button: the default button, accepting unless the caller connects it
// to a handler of its own.
QPushButton* MakeOkButton(QDialog* dialog, const QRect& geometry, bool accepts = true);
// The dialogs' "取消(&C)" button, rejecting like Esc and the close box.
QPushButton* MakeCancelButton(QDialog* dialog, const QRect& geometry);
