#pragma once
// One setting of a record put back: the server's current settings with only
// that setting (a field, one role's or one weapon's restriction, the
// auto-load flag) as the record says it was before. The result goes to the
// server as an ordinary update based on the current version, so the remote
// side's rules, privileges and merge judge it as any other.

#include "exchange/model/server_settings.h"
#include "host/history/history_rows.h"

namespace jexhost::history {

// A fault when the setting is not one an update carries, or the role or
// weapon is no longer the server's.
kdrsm::model::Read<kdrsm::model::ServerSettings> withPutBack(kdrsm::model::ServerSettings current,
                                                             const PutBack& putBack);

}  // namespace jexhost::history
