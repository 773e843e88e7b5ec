#include "host/changes/settings_difference.h"

#include <QCryptographicHash>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>

#include "exchange/model/setting_names.h"
#include "exchange/model/settings_reply.h"
#include "exchange/model/settings_update.h"

namespace jexhost::changes {

namespace model = kdrsm::model;

namespace {

// Weapon rows shown of one difference; the rest are counted.
constexpr int kMaxWeaponRows = 100;

// A fresh key per process: fingerprints cannot be matched against guesses
// outside it, and none outlives it.
const QByteArray& fingerprintKey() {
    static const QByteArray key = [] {
        QByteArray bytes(32, Qt::Uninitialized);
        QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(bytes.data()),
                                              bytes.size() / 4);
        return bytes;
    }();
    return key;
}

QString fingerprint(const QString& text) {
    return QString::fromLatin1(QMessageAuthenticationCode::hash(text.toUtf8(), fingerprintKey(),
                                                                QCryptographicHash::Sha256)
                                   .toHex());
}

QString reasonOf(const model::Fault& fault) {
    return fault.setting.isEmpty() ? fault.reason
                                   : fault.setting + QStringLiteral(": ") + fault.reason;
}

}  // namespace

Snapshot snapshotOf(model::Read<model::ServerSettings> settings) {
    if (auto* read = std::get_if<model::ServerSettings>(&settings))
        for (int i = 0; i < model::kSettingCount; ++i)
            if (model::isSecret(i))
                read->fields[static_cast<size_t>(i)] =
                    fingerprint(read->fields[static_cast<size_t>(i)]);
    return settings;
}

Snapshot snapshotOfReply(const QString& reply) {
    return snapshotOf(model::settingsOfReply(reply));
}

Snapshot snapshotOfUpdate(const QString& body, const Snapshot& lastFetched) {
    if (const auto* base = std::get_if<model::ServerSettings>(&lastFetched))
        return snapshotOf(model::settingsOfUpdate(body, *base));
    return snapshotOf(model::settingsOfUpdate(body));
}

SettingsDifference compare(const Snapshot& before, const Snapshot& after) {
    SettingsDifference difference;
    for (const Snapshot* side : {&before, &after})
        if (const auto* fault = std::get_if<model::Fault>(side)) {
            difference.error = reasonOf(*fault);
            return difference;
        }
    int weaponRows = 0;
    for (const SettingChange& change : model::differences(std::get<model::ServerSettings>(before),
                                                          std::get<model::ServerSettings>(after))) {
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
