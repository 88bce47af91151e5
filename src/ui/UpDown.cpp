#include "ui/UpDown.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

TUpDown::TUpDown(int min, int max, int position, QWidget* parent)
    : QWidget(parent)
    , FMin(min)
    , FMax(max)
    , FPosition(std::clamp(position, min, max))
    , FUp(new QToolButton(this))
    , FDown(new QToolButton(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton* button : {FUp, FDown}) {
        button->setArrowType(button == FUp ? Qt::UpArrow : Qt::DownArrow);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        layout->addWidget(button);
    }
    // No wrapping: the ends of the range stay where they are.
    connect(FUp, &QToolButton::clicked, this, [this] { SetPosition(FPosition + 1); });
    connect(FDown, &QToolButton::clicked, this, [this] { SetPosition(FPosition - 1); });
}

void TUpDown::SetBuddy(QLineEdit* buddy) {
    FBuddy = buddy;
    if (FBuddy != nullptr) {
        connect(FBuddy, &QLineEdit::textEdited, this, &TUpDown::BuddyEdited);
        connect(FBuddy, &QLineEdit::editingFinished, this, [this] { SetPosition(FPosition); });
        FBuddy->setText(QString::number(FPosition));
    }
}

void TUpDown::SetPosition(int position) {
    FPosition = std::clamp(position, FMin, FMax);
    if (FBuddy != nullptr && FBuddy->text() != QString::number(FPosition)) {
        FBuddy->setText(QString::number(FPosition));
    }
}

void TUpDown::BuddyEdited(const QString& text) {
    // The text stays as typed while the user edits; leaving the edit shows the position.
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok);
    if (ok) {
        FPosition = static_cast<int>(std::clamp<qlonglong>(value, FMin, FMax));
    }
}
