#include "ui/uText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>

#include "toolkit/QtColor.h"
#include "toolkit/QtFont.h"
#include "ui/BaFunction.h"
#include "ui/DialogParts.h"
#include "ui/MemoText.h"

namespace {

// A whole number as the position edits take it: 0 when the text is not one, the low 16 bits
// otherwise, so -1 is 65535 and 70000 is 4464.
uint16_t PositionFromText(const QString& text) {
    bool ok = false;
    int value = text.toInt(&ok);
    return ok ? static_cast<uint16_t>(static_cast<uint32_t>(value)) : 0;
}

// The group of effect check boxes (strike-out, underline) in Qt's font dialog; nullptr when its
// layout is not the one expected.
QWidget* EffectsGroup(QFontDialog* dialog) {
    for (QGroupBox* group : dialog->findChildren<QGroupBox*>()) {
        if (group->findChild<QCheckBox*>() != nullptr && group->layout() != nullptr) {
            return group;
        }
    }
    return nullptr;
}

// The usual name of a font's style, as font files name it.
QString StyleName(uint8_t style) {
    const bool bold = (style & fsBold) != 0;
    const bool italic = (style & fsItalic) != 0;
    if (bold && italic) {
        return QStringLiteral("Bold Italic");
    }
    if (bold) {
        return QStringLiteral("Bold");
    }
    return italic ? QStringLiteral("Italic") : QStringLiteral("Regular");
}

}  // namespace

TfrmText::TfrmText(QWidget* parent) : QDialog(parent), FFont{"宋体", 9, 0, clBlack} {
    setObjectName("frmText");
    setWindowTitle(QStringLiteral("图片上的文本"));
    setFont(DialogFont());
    resize(330, 150);

    QFrame* panel = MakeFramingPanel(this, QRect(8, 8, 314, 100));

    moText = new QPlainTextEdit(panel);
    moText->setObjectName("moText");
    moText->setGeometry(4, 4, 305, 61);

    cboTextPos = new QComboBox(panel);
    cboTextPos->setObjectName("cboTextPos");
    cboTextPos->setGeometry(4, 72, 100, 20);
    cboTextPos->addItems({QStringLiteral("左上角"),
                          QStringLiteral("顶部中央"),
                          QStringLiteral("右上角"),
                          QStringLiteral("左下角"),
                          QStringLiteral("底部中央"),
                          QStringLiteral("右下角"),
                          QStringLiteral("用户自定义")});

    auto addPositionEdit =
        [panel](const char* labelName, const char* caption, const char* name, int left) {
            auto* label = new QLabel(QString::fromUtf8(caption), panel);
            label->setObjectName(labelName);
            label->setGeometry(left, 72, 14, 20);
            auto* edit = new QLineEdit(QStringLiteral("0"), panel);
            edit->setObjectName(name);
            edit->setGeometry(left + 16, 72, 45, 20);
            return edit;
        };
    edtTextLeft = addPositionEdit("Label7", "左", "edtTextLeft", 112);
    edtTextTop = addPositionEdit("Label6", "上", "edtTextTop", 180);

    btnTextFont = new QPushButton(QStringLiteral("字体"), panel);
    btnTextFont->setObjectName("btnTextFont");
    btnTextFont->setGeometry(249, 70, 60, 24);
    btnTextFont->setAutoDefault(false);

    btnOK = MakeOkButton(this, QRect(160, 116, 75, 25));
    BitBtn2 = MakeCancelButton(this, QRect(247, 116, 75, 25));

    FontDialog = new QFontDialog(this);
    FontDialog->setObjectName("FontDialog");
    // Qt's font dialog has no colour of its own; the caption's colour is chosen beside the
    // effects, as the user knows it from other font dialogs.
    FontDialog->setOption(QFontDialog::DontUseNativeDialog);
    QWidget* effects = EffectsGroup(FontDialog);
    btnFontColor = new QPushButton(QStringLiteral("颜色(&C)..."), effects ? effects : FontDialog);
    btnFontColor->setObjectName("btnFontColor");
    btnFontColor->setAutoDefault(false);
    (effects ? effects->layout() : FontDialog->layout())->addWidget(btnFontColor);
    connect(btnFontColor, &QPushButton::clicked, this, [this] {
        const TColor chosen = PickColor(FFontColor, FontDialog);
        if (chosen != -1) {
            ShowFontColor(chosen);
        }
    });

    connect(btnTextFont, &QPushButton::clicked, this, &TfrmText::btnTextFontClick);
}

bool TfrmText::EditPictureText(const TSaverPictureText& slot) {
    moText->setPlainText(MemoFromField(ReadFieldUtf8(slot.Text)));
    cboTextPos->setCurrentIndex(slot.Position >= 0 && slot.Position <= tpCustom ? slot.Position
                                                                                : -1);
    edtTextLeft->setText(QString::number(slot.Left));
    edtTextTop->setText(QString::number(slot.Top));
    SaverFontToFont(slot.Font, FFont);
    return exec() == QDialog::Accepted;
}

void TfrmText::WritePictureText(TSaverPictureText& slot) const {
    WriteFieldUtf8(slot.Text, FieldFromMemo(moText->toPlainText()));
    slot.Position = cboTextPos->currentIndex();
    slot.Left = PositionFromText(edtTextLeft->text());
    slot.Top = PositionFromText(edtTextTop->text());
    FontToSaverFont(FFont, slot.Font);
}

void TfrmText::ShowFontColor(TColor color) {
    FFontColor = color;
    QPixmap swatch(16, 16);
    swatch.fill(ToQColor(color));
    btnFontColor->setIcon(swatch);
}

void TfrmText::btnTextFontClick() {
    QFont offered = ToQFont(FFont);
    // The dialog looks the style up by name. Unnamed, it asks for a translated name ("Normal"
    // in the user's language), misses the font's own style names and offers the first one,
    // often bold italic.
    offered.setStyleName(StyleName(FFont.Style));
    FontDialog->setCurrentFont(offered);
    ShowFontColor(FFont.Color);
    if (FontDialog->exec() == QDialog::Accepted) {
        FromQFont(FontDialog->selectedFont(), FFont);
        FFont.Color = FFontColor;
    }
}

void TfrmText::accept() {
    if (!FGbk.Warn(this, {moText->toPlainText()})) {
        QDialog::accept();
    }
}
