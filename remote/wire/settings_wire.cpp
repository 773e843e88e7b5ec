#include "remote/wire/settings_wire.h"

#include <QSet>

#include "exchange/wire/fields.h"
#include "remote/validation/field_rules.h"

namespace jexremote {

namespace {

Fault sectionFault(const char* setting, const char* reason) {
    return Fault{-1, QString::fromLatin1(setting), QString::fromLatin1(reason)};
}

}  // namespace

QString encodeText(const QString& text) {
    return QString::fromLatin1(text.toUtf8().toBase64());
}

std::optional<QString> decodeText(const QString& encoded) {
    const auto result =
        QByteArray::fromBase64Encoding(encoded.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!result) return std::nullopt;
    return QString::fromUtf8(*result);
}

QString settingsReplyText(const ServerSettings& settings) {
    QStringList fields;
    for (int i = 0; i < kdrsm::wire::kReplyFieldCount; ++i) {
        const bool encoded = kdrsm::wire::kWireFields[i].reply == kdrsm::wire::ReplyForm::Decoded;
        fields << (encoded ? encodeText(settings.fields[i]) : settings.fields[i]);
    }
    std::array<bool, 4> roles{};
    for (int slot = 0; slot < 4 && slot < settings.roles.size(); ++slot)
        roles[slot] = settings.roles[slot].restricted;
    QList<kdrsm::wire::WeaponEntry> weapons;
    for (const Restriction& weapon : settings.weapons)
        weapons.append({encodeText(weapon.name), weapon.restricted});
    return kdrsm::wire::joinSettingsReply(fields, roles, weapons, settings.autoLoad);
}

std::variant<ServerSettings, Fault> updatedSettings(const ServerSettings& current,
                                                    const QString& body) {
    const auto update = kdrsm::wire::parseUpdateBody(body);
    if (!update) return sectionFault("Body", "not four sections of 33 fields and 4 role slots");

    ServerSettings next = current;
    for (int i = 0; i < kdrsm::wire::kUpdateFieldCount; ++i) {
        const QString& field = update->fields[i];
        if (kdrsm::wire::kWireFields[i].update != kdrsm::wire::UpdateForm::Encoded) {
            next.fields[i] = field;
            continue;
        }
        const auto text = decodeText(field);
        if (!text) return Fault{i, settingName(i), QStringLiteral("not Base64")};
        next.fields[i] = *text;
    }

    QSet<QString> restricted;
    for (const QString& encoded : update->encodedWeapons) {
        const auto name = decodeText(encoded);
        if (!name) return sectionFault("Weapons", "a name not in Base64");
        restricted.insert(*name);
    }
    qsizetype known = 0;
    for (Restriction& weapon : next.weapons) {
        weapon.restricted = restricted.contains(weapon.name);
        known += weapon.restricted ? 1 : 0;
    }
    if (known != restricted.size()) return sectionFault("Weapons", "a weapon this server lacks");

    for (int slot = 0; slot < next.roles.size() && slot < 4; ++slot) {
        const QString& text = update->roleSlots[slot];
        if (!text.isEmpty() && text != next.roles[slot].name)
            return sectionFault("Roles", "a slot holding another role");
        next.roles[slot].restricted = !text.isEmpty();
    }

    // The panel sends its auto-load check box's value: 0, 1 or 2 (greyed).
    const QString& autoLoad = update->autoLoad;
    if (autoLoad != u"0" && autoLoad != u"1" && autoLoad != u"2")
        return sectionFault("AutoLoad", "not a check value");
    next.autoLoad = autoLoad == u"1";

    if (auto fault = checkSettings(next)) return *fault;
    return next;
}

}  // namespace jexremote
