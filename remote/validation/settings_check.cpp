#include "remote/validation/settings_check.h"

#include <QSet>

#include "exchange/model/setting_names.h"
#include "remote/validation/field_rules.h"

namespace jexremote {

namespace {

std::optional<Fault> listFault(const QString& setting, const QList<Restriction>& entries) {
    QSet<QString> seen;
    for (const Restriction& entry : entries) {
        const QString reason = restrictionNameFault(entry.name);
        if (!reason.isEmpty()) return Fault{-1, setting, reason};
        if (seen.contains(entry.name)) return Fault{-1, setting, QStringLiteral("a name twice")};
        seen.insert(entry.name);
    }
    return std::nullopt;
}

}  // namespace

QString restrictionNameFault(const QString& name) {
    if (name.isEmpty()) return QStringLiteral("an empty name");
    if (name.size() > kMaxRestrictionName)
        return QStringLiteral("a name longer than %1 characters").arg(kMaxRestrictionName);
    if (name.trimmed() != name) return QStringLiteral("a name with blanks at an end");
    if (name.contains(u'=') || name.startsWith(u'[') || name.startsWith(u';') ||
        name.startsWith(u'#'))
        return QStringLiteral("a name with =, or starting with [ ; or #");
    for (const QChar c : name)
        if (c.category() == QChar::Other_Control) return QStringLiteral("a control character");
    return {};
}

std::optional<Fault> checkSettings(const ServerSettings& settings) {
    for (int i = 0; i < kdrsm::wire::kSettingCount; ++i) {
        const QString reason = fieldFault(i, settings.fields[i]);
        if (!reason.isEmpty()) return Fault{i, kdrsm::model::settingKey(i), reason};
    }
    const QString roles = QStringLiteral("Roles");
    if (settings.roles.size() != kRoleCount)
        return Fault{-1, roles, QStringLiteral("not exactly %1 roles").arg(kRoleCount)};
    if (auto fault = listFault(roles, settings.roles)) return fault;
    const QString weapons = QStringLiteral("Weapons");
    if (settings.weapons.size() > kMaxWeapons)
        return Fault{-1, weapons, QStringLiteral("more than %1 weapons").arg(kMaxWeapons)};
    return listFault(weapons, settings.weapons);
}

}  // namespace jexremote
