#pragma once

#include <QPixmap>

// The 16 × 16 glyphs of the wizard's picture buttons, drawn on a transparent ground.
QPixmap OpenFolderGlyph();
QPixmap PlayGlyph();
QPixmap StopGlyph();
QPixmap EraserGlyph();

// The program's icon: a framed landscape on a blue ground, size × size pixels.
QPixmap KavroIcon(int size);
