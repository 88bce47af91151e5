#pragma once

#include <QDialog>

#include "settings/SaverSettings.h"
#include "toolkit/Font.h"
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

    // Shows the slot modally and writes the controls back into it only when the user confirms.
    void EditPictureText(TSaverPictureText& slot);

    // The font the font dialog holds; it reaches the slot on OK.
    const TFont& ChosenFont() const { return FFont; }

protected:
    // OK: refused once while the texts hold characters that GBK cannot store.
    void accept() override;

private:
    void btnTextFontClick();
    // The colour the font dialog offers, shown on its colour button.
    void ShowFontColor(TColor color);
    void WritePictureText(TSaverPictureText& slot) const;

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
