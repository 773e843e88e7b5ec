#pragma once
// Image buttons: a face image (QLabel showing butup.gif / butdown.gif, scaled
// to its size) with a transparent caption label laid over it. Geometry
// arguments are twips relative to the container.

#include <QLabel>
#include <QString>
#include <QWidget>

namespace kdrsm {

// Creates the face image `name` on `form`, inside `container` when given.
// Returns nullptr, creating nothing, when either face file is missing.
// Runs on the error path "CreateButton" (error 76 skipped).
QLabel* CreateButton(QWidget* form, const QString& name, QWidget* container, qint32 left,
                     qint32 top, qint32 width, qint32 height, bool enabled, bool visible);

// Creates the caption label `name` over the image `name` + "Img", which must
// exist. Font size below 1 means 8 points. Runs on the error path
// "CreateButtonTxt" (error 76 skipped).
QLabel* CreateButtonTxt(QWidget* form, const QString& name, QWidget* container,
                        const QString& caption, qint32 fontSize, bool enabled, bool visible);

// Shows the pressed face ("Down", exactly) or the released one (any other
// text) and moves the caption accordingly. No error handling of its own.
void SetButtonState(QWidget* form, const QString& imageName, const QString& state);

// The two face files under the host root.
QString buttonUpFace();
QString buttonDownFace();

}  // namespace kdrsm
