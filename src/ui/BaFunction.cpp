#include "ui/BaFunction.h"

#include <QColorDialog>
#include <QWidget>

#include "ui/DialogParts.h"

TColor PickColor(TColor initial, QWidget* parent) {
    QColorDialog dialog(QColor(ColorRed(initial), ColorGreen(initial), ColorBlue(initial)), parent);
    if (dialog.exec() != QDialog::Accepted) {
        return -1;
    }
    const QColor chosen = dialog.selectedColor();
    return RGBColor(chosen.red(), chosen.green(), chosen.blue());
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
    const QColor c = panel->palette().color(QPalette::Window);
    return RGBColor(c.red(), c.green(), c.blue());
}

void SetPanelColor(QWidget* panel, TColor color) {
    SetBackground(panel, color);
}
