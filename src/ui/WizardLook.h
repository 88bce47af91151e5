#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

class QFrame;
class QLabel;
class QWidget;

// The wizard's fonts and panels, shared by the layout of its pages; the dialogs' framing panels
// and 宋体 come from DialogParts.h.

QFont WindowFont();
// Gives a widget its text colour.
void SetTextColor(QWidget* widget, const QColor& color);
// A lowered frame whose inside is width × height at (left, top), for a thumbnail or preview.
QFrame* MakeLoweredFrame(QWidget* parent, int left, int top, int width, int height);
// A small caption panel sitting on the top edge of a framing panel.
QLabel* MakeCaptionPanel(QWidget* parent, const QString& text, int left, int top);
QLabel* MakeLabel(QWidget* parent, const QString& text, int left, int top);
