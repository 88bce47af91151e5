#include "ui/WizardLook.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include "toolkit/QtColor.h"
#include "ui/BaFunction.h"
#include "ui/DialogParts.h"

QFont WindowFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setPixelSize(12);
    return font;
}

void SetTextColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::ButtonText, color);
    palette.setColor(QPalette::Text, color);
    widget->setPalette(palette);
}

QFrame* MakeLoweredFrame(QWidget* parent, int left, int top, int width, int height) {
    auto* frame = new QFrame(parent);
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    frame->setLineWidth(1);
    frame->setGeometry(left - 1, top - 1, width + 2, height + 2);
    return frame;
}

QLabel* MakeCaptionPanel(QWidget* parent, const QString& text, int left, int top) {
    auto* caption = new QLabel(text, parent);
    caption->setFrameStyle(QFrame::Panel | QFrame::Raised);
    caption->setContentsMargins(4, 0, 4, 0);
    SetPanelColor(caption, FramingColor);
    caption->adjustSize();
    caption->move(left, top);
    return caption;
}

QLabel* MakeLabel(QWidget* parent, const QString& text, int left, int top) {
    auto* label = new QLabel(text, parent);
    label->adjustSize();
    label->move(left, top);
    return label;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, const QRect& at) {
    auto* button = Named(new QPushButton(text, parent), name);
    button->setGeometry(at);
    return button;
}

QToolButton* MakeGlyphButton(QWidget* parent,
                             const char* name,
                             const QPixmap& glyph,
                             const QString& hint,
                             int left,
                             int top) {
    auto* button = Named(new QToolButton(parent), name);
    button->setIcon(glyph);
    button->setIconSize(QSize(16, 16));
    button->setToolTip(hint);
    button->setGeometry(left, top, 23, 22);
    return button;
}

QLineEdit* MakeReadOnlyEdit(QWidget* parent, const char* name, const QRect& at) {
    auto* edit = Named(new QLineEdit(parent), name);
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::ClickFocus);
    edit->setGeometry(at);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, ToQColor(ThumbnailColor));
    edit->setPalette(palette);
    return edit;
}
