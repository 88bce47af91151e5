#pragma once

#include <QDialog>

#include "settings/SaverSettings.h"
#include "ui/GbkWarning.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The dialog that switches the title screen on and fills its description and three lines.
class TfrmDescription : public QDialog {
    Q_OBJECT

public:
    explicit TfrmDescription(QWidget* parent = nullptr);

    // Shows the block modally and returns whether the user confirmed. The block itself is left
    // alone.
    bool EditDescription(const TSaverDescription& description);
    // Writes the controls into the block in field order, each text cut to its field.
    void WriteDescription(TSaverDescription& description) const;

protected:
    // OK: refused once while the texts hold characters that GBK cannot store.
    void accept() override;

private:
    QCheckBox* chkExists;
    QPlainTextEdit* Memo;
    QLineEdit* edtA;
    QLineEdit* edtB;
    QLineEdit* edtC;
    QPushButton* btnOK;
    QPushButton* BitBtn2;
    TGbkWarning FGbk;
};
