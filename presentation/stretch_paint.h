#pragma once
// The painting hook of the tab control: it paints the control off-screen,
// combines that image twice with the picture box's surface (first pass
// (NOT source) OR destination with the system button-face colour, second
// pass source AND destination with the picture box's own colour) and copies
// only the update rectangle to the screen. White areas thus take the panel
// colour and black stays black.

#include <QWidget>

namespace kdrsm {

class PictureBox;

// Hooks `tabControl` (and its tab bar). While hooked, the hooked widgets
// carry the dynamic properties "lpPROC" and "PctOBJ".
void InstallStretchPaint(QWidget* tabControl, PictureBox* picture);

// Removes the hook and the two properties.
void RemoveStretchPaint(QWidget* tabControl);

}  // namespace kdrsm
