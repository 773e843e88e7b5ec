#include "host/changes/settings_difference.h"

#include "exchange/model/setting_names.h"

namespace jexhost::changes {

namespace model = kdrsm::model;

namespace {

// Weapon rows shown of one difference; the rest are counted.
constexpr int kMaxWeaponRows = 100;

}  // namespace

SettingsDifference compare(const Snapshot& before, const Snapshot& after) {
    SettingsDifference difference;
    for (const Snapshot* side : {&before, &after})
        if (const auto* fault = side->fault()) {
            difference.error = faultText(*fault);
            return difference;
        }
    int weaponRows = 0;
    for (const SettingChange& change : model::differences(*before.masked(), *after.masked())) {
        if (change.key == QLatin1StringView(model::kWeaponsKey) && ++weaponRows > kMaxWeaponRows) {
            ++difference.omittedWeapons;
            continue;
        }
        difference.changes.append(change);
    }
    return difference;
}

QStringList differenceLines(const SettingsDifference& difference) {
    if (!difference.comparable()) return {QStringLiteral("cannot compare: ") + difference.error};
    if (difference.changes.isEmpty()) return {kNothingChanged};
    QStringList lines;
    for (const SettingChange& change : difference.changes) lines << model::changeText(change);
    if (difference.omittedWeapons > 0)
        lines << QStringLiteral("%1: and %2 more")
                     .arg(QString::fromLatin1(model::kWeaponsLabel))
                     .arg(difference.omittedWeapons);
    return lines;
}

QString differenceSummary(const SettingsDifference& difference) {
    if (!difference.comparable() || difference.changes.isEmpty())
        return differenceLines(difference).constFirst();
    const qsizetype count = difference.changes.size() + difference.omittedWeapons;
    return count == 1 ? QStringLiteral("1 change") : QStringLiteral("%1 changes").arg(count);
}

}  // namespace jexhost::changes
