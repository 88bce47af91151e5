#pragma once

#include <QDialog>

#include "base/Font.h"
#include "settings/SaverSettings.h"
#include "ui/GbkWarning.h"

class QComboBox;
class QFontDialog;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The dialog that edits one picture's caption: its text, placement and font.
class TfrmText : public QDialog {
    Q_OBJECT

public:
    explicit TfrmText(QWidget* parent = nullptr);

    // Shows the slot modally and returns whether the user confirmed. The slot itself is left
    // alone.
    bool EditPictureText(const TSaverPictureText& slot);
    // Writes the controls and the chosen font into the slot, the text cut to its field.
    void WritePictureText(TSaverPictureText& slot) const;

    // The font the font dialog holds; it reaches the slot on OK.
    const TFont& ChosenFont() const { return FFont; }

protected:
    // OK: refused once while the texts hold characters that GBK cannot store.
    void accept() override;

private:
    void btnTextFontClick();
    // The colour the font dialog offers, shown on its colour button.
    void ShowFontColor(TColor color);

    QPlainTextEdit* moText;
    QComboBox* cboTextPos;
    QLineEdit* edtTextLeft;
    QLineEdit* edtTextTop;
    QPushButton* btnTextFont;
    QPushButton* btnOK;
    QPushButton* BitBtn2;
    QFontDialog* FontDialog;
    QPushButton* btnFontColor;
    TFont FFont;
    TColor FFontColor = clBlack;
    TGbkWarning FGbk;
};
