#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

#include "toolkit/Color.h"

class QFrame;
class QLabel;
class QWidget;

// The wizard's fonts and panels, shared by the layout of its pages.

// The yellow of framing and caption panels (red 253, green 230, blue 168).
constexpr TColor FramePanelColor = 11069181;

QColor ToQColor(TColor color);
QFont WindowFont();
QFont SongFont();
// Gives a widget its text colour.
void SetTextColor(QWidget* widget, const QColor& color);
// A framing panel: raised inner and lowered outer bevel in the wizard's yellow.
QFrame* MakeFramePanel(QWidget* parent, const QRect& geometry);
// A lowered frame whose inside is width × height at (left, top), for a thumbnail or preview.
QFrame* MakeLoweredFrame(QWidget* parent, int left, int top, int width, int height);
// A small caption panel sitting on the top edge of a framing panel.
QLabel* MakeCaptionPanel(QWidget* parent, const QString& text, int left, int top);
QLabel* MakeLabel(QWidget* parent, const QString& text, int left, int top);
