#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// A pair of arrow buttons that steps a whole number within Min..Max and shows it in a buddy
// edit; a whole number typed into the buddy moves the position too, kept within the range.
class TUpDown : public QWidget {
    Q_OBJECT

public:
    TUpDown(int min, int max, int position, QWidget* parent = nullptr);

    // The edit that shows the position; nullptr for none.
    void SetBuddy(QLineEdit* buddy);
    int Position() const { return FPosition; }
    // Moves to position, kept within the range, and shows it in the buddy.
    void SetPosition(int position);

    QToolButton* UpButton() const { return FUp; }
    QToolButton* DownButton() const { return FDown; }

private:
    void BuddyEdited(const QString& text);

    int FMin;
    int FMax;
    int FPosition;
    QLineEdit* FBuddy = nullptr;
    QToolButton* FUp;
    QToolButton* FDown;
};
