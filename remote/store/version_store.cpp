#include "remote/store/version_store.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "jex/durable_file.h"
#include "link/link_messages.h"
#include "remote/store/state_file.h"

namespace jexremote {

namespace {

const QString kKeptSuffix = QStringLiteral(".json");
const QString kStagedSuffix = QStringLiteral(".pending.json");
constexpr qint64 kMaxVersionFileBytes = kMaxStateFileBytes + 4096;

// An open folder, closed when it goes.
struct FolderFd {
    int fd = -1;
    ~FolderFd() {
        if (fd >= 0) ::close(fd);
    }
};

QByteArray fileName(qint64 version, const QString& suffix) {
    return QFile::encodeName(QString::number(version) + suffix);
}

}  // namespace

VersionStore::VersionStore(QString stateFolder, int keepDays, UtcClock clock)
    : stateFolder_(std::move(stateFolder)),
      folder_(QDir(stateFolder_).filePath(QStringLiteral("versions"))),
      keepDays_(keepDays),
      clock_(std::move(clock)) {}

int VersionStore::openFolder(int profile, bool create, QString* error) const {
    auto opened = jex::fs::openFolderBelow(
        stateFolder_, QStringLiteral("versions/server-%1").arg(profile), create);
    if (const auto* failure = std::get_if<jex::fs::WriteFailure>(&opened)) {
        *error = failure->text;
        return -1;
    }
    return std::get<int>(opened);
}

QString VersionStore::folderOf(int profile) const {
    return QDir(folder_).filePath(QStringLiteral("server-%1").arg(profile));
}

QList<qint64> VersionStore::listed(int profile, const QString& suffix) const {
    QList<qint64> found;
    // Most servers of a large fleet were never changed here: one stat says
    // so. A link in the folder's place is not listed through.
    struct stat st {};
    if (::lstat(QFile::encodeName(folderOf(profile)).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return found;
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

VersionStore::Known& VersionStore::known(int profile) const {
    auto it = known_.find(profile);
    if (it == known_.end())
        it = known_.insert(profile,
                           {listed(profile, kKeptSuffix), listed(profile, kStagedSuffix), {}});
    return *it;
}

VersionInfo VersionStore::knownInfo(int profile, qint64 version) const {
    Known& ids = known(profile);
    auto info = ids.infos.constFind(version);
    if (info == ids.infos.cend()) info = ids.infos.insert(version, infoOf(profile, version));
    return *info;
}

QList<qint64> VersionStore::ids(int profile, const QString& suffix) const {
    const Known& ids = known(profile);
    return suffix == kKeptSuffix ? ids.kept : ids.staged;
}

QList<qint64> VersionStore::staged(int profile) const {
    return ids(profile, kStagedSuffix);
}

qint64 VersionStore::nextVersion(int profile) const {
    const QList<qint64> kept = ids(profile, kKeptSuffix);
    const QList<qint64> pending = staged(profile);
    const qint64 found = foundVersion(profile) ? 1 : 0;
    return std::max({kept.isEmpty() ? 0 : kept.last(), pending.isEmpty() ? 0 : pending.last(),
                     found, used_.value(profile)}) +
           1;
}

void VersionStore::noteUsed(int profile, qint64 version) {
    if (version > used_.value(profile)) used_.insert(profile, version);
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
    const VersionInfo info{nextVersion(profile), utcNow(clock_).toString(Qt::ISODateWithMs),
                           kStateFileOperator};
    if (!stage(profile, info, stateFileText(current), error) || !keep(profile, info.version, error))
        return std::nullopt;
    return info.version;
}

std::variant<StoredVersion, QString> VersionStore::read(int profile, qint64 version,
                                                        const QString& suffix) const {
    const QString name = QStringLiteral("version %1").arg(version);
    QString error;
    // Nothing is taken from where a link planted in a folder's place points.
    const FolderFd folder{openFolder(profile, false, &error)};
    const auto text = folder.fd < 0
                          ? std::nullopt
                          : jex::fs::readRegularFile(
                                QDir(folderOf(profile)).filePath(QString::number(version) + suffix),
                                kMaxVersionFileBytes + 1, &error);
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
    return read(profile, version, kKeptSuffix);
}

std::variant<StoredVersion, QString> VersionStore::loadStaged(int profile, qint64 version) const {
    return read(profile, version, kStagedSuffix);
}

VersionInfo VersionStore::infoOf(int profile, qint64 version) const {
    QString error;
    const auto text = jex::fs::readRegularFile(
        QDir(folderOf(profile)).filePath(QString::number(version) + kKeptSuffix),
        kMaxVersionFileBytes + 1, &error);
    QJsonObject object;
    if (text && text->size() <= kMaxVersionFileBytes)
        object = QJsonDocument::fromJson(*text).object();
    const QString who = object.value(QStringLiteral("operator")).toString();
    return {version, object.value(QStringLiteral("time")).toString(),
            who.left(jexlink::kMaxOperatorNameLength)};
}

QList<VersionInfo> VersionStore::list(int profile) const {
    if (const auto cached = listed_.constFind(profile); cached != listed_.cend()) return *cached;
    QList<VersionInfo> versions;
    if (const auto found = foundVersion(profile)) versions.append(*found);
    const QList<qint64> kept = ids(profile, kKeptSuffix);
    for (auto it = kept.crbegin(); it != kept.crend(); ++it)
        versions.append(knownInfo(profile, *it));
    listed_.insert(profile, versions);
    return versions;
}

// A version file: written to its final name when `kept`, staged otherwise.
bool VersionStore::write(int folder, int profile, const VersionInfo& info,
                         const QByteArray& stateText, bool kept, QString* error) {
    const QJsonObject object{{QStringLiteral("version"), info.version},
                             {QStringLiteral("time"), info.time},
                             {QStringLiteral("operator"), info.operatorName},
                             {QStringLiteral("state"), QString::fromUtf8(stateText)}};
    const QByteArray text = QJsonDocument(object).toJson(QJsonDocument::Indented);
    const QString name = QString::number(info.version) + (kept ? kKeptSuffix : kStagedSuffix);
    if (const auto failure = jex::fs::writeFileDurablyAt(
            folder, name, QDir(folderOf(profile)).filePath(name), text)) {
        *error = failure->text;
        known_.remove(profile);  // the file may be there or not: list again
        return false;
    }
    Known& ids = known(profile);
    QList<qint64>& into = kept ? ids.kept : ids.staged;
    if (!into.contains(info.version)) {
        into.append(info.version);
        std::sort(into.begin(), into.end());
    }
    ids.infos.insert(info.version, {info.version, info.time,
                                    info.operatorName.left(jexlink::kMaxOperatorNameLength)});
    return true;
}

bool VersionStore::stage(int profile, const VersionInfo& info, const QByteArray& stateText,
                         QString* error) {
    const FolderFd folder{openFolder(profile, true, error)};
    if (folder.fd < 0) return false;
    if (const auto found = foundVersion(profile)) {
        const auto loaded = loadFound(*found, profile);
        if (const auto* refusal = std::get_if<QString>(&loaded)) {
            *error = *refusal;
            return false;
        }
        if (!write(folder.fd, profile, *found,
                   stateFileText(std::get<StoredVersion>(loaded).settings), true, error))
            return false;
        listed_.remove(profile);
    }
    return write(folder.fd, profile, info, stateText, false, error);
}

bool VersionStore::keep(int profile, qint64 version, QString* error) {
    const FolderFd folder{openFolder(profile, false, error)};
    if (folder.fd < 0) return false;
    const QString staged =
        QDir(folderOf(profile)).filePath(QString::number(version) + kStagedSuffix);
    if (::renameat(folder.fd, fileName(version, kStagedSuffix).constData(), folder.fd,
                   fileName(version, kKeptSuffix).constData()) != 0) {
        known_.remove(profile);
        *error = QStringLiteral("cannot keep %1: %2")
                     .arg(staged, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    Known& ids = known(profile);
    ids.staged.removeAll(version);
    if (!ids.kept.contains(version)) {
        ids.kept.append(version);
        std::sort(ids.kept.begin(), ids.kept.end());
    }
    if (::fsync(folder.fd) != 0) {
        *error = QStringLiteral("cannot sync the folder of %1: %2")
                     .arg(staged, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    if (const auto cached = listed_.find(profile); cached != listed_.end())
        cached->prepend(knownInfo(profile, version));  // ids count up: the newest
    prune(folder.fd, profile);
    return true;
}

// The oldest versions go while more than kKeptVersions are kept, each only
// once it is older than the days versions are kept. The oldest that stays
// ends the pass: one read per version at most, as what is written here is known.
void VersionStore::prune(int folder, int profile) {
    Known& ids = known(profile);
    const QDateTime oldestKept = utcNow(clock_).addDays(-keepDays_);
    while (ids.kept.size() > kKeptVersions) {
        const qint64 oldest = ids.kept.first();
        const QDateTime time =
            QDateTime::fromString(knownInfo(profile, oldest).time, Qt::ISODateWithMs);
        // A version of a clock set back (a time still to come) stays, too.
        if (keepDays_ > 0 && time.isValid() && time >= oldestKept) break;
        // One already gone (removed by hand) counts as removed.
        if (::unlinkat(folder, fileName(oldest, kKeptSuffix).constData(), 0) != 0 &&
            errno != ENOENT)
            break;
        ids.kept.removeFirst();
        ids.infos.remove(oldest);
        if (const auto cached = listed_.find(profile); cached != listed_.end())
            cached->removeIf([oldest](const VersionInfo& info) { return info.version == oldest; });
    }
}

void VersionStore::discard(int profile, qint64 version) {
    QString error;
    const FolderFd folder{openFolder(profile, false, &error)};
    if (folder.fd >= 0 &&
        ::unlinkat(folder.fd, fileName(version, kStagedSuffix).constData(), 0) == 0)
        known(profile).staged.removeAll(version);
    else
        known_.remove(profile);
}

}  // namespace jexremote
