#pragma once

#include <functional>

#include "base/Color.h"

class QWidget;

// Shows Qt's colour dialog with initial preselected; answers the chosen colour, -1 on cancel.
TColor PickColor(TColor initial, QWidget* parent = nullptr);

// Lets the user choose a new colour for a panel through pick (by default PickColor); answers
// whether a colour was chosen.
bool PickPanelColor(QWidget* panel, const std::function<TColor(TColor)>& pick = {});

// The background colour a panel shows, and setting it.
TColor PanelColor(const QWidget* panel);
void SetPanelColor(QWidget* panel, TColor color);
