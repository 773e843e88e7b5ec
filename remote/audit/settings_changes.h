#pragma once
// What one stored update changed, as the audit trail keeps it: one change
// per change of the settings model's difference, in its order (the record's
// form is link/audit_record.h's). A field is kept as stored, a password only
// as changed, a role or weapon by its restriction flags.

#include <QList>

#include "link/audit_record.h"
#include "remote/store/server_settings.h"

namespace jexremote {

QList<jexlink::AuditChange> settingsChanges(const ServerSettings& before,
                                            const ServerSettings& after);

}  // namespace jexremote
