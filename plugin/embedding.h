#pragma once
// Showing the settings panel inside a host window and hiding it again.

#include <QVariantList>

namespace kdrsm {

// LoadInterface: stores the profile index and host tag, places the form in
// the host widget `hostWindow` (a winId) at (2, 30) with the available size
// from PDAT (height twips at 2, width twips at 3), sends the settings fetch,
// selects tab 0 and shows the form. Runs on the error path "LoadInterface"
// (error 360 skips one step).
void loadInterface(qint32 index, qint64 hostWindow, const QVariantList& pdat);

// HideInterface: hides the form (creating it hidden if needed).
void hideInterface();

}  // namespace kdrsm
