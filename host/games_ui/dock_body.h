#pragma once
// The body of a game dock: its parts one above the other, tight to the edges,
// so that a laptop's screen leaves the output and the lists their room.

#include <QDockWidget>
#include <QVBoxLayout>
#include <QWidget>

namespace jexhost::games_ui {

// Sets a new body on `dock` and gives the layout to fill.
inline QVBoxLayout* setDockBody(QDockWidget* dock) {
    auto* body = new QWidget;
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(2);
    dock->setWidget(body);
    return layout;
}

}  // namespace jexhost::games_ui
