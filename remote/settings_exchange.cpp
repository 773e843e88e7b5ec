#include "remote/settings_exchange.h"

#include <QSet>

#include "exchange/wire/fields.h"
#include "jex/convert.h"
#include "remote/field_table.h"

namespace jexremote {

namespace {

using kdrsm::wire::UpdateForm;

// One update field in the stored form; nothing when it is not acceptable.
std::optional<QString> storedValue(int index, const QString& field) {
    switch (kdrsm::wire::kWireFields[index].update) {
        case UpdateForm::Encoded:
            return decodeText(field);
        case UpdateForm::ListIndex:
        case UpdateForm::ListIndexPlus1:
        case UpdateForm::Check:
        case UpdateForm::InvertedCheck: {
            bool ok = false;
            const int value = field.toInt(&ok);
            const FieldRule& rule = kFieldRules[index];
            if (!ok || value < rule.min || value > rule.max) return std::nullopt;
            return QString::number(value);
        }
        case UpdateForm::TextOrDefault:
        case UpdateForm::Text:
            if (!jex::isNumeric(field)) return std::nullopt;
            return field;
        case UpdateForm::NotSent:
            break;
    }
    return std::nullopt;
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
    QList<kdrsm::wire::WeaponEntry> weapons;
    for (const Weapon& weapon : settings.weapons)
        weapons.append({encodeText(weapon.name), weapon.selected});
    return kdrsm::wire::joinSettingsReply(fields, settings.roles, weapons, settings.autoLoad);
}

std::optional<ServerSettings> applyUpdate(const ServerSettings& current, const QString& body) {
    const auto update = kdrsm::wire::parseUpdateBody(body);
    if (!update || update->fields.size() != kdrsm::wire::kUpdateFieldCount) return std::nullopt;

    ServerSettings next = current;
    for (int i = 0; i < kdrsm::wire::kUpdateFieldCount; ++i) {
        const auto value = storedValue(i, update->fields[i]);
        if (!value) return std::nullopt;
        next.fields[i] = *value;
    }

    QSet<QString> restricted;
    for (const QString& encoded : update->encodedWeapons) {
        const auto name = decodeText(encoded);
        if (!name) return std::nullopt;
        restricted.insert(*name);
    }
    QSet<QString> known;
    for (Weapon& weapon : next.weapons) {
        weapon.selected = restricted.contains(weapon.name);
        known.insert(weapon.name);
    }
    if (!known.contains(restricted)) return std::nullopt;  // a weapon this server lacks

    for (int slot = 0; slot < 4; ++slot) {
        const QString& text = update->roleSlots[slot];
        if (!text.isEmpty() && text != kRoleNames[slot]) return std::nullopt;
        next.roles[slot] = !text.isEmpty();
    }

    bool ok = false;
    const int autoLoad = update->autoLoad.toInt(&ok);
    if (!ok || autoLoad < 0 || autoLoad > 2) return std::nullopt;
    next.autoLoad = autoLoad == 1;
    return next;
}

}  // namespace jexremote
