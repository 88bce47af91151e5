#include "ui/BaFunction.h"

#include <QColorDialog>
#include <QWidget>

#include "toolkit/QtColor.h"
#include "ui/DialogParts.h"

TColor PickColor(TColor initial, QWidget* parent) {
    QColorDialog dialog(ToQColor(initial), parent);
    if (dialog.exec() != QDialog::Accepted) {
        return -1;
    }
    return FromQColor(dialog.selectedColor());
}

bool PickPanelColor(QWidget* panel, const std::function<TColor(TColor)>& pick) {
    const TColor chosen = pick ? pick(PanelColor(panel)) : PickColor(PanelColor(panel), panel);
    if (chosen == -1) {
        return false;
    }
    SetPanelColor(panel, chosen);
    return true;
}

TColor PanelColor(const QWidget* panel) {
    return FromQColor(panel->palette().color(QPalette::Window));
}

void SetPanelColor(QWidget* panel, TColor color) {
    SetBackground(panel, color);
}
