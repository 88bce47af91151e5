#include "ui/uAbout.h"

#include <QLabel>
#include <QPushButton>

#include "toolkit/QtColor.h"
#include "toolkit/QtFont.h"
#include "ui/DialogParts.h"

namespace {

constexpr TColor Navy = RGBColor(0, 0, 128);
constexpr TColor Blue = RGBColor(0, 0, 255);

void SetTextColor(QWidget* widget, TColor color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, ToQColor(color));
    widget->setPalette(palette);
}

}  // namespace

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName("frmAbout");
    setWindowTitle(QStringLiteral("关于 Kavro"));
    // 9 points are 12 pixels, 10 points 13 pixels at 96 dots per inch.
    setFont(ToQFont(TFont{"宋体", 9, fsBold, Navy}));
    SetBackground(this, FramingColor);
    SetTextColor(this, Navy);
    setFixedSize(364, 135);

    Label1 = new QLabel(QStringLiteral("Kavro - 世界上最棒的屏保制作程序"), this);
    Label1->setObjectName("Label1");
    Label1->setFont(ToQFont(TFont{"宋体", 10, fsBold, Blue}));
    SetTextColor(Label1, Blue);
    Label1->setGeometry(16, 24, 332, 20);

    btnExit = new QPushButton(QStringLiteral("退出"), this);
    btnExit->setObjectName("btnExit");
    btnExit->setGeometry(145, 94, 75, 25);
    connect(btnExit, &QPushButton::clicked, this, &QDialog::reject);
}
