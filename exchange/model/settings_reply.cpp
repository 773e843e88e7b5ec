#include "exchange/model/settings_reply.h"

#include "exchange/model/field_reading.h"
#include "exchange/wire/fields.h"
#include "exchange/wire/settings_text.h"
#include "jex/convert.h"
#include "jex/text64.h"

namespace kdrsm::model {

namespace {

Fault replyFault(const QString& reason) {
    return Fault{-1, {}, QStringLiteral("the settings reply ") + reason};
}

}  // namespace

QString replyText(const ServerSettings& settings) {
    QStringList fields;
    for (const wire::Setting& field : wire::kSettings) {
        const QString& value = settings.fields[static_cast<size_t>(field.index)];
        fields << (field.reply == wire::ReplyForm::Decoded ? jex::encodeText64(value) : value);
    }
    std::array<bool, kRoleCount> roles{};
    for (int slot = 0; slot < kRoleCount && slot < settings.roles.size(); ++slot)
        roles[static_cast<size_t>(slot)] = settings.roles[slot].restricted;
    QList<wire::WeaponEntry> weapons;
    for (const Restriction& weapon : settings.weapons)
        weapons.append({jex::encodeText64(weapon.name), weapon.restricted});
    return wire::joinSettingsReply(fields, roles, weapons, settings.autoLoad);
}

Read<ServerSettings> settingsOfReply(const QString& text) {
    if (text.size() > kMaxReplyText)
        return replyFault(QStringLiteral("is longer than %1 characters").arg(kMaxReplyText));
    const wire::SettingsReply reply = wire::splitSettingsReply(text);
    if (reply.sectionCount < 4)
        return replyFault(QStringLiteral("has %1 sections, not 4").arg(reply.sectionCount));
    if (reply.fields.size() < kSettingCount)
        return replyFault(QStringLiteral("has %1 fields, not 34").arg(reply.fields.size()));
    if (reply.roles.size() < kRoleCount)
        return replyFault(QStringLiteral("has %1 role flags, not 4").arg(reply.roles.size()));
    if (reply.weapons.size() > kMaxReplyWeapons)
        return replyFault(QStringLiteral("lists more than %1 weapons").arg(kMaxReplyWeapons));

    ServerSettings settings;
    for (int i = 0; i < kSettingCount; ++i) {
        QString& value = settings.fields[static_cast<size_t>(i)];
        value = reply.fields[i];
        if (wire::kSettings[i].reply == wire::ReplyForm::Decoded) {
            auto text = decodedField(i, value);
            if (auto* fault = std::get_if<Fault>(&text)) return *fault;
            value = std::get<QString>(text);
        } else if (auto fault = numberFault(i, value)) {
            return *fault;
        }
    }
    settings.roles = gameRoles();
    for (int i = 0; i < kRoleCount; ++i) settings.roles[i].restricted = reply.roles[i] == u"True";
    for (qsizetype i = 0; i < reply.weapons.size(); ++i) {
        const QString& entry = reply.weapons[i];
        if (jex::trimBlanks(entry).isEmpty()) continue;
        const QStringList pieces = jex::split(entry, QStringLiteral(","));
        if (pieces.size() < 2)
            return Fault{-1, QStringLiteral("Weapons"),
                         QStringLiteral("weapon entry %1 has no comma").arg(i)};
        const auto name = jex::decodeText64(pieces[0]);
        if (!name)
            return Fault{-1, QStringLiteral("Weapons"),
                         QStringLiteral("weapon entry %1 is not Base64").arg(i)};
        settings.weapons.append({*name, pieces[1] == u"1"});
    }
    settings.autoLoad = reply.autoLoad == u"1";
    return settings;
}

}  // namespace kdrsm::model
