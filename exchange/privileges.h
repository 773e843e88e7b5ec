#pragma once
// Privileges: five settings are enabled or disabled by the operator's rights.

#include <QObject>

#include <array>

namespace kdrsm {

struct GuardedSetting {
    const char* privilege;  // key looked up in the host's collection
    const char* control;
};

// The guarded settings, in the order they are applied.
extern const std::array<GuardedSetting, 5> kGuardedSettings;

// SetPrivis: stores the collection and, unless it is empty or the operator is
// a super administrator, enables each guarded control whose privilege value
// is not 0 and disables the others (a missing name disables). Runs on the
// error path "SetPrivis" (error 5 skips one privilege).
void applyPrivileges(QObject* nameCol, bool isSuperAdmin);

}  // namespace kdrsm
