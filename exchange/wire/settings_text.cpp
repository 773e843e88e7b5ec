#include "exchange/wire/settings_text.h"

#include "jex/convert.h"

namespace kdrsm::wire {

SettingsReply splitSettingsReply(const QString& text) {
    const QStringList sections = jex::split(text, kSectionSeparator);
    SettingsReply reply;
    reply.sectionCount = static_cast<int>(sections.size());
    if (sections.size() > 0) reply.fields = jex::split(sections[0], kFieldSeparator);
    if (sections.size() > 1) reply.roles = jex::split(sections[1], kFieldSeparator);
    if (sections.size() > 2) reply.weapons = jex::split(sections[2], kFieldSeparator);
    if (sections.size() > 3) reply.autoLoad = sections[3];
    return reply;
}

QString joinSettingsReply(const QStringList& fields, const std::array<bool, 4>& roles,
                          const QList<WeaponEntry>& weapons, bool autoLoad) {
    QStringList roleFlags;
    for (bool role : roles) roleFlags << (role ? QStringLiteral("True") : QStringLiteral("False"));
    QStringList weaponEntries;
    for (const WeaponEntry& weapon : weapons)
        weaponEntries << weapon.encodedName + u',' + (weapon.selected ? u'1' : u'0');
    return QStringList{fields.join(kFieldSeparator), roleFlags.join(kFieldSeparator),
                       weaponEntries.join(kFieldSeparator),
                       autoLoad ? QStringLiteral("1") : QStringLiteral("0")}
        .join(kSectionSeparator);
}

QString joinUpdateBody(const UpdateBody& body) {
    QStringList slotTexts;
    for (const QString& roleSlot : body.roleSlots) slotTexts << roleSlot;
    return QStringList{body.fields.join(kFieldSeparator), body.encodedWeapons.join(kFieldSeparator),
                       slotTexts.join(kFieldSeparator), body.autoLoad}
        .join(kSectionSeparator);
}

std::optional<UpdateBody> parseUpdateBody(const QString& text) {
    const QStringList sections = text.split(kSectionSeparator);
    if (sections.size() != 4) return std::nullopt;
    UpdateBody body;
    body.fields = sections[0].split(kFieldSeparator);
    if (body.fields.size() != kUpdateFieldCount) return std::nullopt;
    body.encodedWeapons = jex::split(sections[1], kFieldSeparator);
    const QStringList slotTexts = sections[2].split(kFieldSeparator);
    if (slotTexts.size() != 4) return std::nullopt;
    for (int i = 0; i < 4; ++i) body.roleSlots[static_cast<size_t>(i)] = slotTexts[i];
    body.autoLoad = sections[3];
    return body;
}

}  // namespace kdrsm::wire
