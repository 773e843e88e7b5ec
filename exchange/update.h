#pragma once
// The Update action: corrects the form's values, builds the settings body and
// sends it as "SetSettingsRem".

namespace kdrsm {
class frmrcKDRSM;

// Runs the update after the Update button's release (the face change is the
// caller's). Never raises: a failure is reported to the operator.
void updateSettings(frmrcKDRSM& form);
}  // namespace kdrsm
