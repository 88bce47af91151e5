#include "ui/uShowOptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "ui/DialogParts.h"

TfrmShowOptions::TfrmShowOptions(QWidget* parent) : QDialog(parent) {
    setObjectName("frmShowOptions");
    setWindowTitle(QStringLiteral("更多选项"));
    setFont(DialogFont());
    setFixedSize(400, 206);

    QFrame* panel = MakeFramingPanel(this, QRect(8, 8, 384, 152));
    chkDates = new QCheckBox(QStringLiteral("显示拍摄日期"), panel);
    chkDates->setObjectName("chkDates");
    chkDates->setGeometry(10, 10, 150, 20);
    auto* cornerLabel = new QLabel(QStringLiteral("位置"), panel);
    cornerLabel->setGeometry(170, 12, 40, 16);
    // In the order of the corners' numbers, as the caption dialog lists its places.
    cboDateCorner = new QComboBox(panel);
    cboDateCorner->setObjectName("cboDateCorner");
    cboDateCorner->addItems({QStringLiteral("左上角"),
                             QStringLiteral("顶部中央"),
                             QStringLiteral("右上角"),
                             QStringLiteral("左下角"),
                             QStringLiteral("底部中央"),
                             QStringLiteral("右下角")});
    cboDateCorner->setGeometry(210, 9, 110, 22);
    auto* datesNote = new QLabel(QStringLiteral("只用于没有文字的图片"), panel);
    datesNote->setGeometry(30, 34, 300, 16);

    chkEachScreen = new QCheckBox(QStringLiteral("每个屏幕显示不同的图片"), panel);
    chkEachScreen->setObjectName("chkEachScreen");
    chkEachScreen->setGeometry(10, 62, 300, 20);

    chkShrink = new QCheckBox(QStringLiteral("缩小大图片"), panel);
    chkShrink->setObjectName("chkShrink");
    chkShrink->setGeometry(10, 94, 300, 20);
    auto* shrinkNote =
        new QLabel(QStringLiteral("大于 3840×2160 的图片在创建时重新压缩，文件更小"), panel);
    shrinkNote->setGeometry(30, 118, 350, 16);

    btnOK = MakeOkButton(this, QRect(228, 170, 75, 25));
    btnCancel = MakeCancelButton(this, QRect(316, 170, 75, 25));
    connect(chkDates, &QCheckBox::toggled, this, &TfrmShowOptions::chkDatesClick);
}

bool TfrmShowOptions::EditExtras(const TShowExtras& extras) {
    chkDates->setChecked(extras.ShowDates);
    cboDateCorner->setCurrentIndex(static_cast<int>(extras.DateCorner));
    chkEachScreen->setChecked(extras.EachScreenDifferent);
    chkShrink->setChecked(extras.ShrinkPictures);
    chkDatesClick();
    return exec() == QDialog::Accepted;
}

void TfrmShowOptions::WriteExtras(TShowExtras& extras) const {
    extras.ShowDates = chkDates->isChecked();
    extras.DateCorner = static_cast<TTextPosition>(cboDateCorner->currentIndex());
    extras.EachScreenDifferent = chkEachScreen->isChecked();
    extras.ShrinkPictures = chkShrink->isChecked();
}

void TfrmShowOptions::chkDatesClick() {
    cboDateCorner->setEnabled(chkDates->isChecked());
}
