#pragma once
// Where the panel's message boxes go. Normally nowhere but the screen: a
// real modal QMessageBox. A harness that must never wait for an operator
// (the fuzz targets) installs a receiver of its own instead.

#include <QString>

#include <functional>

namespace kdrsm {

// Receives what a box would show: its title and its exact text.
using MessageBoxService = std::function<void(const QString& title, const QString& text)>;

// Installs `service` for this thread; an empty one restores the real boxes.
// Returns the service that was installed before.
MessageBoxService setMessageBoxService(MessageBoxService service);

// The installed service, empty when boxes are shown for real.
const MessageBoxService& messageBoxService();

}  // namespace kdrsm
