#include "exchange/model/settings_merge.h"

#include <QHash>

#include "exchange/model/setting_names.h"
#include "exchange/model/setting_text.h"

namespace kdrsm::model {

namespace {

// Two values of a field the form shows alike are one value.
bool same(int field, const QString& a, const QString& b) {
    if (a == b) return true;
    if (field < 0 || isSecret(field)) return false;
    const QString shown = shownField(field, a);
    return shown == shownField(field, b) && !shown.startsWith(u'(');
}

// One setting's outcome: the value to keep, or nothing for a conflict.
std::optional<QString> merged(int field, const std::optional<QString>& base, const QString& theirs,
                              const QString& yours) {
    if (same(field, yours, theirs)) return theirs;
    if (!base) return std::nullopt;
    if (same(field, yours, *base)) return theirs;
    if (same(field, theirs, *base)) return yours;
    return std::nullopt;
}

void mergeEntries(const char* key, const std::optional<QList<Restriction>>& base,
                  QList<Restriction>& theirs, const QList<Restriction>& yours,
                  QList<MergeConflict>& conflicts) {
    QHash<QString, bool> was;
    if (base)
        for (const Restriction& entry : *base) was.insert(entry.name, entry.restricted);
    QHash<QString, bool> mine;
    for (const Restriction& entry : yours) mine.insert(entry.name, entry.restricted);
    for (Restriction& entry : theirs) {
        const auto own = mine.constFind(entry.name);
        if (own == mine.cend()) continue;
        std::optional<QString> before;
        if (base) before = was.contains(entry.name) ? flagText(was.value(entry.name)) : QString();
        const auto outcome = merged(-1, before, flagText(entry.restricted), flagText(*own));
        if (outcome) {
            entry.restricted = *outcome == u"1";
        } else {
            conflicts.append({QString::fromLatin1(key), -1, entry.name, before,
                              flagText(entry.restricted), flagText(*own)});
        }
    }
}

}  // namespace

MergeResult mergeSettings(const std::optional<ServerSettings>& base, const ServerSettings& theirs,
                          const ServerSettings& yours) {
    MergeResult result;
    result.keptTheirs_ = theirs;
    for (int i = 0; i < kSettingCount; ++i) {
        const auto at = static_cast<size_t>(i);
        std::optional<QString> before;
        if (base) before = base->fields[at];
        const auto outcome = merged(i, before, theirs.fields[at], yours.fields[at]);
        if (outcome)
            result.keptTheirs_.fields[at] = *outcome;
        else
            result.conflicts.append(
                {settingKey(i), i, {}, before, theirs.fields[at], yours.fields[at]});
    }
    std::optional<QList<Restriction>> baseRoles, baseWeapons;
    if (base) baseRoles = base->roles, baseWeapons = base->weapons;
    mergeEntries(kRolesKey, baseRoles, result.keptTheirs_.roles, yours.roles, result.conflicts);
    mergeEntries(kWeaponsKey, baseWeapons, result.keptTheirs_.weapons, yours.weapons, result.conflicts);
    std::optional<QString> baseAutoLoad;
    if (base) baseAutoLoad = flagText(base->autoLoad);
    const auto autoLoad =
        merged(-1, baseAutoLoad, flagText(theirs.autoLoad), flagText(yours.autoLoad));
    if (autoLoad)
        result.keptTheirs_.autoLoad = *autoLoad == u"1";
    else
        result.conflicts.append({QString::fromLatin1(kAutoLoadKey),
                                 -1,
                                 {},
                                 baseAutoLoad,
                                 flagText(theirs.autoLoad),
                                 flagText(yours.autoLoad)});
    if (result.conflicts.isEmpty()) result.merged = result.keptTheirs_;
    return result;
}

ServerSettings MergeResult::settled(MergeSide side) const {
    ServerSettings settings = keptTheirs_;
    if (side == MergeSide::Theirs) return settings;
    const auto takeYours = [](QList<Restriction>& entries, const MergeConflict& conflict) {
        for (Restriction& entry : entries)
            if (entry.name == conflict.entry) entry.restricted = conflict.yours == u"1";
    };
    for (const MergeConflict& conflict : conflicts) {
        if (conflict.field >= 0)
            settings.fields[static_cast<size_t>(conflict.field)] = conflict.yours;
        else if (conflict.key == QLatin1StringView(kRolesKey))
            takeYours(settings.roles, conflict);
        else if (conflict.key == QLatin1StringView(kWeaponsKey))
            takeYours(settings.weapons, conflict);
        else
            settings.autoLoad = conflict.yours == u"1";
    }
    return settings;
}

QString conflictLabel(const MergeConflict& conflict) {
    const QString label = labelOfKey(conflict.key);
    const bool entry = conflict.key == QLatin1StringView(kRolesKey) ||
                       conflict.key == QLatin1StringView(kWeaponsKey);
    return entry ? label + QStringLiteral(": ") + oneLine(conflict.entry, 100) : label;
}

QString shownConflictValue(const MergeConflict& conflict, const std::optional<QString>& value) {
    if (isSecret(conflict.field)) return QStringLiteral("changed");
    if (!value || (conflict.field < 0 && value->isEmpty())) return QStringLiteral("(not kept)");
    if (conflict.key == QLatin1StringView(kAutoLoadKey)) return checkText(*value == u"1" ? 1 : 0);
    if (conflict.field < 0) return restrictionText(*value == u"1");
    return oneLine(shownField(conflict.field, *value));
}

}  // namespace kdrsm::model
