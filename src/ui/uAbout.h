#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The window that names the program.
class TfrmAbout : public QDialog {
    Q_OBJECT

public:
    explicit TfrmAbout(QWidget* parent = nullptr);

private:
    QLabel* Label1;
    QPushButton* btnExit;
};
