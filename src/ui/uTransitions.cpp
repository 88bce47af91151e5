#include "ui/uTransitions.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "ui/DialogParts.h"
#include "ui/Messages.h"

namespace {

const char* const BoxCaptions[TransitionCount] = {
    "左边移出", "右边移出", "上边移出", "下边移出", "左上移出", "左下移出", "右上移出",
    "右下移出", "从左擦除", "从右擦除", "从上擦除", "从下擦除", "图片放大", "图片缩小",
    "窗口打开", "窗口关闭", "随机水平", "随机垂直", "水平遮盖", "垂直遮盖",
};

constexpr int Rows = 4;

}  // namespace

TfrmTransitions::TfrmTransitions(QWidget* parent) : QDialog(parent) {
    setObjectName("frmTransitions");
    setWindowTitle(QStringLiteral("过渡效果"));
    setFont(DialogFont());
    setFixedSize(635, 170);

    auto* label = new QLabel(QStringLiteral("选择的过渡效果 ..."), this);
    label->setGeometry(10, 8, 300, 16);
    QFrame* panel = MakeFramingPanel(this, QRect(8, 28, 619, 100));

    // Numbered down each column, then across; created in number order so the tab order follows.
    for (int k = 0; k < TransitionCount; ++k) {
        auto* box = new QCheckBox(QString::fromUtf8(BoxCaptions[k]), panel);
        box->setObjectName(QStringLiteral("CheckBox%1").arg(k + 1));
        box->setGeometry(16 + (k / Rows) * 122, 8 + (k % Rows) * 22, 110, 20);
    }

    btnOK = MakeOkButton(this, QRect(464, 137, 75, 25), false);
    BitBtn2 = MakeCancelButton(this, QRect(552, 137, 75, 25));
    connect(btnOK, &QPushButton::clicked, this, &TfrmTransitions::btnOKClick);

    FormCreate();
}

void TfrmTransitions::FormCreate() {
    for (int k = 0; k < TransitionCount; ++k) {
        FChecks[k] = findChild<QCheckBox*>(QStringLiteral("CheckBox%1").arg(k + 1));
    }
}

bool TfrmTransitions::EditTransitions(const uint8_t (&flags)[TransitionCount]) {
    for (int k = 0; k < TransitionCount; ++k) {
        FChecks[k]->setChecked(flags[k] != 0);
    }
    return exec() == QDialog::Accepted;
}

void TfrmTransitions::WriteTransitions(uint8_t (&flags)[TransitionCount]) const {
    for (int k = 0; k < TransitionCount; ++k) {
        flags[k] = FChecks[k]->isChecked() ? 1 : 0;
    }
}

bool TfrmTransitions::NoneSelected() const {
    for (const QCheckBox* box : FChecks) {
        if (box->isChecked()) {
            return false;
        }
    }
    return true;
}

void TfrmTransitions::btnOKClick() {
    if (NoneSelected()) {
        ShowRefusal(this, QStringLiteral("你还没有选定任何的过渡效果呢!"));
        return;
    }
    accept();
}
