#include "host/history/setting_put_back.h"

#include "exchange/model/setting_names.h"

namespace jexhost::history {

namespace model = kdrsm::model;

model::Read<model::ServerSettings> withPutBack(model::ServerSettings current,
                                               const PutBack& putBack) {
    const auto fault = [&](const QString& reason) {
        return model::Fault{model::fieldOfKey(putBack.key), putBack.key, reason};
    };
    if (putBack.key == QLatin1StringView(model::kAutoLoadKey)) {
        current.autoLoad = putBack.value == u"1";
        return current;
    }
    const bool roles = putBack.key == QLatin1StringView(model::kRolesKey);
    if (roles || putBack.key == QLatin1StringView(model::kWeaponsKey)) {
        for (model::Restriction& entry : roles ? current.roles : current.weapons)
            if (entry.name == putBack.entry) {
                entry.restricted = putBack.value == u"1";
                return current;
            }
        return fault(QStringLiteral("%1 is no longer on the server's list").arg(putBack.entry));
    }
    const int field = model::fieldOfKey(putBack.key);
    if (field < 0 || field >= model::kUpdateFieldCount)
        return fault(QStringLiteral("an update does not carry this setting"));
    current.fields[size_t(field)] = putBack.value;
    return current;
}

}  // namespace jexhost::history
