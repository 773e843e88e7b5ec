#include "remote/audit/settings_history.h"

#include <QDateTime>
#include <QJsonObject>
#include <QSet>

#include <algorithm>
#include <variant>

#include "remote/audit/audit_log.h"
#include "remote/audit/settings_changes.h"
#include "remote/store/server_store.h"
#include "remote/store/state_file.h"

namespace jexremote {

namespace {

using jexlink::AuditRecord;
using jexlink::readAuditRecord;

// The version a record names; -1 when it names none.
qint64 versionOf(const AuditRecord& record) {
    return record.version.value_or(-1);
}

// A few records beyond one answer: records of updates that were undone are
// left out of answers.
constexpr int kUndoneSlack = 16;

// A game action's line is cut to this many characters in its record.
constexpr int kMaxActionText = 1024;

// The versions whose update could not be stored after its record was written.
template <typename Windows>
QSet<qint64> undoneVersions(const Windows& windows) {
    QSet<qint64> undone;
    for (const auto& window : windows)
        for (const auto& indexed : window.records) {
            const AuditRecord record = readAuditRecord(indexed.record);
            if (record.undone) undone.insert(versionOf(record));
        }
    return undone;
}

}  // namespace

SettingsHistory::SettingsHistory(ServerStore& store, const QString& stateFolder, AuditLimits limits,
                                 int keepVersionDays)
    : store_(store),
      clock_(limits.clock),
      audit_(stateFolder, limits),
      versions_(stateFolder, keepVersionDays, limits.clock) {}

QString SettingsHistory::now() const {
    return utcNow(clock_).toString(Qt::ISODateWithMs);
}

bool SettingsHistory::finishStaged(int profile, QString* error) {
    const QList<qint64> staged = versions_.staged(profile);
    if (staged.isEmpty()) return true;
    for (const qint64 version : staged) {
        // The last record of this version decides: made, or undone. A staged
        // version is its server's newest: its records are in the index.
        bool made = false;
        qint64 lastSeq = -1;
        for (const Window& window : index_.value(profile))
            for (const Indexed& indexed : window.records)
                if (const AuditRecord record = readAuditRecord(indexed.record);
                    versionOf(record) == version && indexed.seq > lastSeq) {
                    lastSeq = indexed.seq;
                    made = !record.undone;
                }
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

void SettingsHistory::remember(const QJsonObject& object, qint64 bytes) {
    const AuditRecord record = readAuditRecord(object);
    if (!record.profile) return;
    // An id in the trail stays used, even one whose update was undone.
    versions_.noteUsed(*record.profile, versionOf(record));
    Window& window = index_[*record.profile][record.operatorName];
    window.records.append({nextSeq_++, bytes, object});
    window.bytes += bytes;
    while (window.records.size() > kMaxHistoryRecords + kUndoneSlack ||
           (window.records.size() > 1 &&
            window.bytes - window.records.first().bytes >= kMaxHistoryBytes)) {
        window.bytes -= window.records.first().bytes;
        window.records.removeFirst();
    }
}

bool SettingsHistory::appendRecord(const AuditRecord& record, QString* error) {
    const QJsonObject object = jexlink::auditRecordObject(record);
    qint64 length = 0;
    if (!audit_.append(object, error, &length)) return false;
    remember(object, length);
    return true;
}

bool SettingsHistory::open(QString* error) {
    audit_.open();
    index_.clear();
    audit_.forEach([this](const QJsonObject& record, qint64 bytes) { remember(record, bytes); });
    for (const int profile : store_.profiles()) {
        if (!finishStaged(profile, error)) return false;
        const auto version = versions_.keepFound(profile, *store_.settings(profile), error);
        if (!version) return false;
        current_.insert(profile, *version);
    }
    return true;
}

std::optional<VersionInfo> SettingsHistory::store(int profile, const ServerSettings& before,
                                                  const ServerSettings& after,
                                                  const ChangeOrigin& origin, QString* error) {
    const VersionInfo info{versions_.nextVersion(profile), now(), origin.operatorName};
    // Made once: the staged version and the state file hold the same text.
    const QByteArray text = stateFileText(after);
    if (!versions_.stage(profile, info, text, error)) return std::nullopt;

    AuditRecord record{info.time, origin.operatorName, origin.tag.left(kMaxLoggedTag),
                       profile,   info.version,        settingsChanges(before, after)};
    record.revertOf = origin.revertOf;
    record.mergedWith = origin.mergedWith;
    record.batch = origin.batch;
    if (!appendRecord(record, error)) {
        versions_.discard(profile, info.version);
        return std::nullopt;
    }

    if (!store_.store(profile, after, text, error)) {
        QString undoError;
        AuditRecord undone{now(), origin.operatorName, {}, profile, info.version};
        undone.undone = true;
        undone.reason = QStringLiteral("not stored");
        if (!appendRecord(undone, &undoError))
            qCCritical(lcRemote).noquote() << "profile" << profile << ": version" << info.version
                                           << "was not stored and its record stays:" << undoError;
        versions_.discard(profile, info.version);
        return std::nullopt;
    }

    // The update is made; a version not kept now is kept at the next start.
    current_.insert(profile, info.version);
    QString keepError;
    if (!versions_.keep(profile, info.version, &keepError))
        qCWarning(lcRemote).noquote() << keepError;
    return info;
}

bool SettingsHistory::recordUnchanged(int profile, const ChangeOrigin& origin, QString* error) {
    AuditRecord record{now(),   origin.operatorName,     origin.tag.left(kMaxLoggedTag),
                       profile, currentVersion(profile), QList<jexlink::AuditChange>()};
    record.noChange = true;
    record.mergedWith = origin.mergedWith;
    record.batch = origin.batch;
    return appendRecord(record, error);
}

bool SettingsHistory::recordGameAction(int profile, const QString& operatorName,
                                       const GameAction& action, QString* error) {
    AuditRecord record{
        now(), operatorName, {}, profile, currentVersion(profile), QList<jexlink::AuditChange>()};
    (action.kind == GameAction::Control ? record.game : record.command) =
        action.text.left(kMaxActionText);
    return appendRecord(record, error);
}

std::optional<VersionInfo> SettingsHistory::lastChange(int profile, qint64 after,
                                                       const QString& key,
                                                       const QString& entry) const {
    const auto windows = index_.constFind(profile);
    if (windows == index_.cend()) return std::nullopt;
    const QSet<qint64> undone = undoneVersions(*windows);
    const Indexed* newest = nullptr;
    for (const Window& window : *windows)
        for (const Indexed& indexed : window.records) {
            if (newest && indexed.seq < newest->seq) continue;
            const AuditRecord record = readAuditRecord(indexed.record);
            const qint64 version = versionOf(record);
            if (version > after && !undone.contains(version) &&
                jexlink::touchesSetting(record, key, entry))
                newest = &indexed;
        }
    if (!newest) return std::nullopt;
    const AuditRecord record = readAuditRecord(newest->record);
    return VersionInfo{versionOf(record), record.time, record.operatorName};
}

jexlink::History SettingsHistory::history(int profile) const {
    const QHash<QString, Window> windows = index_.value(profile);
    const QSet<qint64> undone = undoneVersions(windows);

    // Each operator's shown records, newest first; operators by their newest.
    QList<QList<const Indexed*>> byOperator;
    for (const Window& window : windows) {
        QList<const Indexed*> shown;
        for (auto it = window.records.crbegin(); it != window.records.crend(); ++it)
            if (!undone.contains(versionOf(readAuditRecord(it->record)))) shown.append(&*it);
        if (!shown.isEmpty()) byOperator.append(shown);
    }
    std::sort(byOperator.begin(), byOperator.end(),
              [](const auto& a, const auto& b) { return a.first()->seq > b.first()->seq; });

    // Every operator's newest record, then every operator's second newest, ...
    QList<const Indexed*> chosen;
    qint64 bytes = 0;
    bool full = false;
    for (qsizetype rank = 0; !full; ++rank) {
        bool more = false;
        for (const auto& shown : byOperator) {
            if (rank >= shown.size()) continue;
            more = true;
            bytes += shown[rank]->bytes;
            if (chosen.size() >= kMaxHistoryRecords || bytes > kMaxHistoryBytes) {
                full = true;
                break;
            }
            chosen.append(shown[rank]);
        }
        full = full || !more;
    }
    std::sort(chosen.begin(), chosen.end(), [](auto a, auto b) { return a->seq > b->seq; });

    jexlink::History history;
    for (const Indexed* indexed : chosen) history.records.append(indexed->record);
    const QList<VersionInfo> kept = versions_.list(profile);
    for (const VersionInfo& version :
         kept.first(std::min<qsizetype>(kept.size(), kMaxListedVersions)))
        history.versions.append(
            jexlink::keptVersionObject({version.version, version.time, version.operatorName}));
    return history;
}

}  // namespace jexremote
