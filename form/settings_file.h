#pragma once
// Save and Load of server-settings files (.ssf).

#include <QString>

namespace kdrsm {
class frmrcKDRSM;

// The settings folder: HostRoot/profiles/<ProfileIndex>/settings.
QString settingsFolder();

// The Save and Load actions, after the button's release. Both run on the
// error path ("cmdSave", "cmdLoad") and never raise.
void saveSettingsFile(frmrcKDRSM& form);
void loadSettingsFile(frmrcKDRSM& form);
}  // namespace kdrsm
