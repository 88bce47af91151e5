#include "ui/DialogParts.h"

#include <QDialog>
#include <QFont>
#include <QFrame>
#include <QPushButton>

#include "toolkit/QtColor.h"
#include "toolkit/QtFont.h"

QFont DialogFont() {
    // 9 points are 12 pixels at 96 dots per inch.
    return ToQFont(TFont{"宋体", 9, 0, clBlack});
}

void SetBackground(QWidget* widget, TColor color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, ToQColor(color));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QFrame* MakeFramingPanel(QWidget* parent, const QRect& geometry) {
    auto* panel = new QFrame(parent);
    // A sunken box is drawn as a lowered line around a raised one.
    panel->setFrameStyle(QFrame::Box | QFrame::Sunken);
    panel->setLineWidth(1);
    panel->setMidLineWidth(0);
    panel->setGeometry(geometry);
    SetBackground(panel, FramingColor);
    return panel;
}

QPushButton* MakeOkButton(QDialog* dialog, const QRect& geometry, bool accepts) {
    auto* button = new QPushButton(QStringLiteral("确定(&O)"), dialog);
    button->setObjectName("btnOK");
    button->setGeometry(geometry);
    button->setDefault(true);
    if (accepts) {
        QObject::connect(button, &QPushButton::clicked, dialog, &QDialog::accept);
    }
    return button;
}

QPushButton* MakeCancelButton(QDialog* dialog, const QRect& geometry) {
    auto* button = new QPushButton(QStringLiteral("取消(&C)"), dialog);
    button->setObjectName("BitBtn2");
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    QObject::connect(button, &QPushButton::clicked, dialog, &QDialog::reject);
    return button;
}
