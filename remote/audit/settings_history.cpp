#include "remote/audit/settings_history.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <variant>

#include "remote/audit/audit_log.h"
#include "remote/audit/settings_changes.h"
#include "remote/store/server_store.h"

namespace jexremote {

namespace {

const QString kProfile = QStringLiteral("profile");
const QString kVersion = QStringLiteral("version");
const QString kUndone = QStringLiteral("undone");

QString nowUtc() {
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
}

bool isOf(const QJsonObject& record, int profile) {
    return record.value(kProfile).toInteger(-1) == profile;
}

}  // namespace

SettingsHistory::SettingsHistory(ServerStore& store, const QString& stateFolder, AuditLimits limits)
    : store_(store), audit_(stateFolder, limits), versions_(stateFolder) {}

bool SettingsHistory::finishStaged(int profile, QString* error) {
    const QList<qint64> staged = versions_.staged(profile);
    if (staged.isEmpty()) return true;
    const QList<QJsonObject> records = audit_.records();
    for (const qint64 version : staged) {
        // The last record of this version decides: made, or undone.
        bool made = false;
        for (const QJsonObject& record : records)
            if (isOf(record, profile) && record.value(kVersion).toInteger(-1) == version)
                made = !record.value(kUndone).toBool();
        const auto loaded = versions_.loadStaged(profile, version);
        if (!made || !std::holds_alternative<StoredVersion>(loaded)) {
            qCWarning(lcRemote).noquote()
                << "profile" << profile << ": dropped version" << version
                << "of an update that a stop interrupted before it was made";
            versions_.discard(profile, version);
            continue;
        }
        if (!store_.store(profile, std::get<StoredVersion>(loaded).settings, error) ||
            !versions_.keep(profile, version, error))
            return false;
        qCInfo(lcRemote).noquote() << "profile" << profile << ": finished version" << version
                                   << "of an update that a stop interrupted";
    }
    return true;
}

bool SettingsHistory::open(QString* error) {
    for (const int profile : store_.profiles()) {
        if (!finishStaged(profile, error)) return false;
        const ServerSettings current = *store_.settings(profile);
        const QList<VersionInfo> kept = versions_.list(profile);
        if (!kept.isEmpty()) {
            const auto newest = versions_.load(profile, kept.first().version);
            if (const auto* version = std::get_if<StoredVersion>(&newest);
                version && version->settings == current)
                continue;
        }
        const VersionInfo info{versions_.nextVersion(profile), nowUtc(), kStateFileOperator};
        if (!versions_.stage(profile, info, current, error) ||
            !versions_.keep(profile, info.version, error))
            return false;
    }
    return true;
}

std::optional<qint64> SettingsHistory::store(int profile, const ServerSettings& before,
                                             const ServerSettings& after,
                                             const ChangeOrigin& origin, QString* error) {
    const VersionInfo info{versions_.nextVersion(profile), nowUtc(), origin.operatorName};
    if (!versions_.stage(profile, info, after, error)) return std::nullopt;

    QJsonObject record{{QStringLiteral("time"), info.time},
                       {QStringLiteral("operator"), origin.operatorName},
                       {QStringLiteral("tag"), origin.tag.left(kMaxLoggedTag)},
                       {kProfile, profile},
                       {kVersion, info.version},
                       {QStringLiteral("changes"), settingsChanges(before, after)}};
    if (origin.revertOf) record.insert(QStringLiteral("revertOf"), *origin.revertOf);
    if (!audit_.append(record, error)) {
        versions_.discard(profile, info.version);
        return std::nullopt;
    }

    if (!store_.store(profile, after, error)) {
        QString undoError;
        const QJsonObject undone{{QStringLiteral("time"), nowUtc()},
                                 {QStringLiteral("operator"), origin.operatorName},
                                 {kProfile, profile},
                                 {kVersion, info.version},
                                 {kUndone, true},
                                 {QStringLiteral("reason"), QStringLiteral("not stored")}};
        if (!audit_.append(undone, &undoError))
            qCCritical(lcRemote).noquote() << "profile" << profile << ": version" << info.version
                                           << "was not stored and its record stays:" << undoError;
        versions_.discard(profile, info.version);
        return std::nullopt;
    }

    // The update is made; a version not kept now is kept at the next start.
    QString keepError;
    if (!versions_.keep(profile, info.version, &keepError))
        qCWarning(lcRemote).noquote() << keepError;
    return info.version;
}

jexlink::History SettingsHistory::history(int profile) const {
    const QList<QJsonObject> records = audit_.records();
    QSet<qint64> undone;
    for (const QJsonObject& record : records)
        if (isOf(record, profile) && record.value(kUndone).toBool())
            undone.insert(record.value(kVersion).toInteger(-1));

    jexlink::History history;
    qint64 bytes = 0;
    for (auto it = records.crbegin(); it != records.crend(); ++it) {
        if (!isOf(*it, profile) || undone.contains(it->value(kVersion).toInteger(-1))) continue;
        bytes += QJsonDocument(*it).toJson(QJsonDocument::Compact).size();
        if (history.records.size() >= kMaxHistoryRecords || bytes > kMaxHistoryBytes) break;
        history.records.append(*it);
    }
    for (const VersionInfo& version : versions_.list(profile))
        history.versions.append(QJsonObject{{kVersion, version.version},
                                            {QStringLiteral("time"), version.time},
                                            {QStringLiteral("operator"), version.operatorName}});
    return history;
}

}  // namespace jexremote
