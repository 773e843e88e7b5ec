#include "remote/store/version_store.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstdio>

#include "jex/durable_file.h"
#include "link/link_messages.h"
#include "remote/store/state_file.h"

namespace jexremote {

namespace {

const QString kKeptSuffix = QStringLiteral(".json");
const QString kStagedSuffix = QStringLiteral(".pending.json");
constexpr qint64 kMaxVersionFileBytes = kMaxStateFileBytes + 4096;

}  // namespace

VersionStore::VersionStore(QString stateFolder)
    : stateFolder_(std::move(stateFolder)),
      folder_(QDir(stateFolder_).filePath(QStringLiteral("versions"))) {}

QString VersionStore::folderOf(int profile) const {
    return QDir(folder_).filePath(QStringLiteral("server-%1").arg(profile));
}

QList<qint64> VersionStore::ids(int profile, const QString& suffix) const {
    QList<qint64> found;
    // Most servers of a large fleet were never changed here: one stat says so.
    if (!QFileInfo(folderOf(profile)).isDir()) return found;
    const QStringList names = QDir(folderOf(profile)).entryList({u'*' + suffix}, QDir::Files);
    for (const QString& name : names) {
        bool ok = false;
        const qint64 id = name.chopped(suffix.size()).toLongLong(&ok);
        // "7.pending.json" also ends in ".json": only digits make an id.
        if (ok && id > 0 && name == QString::number(id) + suffix) found << id;
    }
    std::sort(found.begin(), found.end());
    return found;
}

QList<qint64> VersionStore::staged(int profile) const {
    return ids(profile, kStagedSuffix);
}

qint64 VersionStore::nextVersion(int profile) const {
    const QList<qint64> kept = ids(profile, kKeptSuffix);
    const QList<qint64> pending = staged(profile);
    const qint64 found = foundVersion(profile) ? 1 : 0;
    return std::max(
               {kept.isEmpty() ? 0 : kept.last(), pending.isEmpty() ? 0 : pending.last(), found}) +
           1;
}

std::optional<VersionInfo> VersionStore::foundVersion(int profile) const {
    if (!ids(profile, kKeptSuffix).isEmpty() || !staged(profile).isEmpty()) return std::nullopt;
    const QFileInfo state(stateFilePath(stateFolder_, profile));
    if (!state.isFile()) return std::nullopt;
    return VersionInfo{1, state.lastModified().toUTC().toString(Qt::ISODateWithMs),
                       kStateFileOperator};
}

std::variant<StoredVersion, QString> VersionStore::loadFound(const VersionInfo& info,
                                                             int profile) const {
    auto settings = readStateFile(stateFilePath(stateFolder_, profile));
    if (const auto* refusal = std::get_if<QString>(&settings))
        return QStringLiteral("version 1: %1").arg(*refusal);
    return StoredVersion{info, std::get<ServerSettings>(settings)};
}

std::optional<qint64> VersionStore::keepFound(int profile, const ServerSettings& current,
                                              QString* error) {
    const QList<qint64> kept = ids(profile, kKeptSuffix);
    if (kept.isEmpty() && staged(profile).isEmpty()) return 1;  // the state file stands for it
    if (!kept.isEmpty()) {
        const auto newest = load(profile, kept.last());
        if (const auto* version = std::get_if<StoredVersion>(&newest);
            version && version->settings == current)
            return kept.last();
    }
    const VersionInfo info{nextVersion(profile),
                           QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs),
                           kStateFileOperator};
    if (!stage(profile, info, current, error) || !keep(profile, info.version, error))
        return std::nullopt;
    return info.version;
}

std::variant<StoredVersion, QString> VersionStore::read(const QString& path, qint64 version) const {
    const QString name = QStringLiteral("version %1").arg(version);
    QString error;
    const auto text = jex::fs::readRegularFile(path, kMaxVersionFileBytes + 1, &error);
    if (!text) return name + QStringLiteral(": not kept");
    if (text->size() > kMaxVersionFileBytes) return name + QStringLiteral(": too large");
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(*text, &parseError);
    const QJsonObject object = document.object();
    if (!document.isObject())
        return name + QStringLiteral(": not a JSON object (%1)").arg(parseError.errorString());
    const QJsonValue time = object.value(QStringLiteral("time"));
    const QJsonValue who = object.value(QStringLiteral("operator"));
    const QJsonValue state = object.value(QStringLiteral("state"));
    if (object.value(QStringLiteral("version")).toInteger(-1) != version)
        return name + QStringLiteral(": its id does not match its file name");
    if (!time.isString() || !who.isString() ||
        who.toString().size() > jexlink::kMaxOperatorNameLength || !state.isString())
        return name + QStringLiteral(": time, operator or state missing");
    auto settings = parseStateFile(state.toString().toUtf8(), name);
    if (const auto* refusal = std::get_if<QString>(&settings)) return *refusal;
    return StoredVersion{{version, time.toString(), who.toString()},
                         std::get<ServerSettings>(settings)};
}

std::variant<StoredVersion, QString> VersionStore::load(int profile, qint64 version) const {
    if (const auto found = foundVersion(profile); found && version == found->version)
        return loadFound(*found, profile);
    return read(QDir(folderOf(profile)).filePath(QString::number(version) + kKeptSuffix), version);
}

std::variant<StoredVersion, QString> VersionStore::loadStaged(int profile, qint64 version) const {
    return read(QDir(folderOf(profile)).filePath(QString::number(version) + kStagedSuffix),
                version);
}

QList<VersionInfo> VersionStore::list(int profile) const {
    if (const auto cached = listed_.constFind(profile); cached != listed_.cend()) return *cached;
    QList<VersionInfo> versions;
    if (const auto found = foundVersion(profile)) versions.append(*found);
    const QList<qint64> kept = ids(profile, kKeptSuffix);
    for (auto it = kept.crbegin(); it != kept.crend(); ++it) {
        QString error;
        const auto text = jex::fs::readRegularFile(
            QDir(folderOf(profile)).filePath(QString::number(*it) + kKeptSuffix),
            kMaxVersionFileBytes + 1, &error);
        QJsonObject object;
        if (text && text->size() <= kMaxVersionFileBytes)
            object = QJsonDocument::fromJson(*text).object();
        const QString who = object.value(QStringLiteral("operator")).toString();
        versions.append({*it, object.value(QStringLiteral("time")).toString(),
                         who.left(jexlink::kMaxOperatorNameLength)});
    }
    listed_.insert(profile, versions);
    return versions;
}

// A version file: written to its final name when `kept`, staged otherwise.
bool VersionStore::write(int profile, const VersionInfo& info, const ServerSettings& settings,
                         bool kept, QString* error) {
    const QString folder = folderOf(profile);
    if (const auto failure = jex::fs::createOwnerOnlyFolder(folder)) {
        *error = failure->text;
        return false;
    }
    const QJsonObject object{{QStringLiteral("version"), info.version},
                             {QStringLiteral("time"), info.time},
                             {QStringLiteral("operator"), info.operatorName},
                             {QStringLiteral("state"), QString::fromUtf8(stateFileText(settings))}};
    const QByteArray text = QJsonDocument(object).toJson(QJsonDocument::Indented);
    const QString path =
        QDir(folder).filePath(QString::number(info.version) + (kept ? kKeptSuffix : kStagedSuffix));
    if (const auto failure = jex::fs::writeFileDurably(path, text)) {
        *error = failure->text;
        return false;
    }
    return true;
}

bool VersionStore::stage(int profile, const VersionInfo& info, const ServerSettings& settings,
                         QString* error) {
    if (const auto found = foundVersion(profile)) {
        const auto loaded = loadFound(*found, profile);
        if (const auto* refusal = std::get_if<QString>(&loaded)) {
            *error = *refusal;
            return false;
        }
        if (!write(profile, *found, std::get<StoredVersion>(loaded).settings, true, error))
            return false;
        listed_.remove(profile);
    }
    return write(profile, info, settings, false, error);
}

bool VersionStore::keep(int profile, qint64 version, QString* error) {
    const QDir folder(folderOf(profile));
    const QString staged = folder.filePath(QString::number(version) + kStagedSuffix);
    const QString kept = folder.filePath(QString::number(version) + kKeptSuffix);
    if (::rename(QFile::encodeName(staged).constData(), QFile::encodeName(kept).constData()) != 0) {
        *error = QStringLiteral("cannot keep %1").arg(staged);
        return false;
    }
    if (const auto failure = jex::fs::syncFolder(folder.path())) {
        *error = failure->text;
        return false;
    }
    listed_.remove(profile);
    QList<qint64> all = ids(profile, kKeptSuffix);
    while (all.size() > kKeptVersions)
        QFile::remove(folder.filePath(QString::number(all.takeFirst()) + kKeptSuffix));
    return true;
}

void VersionStore::discard(int profile, qint64 version) {
    QFile::remove(QDir(folderOf(profile)).filePath(QString::number(version) + kStagedSuffix));
}

}  // namespace jexremote
