#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <type_traits>

#include "toolkit/Color.h"
#include "ui/DialogParts.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPixmap;
class QPushButton;
class QToolButton;
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

// The teal of the page buttons and the guiding texts.
inline const QColor Teal(0, 128, 128);
// The pale green behind the thumbnail and the read-only edits.
constexpr TColor ThumbnailColor = RGBColor(209, 243, 139);

// Gives the widget its name, by which tests find it.
template <typename T>
T* Named(T* widget, const char* name) {
    widget->setObjectName(name);
    return widget;
}

// Teal 宋体, the look of the page buttons and the page's guiding texts.
template <typename T>
T* Guide(T* widget) {
    widget->setFont(DialogFont());
    SetTextColor(widget, Teal);
    if constexpr (std::is_same_v<T, QLabel>) {
        widget->adjustSize();
    }
    return widget;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, const QRect& at);
// A 23 × 22 button showing a 16 × 16 glyph, with hint as its tooltip.
QToolButton* MakeGlyphButton(QWidget* parent,
                             const char* name,
                             const QPixmap& glyph,
                             const QString& hint,
                             int left,
                             int top);
// An edit that shows a file's name on the thumbnail's green; only clicks give it focus.
QLineEdit* MakeReadOnlyEdit(QWidget* parent, const char* name, const QRect& at);
