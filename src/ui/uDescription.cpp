#include "ui/uDescription.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/DialogParts.h"
#include "ui/MemoText.h"

namespace {

QLineEdit* AddLine(QWidget* panel, const char* name, const char* caption, int top) {
    auto* label = new QLabel(QString::fromUtf8(caption), panel);
    label->setGeometry(10, top, 110, 21);
    auto* edit = new QLineEdit(panel);
    edit->setObjectName(name);
    edit->setGeometry(126, top, 449, 21);
    return edit;
}

}  // namespace

TfrmDescription::TfrmDescription(QWidget* parent) : QDialog(parent) {
    setObjectName("frmDescription");
    setWindowTitle(QStringLiteral("描述信息"));
    setFont(DialogFont());
    setFixedSize(603, 298);

    QFrame* panel = MakeFramingPanel(this, QRect(8, 8, 587, 244));

    auto* memoLabel = new QLabel(QStringLiteral("屏幕保护描述信息:"), panel);
    memoLabel->setGeometry(10, 8, 300, 16);
    Memo = new QPlainTextEdit(panel);
    Memo->setObjectName("Memo");
    Memo->setGeometry(10, 26, 565, 85);

    auto* adLabel = new QLabel(QStringLiteral("你可以为你的公司或网站做一下广告:"), panel);
    adLabel->setGeometry(10, 122, 400, 16);
    edtA = AddLine(panel, "edtA", "输入你的网址", 146);
    edtB = AddLine(panel, "edtB", "输入你的公司名称", 176);
    edtC = AddLine(panel, "edtC", "输入你的版权信息", 206);

    chkExists = new QCheckBox(QStringLiteral("将上面的信息显示在屏幕保护中"), this);
    chkExists->setObjectName("chkExists");
    chkExists->setGeometry(10, 264, 300, 20);

    btnOK = MakeOkButton(this, QRect(432, 262, 75, 25));
    BitBtn2 = MakeCancelButton(this, QRect(520, 262, 75, 25));
}

bool TfrmDescription::EditDescription(const TSaverDescription& description) {
    chkExists->setChecked(description.ShowDescription != 0);
    Memo->setPlainText(MemoFromField(ReadFieldUtf8(description.DescriptionText)));
    edtA->setText(QString::fromStdString(ReadFieldUtf8(description.WebAddress)));
    edtB->setText(QString::fromStdString(ReadFieldUtf8(description.CompanyName)));
    edtC->setText(QString::fromStdString(ReadFieldUtf8(description.RightsNotice)));
    return exec() == QDialog::Accepted;
}

void TfrmDescription::WriteDescription(TSaverDescription& description) const {
    description.ShowDescription = chkExists->isChecked() ? 1 : 0;
    WriteFieldUtf8(description.DescriptionText, FieldFromMemo(Memo->toPlainText()));
    WriteFieldUtf8(description.WebAddress, edtA->text().toStdString());
    WriteFieldUtf8(description.CompanyName, edtB->text().toStdString());
    WriteFieldUtf8(description.RightsNotice, edtC->text().toStdString());
}

void TfrmDescription::accept() {
    if (!FGbk.Warn(this, {Memo->toPlainText(), edtA->text(), edtB->text(), edtC->text()})) {
        QDialog::accept();
    }
}
