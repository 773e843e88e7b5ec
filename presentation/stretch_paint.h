#pragma once
// The painting hook of the tab control: within each paint event the control
// paints its own face (background, then its normal painting) into the
// window's off-screen buffer, which is then combined twice with the picture
// box's surface (first pass (NOT source) OR destination with the system
// button-face colour, second pass source AND destination with the picture
// box's own colour); only the update region reaches the screen. White areas
// thus take the panel colour and black stays black.

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QWidget>

namespace kdrsm {

class PictureBox;

// Hooks `tabControl` (and its tab bar). While hooked, the hooked widgets
// carry the dynamic properties "lpPROC" and "PctOBJ".
void InstallStretchPaint(QWidget* tabControl, PictureBox* picture);

// Removes the hook and the two properties.
void RemoveStretchPaint(QWidget* tabControl);

// The two passes over what `painter` has painted in `target`: the picture
// box's surface, refilled with `buttonFace`, is stretched over it with
// (NOT source) OR destination; then, back in the picture box's own colour,
// with source AND destination. The picture box keeps its own colour.
void stretchPasses(QPainter& painter, const QRect& target, PictureBox& picture,
                   const QColor& buttonFace);

// The two passes over an image a control painted of itself.
QImage combineWithPicture(QImage painted, PictureBox& picture, const QColor& buttonFace);

}  // namespace kdrsm
