#pragma once

#include <QDialog>

#include "settings/ShowExtras.h"

class QCheckBox;
class QComboBox;
class QPushButton;

// The dialog of the options page's "更多选项...": the date a photo was taken and its corner, a
// different picture on each screen, smaller pictures in the file.
class TfrmShowOptions : public QDialog {
    Q_OBJECT

public:
    explicit TfrmShowOptions(QWidget* parent = nullptr);

    // Shows the choices modally and returns whether the user confirmed; extras are left alone.
    bool EditExtras(const TShowExtras& extras);
    // Writes the dialog's four choices into extras; its other fields stay as they are.
    void WriteExtras(TShowExtras& extras) const;

private:
    void chkDatesClick();

    QCheckBox* chkDates;
    QComboBox* cboDateCorner;
    QCheckBox* chkEachScreen;
    QCheckBox* chkShrink;
    QPushButton* btnOK;
    QPushButton* btnCancel;
};
