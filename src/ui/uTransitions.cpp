#include "ui/uTransitions.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "ui/DialogParts.h"
#include "ui/Messages.h"

namespace {

const char* const BoxCaptions[TransitionCount + MoreTransitionCount] = {
    "左边移出", "右边移出", "上边移出", "下边移出", "左上移出", "左下移出", "右上移出", "右下移出",
    "从左擦除", "从右擦除", "从上擦除", "从下擦除", "图片放大", "图片缩小", "窗口打开", "窗口关闭",
    "随机水平", "随机垂直", "水平遮盖", "垂直遮盖", "淡入淡出", "推入",     "缩放淡入",
};
constexpr int BoxCount = TransitionCount + MoreTransitionCount;

constexpr int Rows = 4;

}  // namespace

TfrmTransitions::TfrmTransitions(QWidget* parent) : QDialog(parent) {
    setObjectName("frmTransitions");
    setWindowTitle(QStringLiteral("过渡效果"));
    setFont(DialogFont());
    setFixedSize(635, 192);

    auto* label = new QLabel(QStringLiteral("选择的过渡效果 ..."), this);
    label->setGeometry(10, 8, 300, 16);
    QFrame* panel = MakeFramingPanel(this, QRect(8, 28, 619, 122));

    // Numbered down each column, then across; created in number order so the tab order follows.
    // Effects 21 to 23 make a row of their own below the twenty.
    for (int k = 0; k < BoxCount; ++k) {
        auto* box = new QCheckBox(QString::fromUtf8(BoxCaptions[k]), panel);
        box->setObjectName(QStringLiteral("CheckBox%1").arg(k + 1));
        if (k < TransitionCount) {
            box->setGeometry(16 + (k / Rows) * 122, 8 + (k % Rows) * 22, 110, 20);
        } else {
            box->setGeometry(16 + (k - TransitionCount) * 122, 8 + Rows * 22, 110, 20);
        }
    }

    btnOK = MakeOkButton(this, QRect(464, 159, 75, 25), false);
    BitBtn2 = MakeCancelButton(this, QRect(552, 159, 75, 25));
    connect(btnOK, &QPushButton::clicked, this, &TfrmTransitions::btnOKClick);
    btnSelectAll = new QPushButton(QStringLiteral("全选"), this);
    btnSelectAll->setObjectName("btnSelectAll");
    btnSelectAll->setGeometry(8, 159, 75, 25);
    btnSelectAll->setAutoDefault(false);
    btnSelectNone = new QPushButton(QStringLiteral("全不选"), this);
    btnSelectNone->setObjectName("btnSelectNone");
    btnSelectNone->setGeometry(90, 159, 75, 25);
    btnSelectNone->setAutoDefault(false);
    connect(btnSelectAll, &QPushButton::clicked, this, &TfrmTransitions::btnSelectAllClick);
    connect(btnSelectNone, &QPushButton::clicked, this, &TfrmTransitions::btnSelectNoneClick);

    FormCreate();
}

void TfrmTransitions::FormCreate() {
    for (int k = 0; k < BoxCount; ++k) {
        FChecks[k] = findChild<QCheckBox*>(QStringLiteral("CheckBox%1").arg(k + 1));
    }
}

bool TfrmTransitions::EditTransitions(const uint8_t (&flags)[TransitionCount]) {
    return EditTransitions(flags, TShowExtras{});
}

bool TfrmTransitions::EditTransitions(const uint8_t (&flags)[TransitionCount],
                                      const TShowExtras& extras) {
    for (int k = 0; k < TransitionCount; ++k) {
        FChecks[k]->setChecked(flags[k] != 0 && !extras.NoClassicTransitions);
    }
    for (int k = 0; k < MoreTransitionCount; ++k) {
        FChecks[TransitionCount + k]->setChecked(extras.MoreTransitions[k]);
    }
    return exec() == QDialog::Accepted;
}

void TfrmTransitions::WriteTransitions(uint8_t (&flags)[TransitionCount]) const {
    for (int k = 0; k < TransitionCount; ++k) {
        flags[k] = FChecks[k]->isChecked() ? 1 : 0;
    }
}

void TfrmTransitions::WriteTransitions(uint8_t (&flags)[TransitionCount],
                                       TShowExtras& extras) const {
    WriteTransitions(flags);
    for (int k = 0; k < MoreTransitionCount; ++k) {
        extras.MoreTransitions[k] = FChecks[TransitionCount + k]->isChecked();
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

void TfrmTransitions::btnSelectAllClick() {
    for (QCheckBox* box : FChecks) {
        box->setChecked(true);
    }
}

void TfrmTransitions::btnSelectNoneClick() {
    for (QCheckBox* box : FChecks) {
        box->setChecked(false);
    }
}

void TfrmTransitions::btnOKClick() {
    if (NoneSelected()) {
        ShowRefusal(this, QStringLiteral("你还没有选定任何的过渡效果呢!"));
        return;
    }
    accept();
}
