#include "exchange/model/settings_update.h"

#include <QHash>

#include "exchange/model/field_reading.h"
#include "exchange/wire/fields.h"
#include "exchange/wire/settings_text.h"
#include "jex/convert.h"
#include "jex/text64.h"

namespace kdrsm::model {

namespace {

Fault sectionFault(const char* setting, const QString& reason) {
    return Fault{-1, QString::fromLatin1(setting), reason};
}

}  // namespace

QString updateBody(const ServerSettings& settings) {
    wire::UpdateBody body;
    for (int i = 0; i < kUpdateFieldCount; ++i) {
        const QString& value = settings.fields[static_cast<size_t>(i)];
        const bool encoded =
            wire::kSettings[static_cast<size_t>(i)].update == wire::UpdateForm::Encoded;
        body.fields << (!encoded              ? value
                        : jex::isBlank(value) ? QString()
                                              : jex::encodeText64(value));
    }
    for (const Restriction& weapon : settings.weapons) {
        if (!weapon.restricted) continue;
        // Empty names before the first named one leave no leading "|".
        const QString encoded = jex::encodeText64(weapon.name);
        if (!body.encodedWeapons.isEmpty() || !encoded.isEmpty()) body.encodedWeapons << encoded;
    }
    for (int slot = 0; slot < kRoleCount && slot < settings.roles.size(); ++slot) {
        if (!settings.roles[slot].restricted) continue;
        body.roleSlots[static_cast<size_t>(slot)] =
            slot == 0 ? QStringLiteral("CQB") : settings.roles[slot].name;
    }
    body.autoLoad = settings.autoLoad ? QStringLiteral("1") : QStringLiteral("0");
    return wire::joinUpdateBody(body);
}

Read<ServerSettings> settingsOfUpdate(const QString& text, const ServerSettings& base) {
    const auto body = wire::parseUpdateBody(text);
    if (!body)
        return sectionFault("Body",
                            QStringLiteral("not four sections of 33 fields and 4 role slots"));

    ServerSettings next = base;
    for (int i = 0; i < kUpdateFieldCount; ++i) {
        QString value = body->fields[i];
        if (wire::kSettings[static_cast<size_t>(i)].update == wire::UpdateForm::Encoded) {
            auto decoded = decodedField(i, value);
            if (auto* fault = std::get_if<Fault>(&decoded)) return *fault;
            value = std::get<QString>(decoded);
        }
        next.fields[static_cast<size_t>(i)] = value;
    }

    QHash<QString, bool> named;
    QStringList order;
    for (const QString& encoded : body->encodedWeapons) {
        const auto name = jex::decodeText64(encoded);
        if (!name) return sectionFault("Weapons", QStringLiteral("a name not in Base64"));
        if (!named.contains(*name)) order << *name;
        named.insert(*name, false);
    }
    for (Restriction& weapon : next.weapons) {
        const auto found = named.find(weapon.name);
        weapon.restricted = found != named.end();
        if (weapon.restricted) *found = true;
    }
    for (const QString& name : order)
        if (!named.value(name)) next.weapons.append({name, true});

    if (next.roles.size() != kRoleCount) next.roles = gameRoles();
    for (int slot = 0; slot < kRoleCount; ++slot) {
        const QString& slotText = body->roleSlots[static_cast<size_t>(slot)];
        if (!slotText.isEmpty() && slotText != next.roles[slot].name)
            return sectionFault("Roles", QStringLiteral("a slot holding another role"));
        next.roles[slot].restricted = !slotText.isEmpty();
    }

    // The panel sends its auto-load box's value: 0, 1 or 2 (greyed).
    if (body->autoLoad != u"0" && body->autoLoad != u"1" && body->autoLoad != u"2")
        return sectionFault("AutoLoad", QStringLiteral("not a check value"));
    next.autoLoad = body->autoLoad == u"1";
    return next;
}

Read<ServerSettings> settingsOfUpdate(const QString& body) {
    ServerSettings nothingKnown;
    nothingKnown.roles = gameRoles();
    return settingsOfUpdate(body, nothingKnown);
}

}  // namespace kdrsm::model
