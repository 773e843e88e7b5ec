#include "exchange/model/server_settings.h"

#include "exchange/wire/list_entries.h"

namespace kdrsm::model {

QList<Restriction> gameRoles() {
    QList<Restriction> roles;
    for (const char* role : wire::kRoleEntries) roles.append({QString::fromLatin1(role), false});
    return roles;
}

}  // namespace kdrsm::model
