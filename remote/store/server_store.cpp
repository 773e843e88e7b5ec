#include "remote/store/server_store.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <variant>

#include "remote/audit/audit_log.h"
#include "remote/store/folder_sync.h"
#include "remote/store/state_file.h"

namespace jexremote {

namespace {

constexpr auto kOwnerOnlyFolder =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
constexpr int kMaxServers = 1024;

}  // namespace

ServerStore::ServerStore(QString folder) : folder_(std::move(folder)) {}

QString ServerStore::fileOf(int profile) const {
    return QDir(folder_).filePath(QStringLiteral("server-%1.ini").arg(profile));
}

bool ServerStore::open(QString* error) {
    QDir dir(folder_);
    if (!dir.exists() && !QDir().mkpath(folder_)) {
        *error = QStringLiteral("cannot create the state folder %1").arg(folder_);
        return false;
    }
    if (!QFile::setPermissions(folder_, kOwnerOnlyFolder)) {
        *error = QStringLiteral("cannot make the state folder %1 owner-only").arg(folder_);
        return false;
    }

    static const QRegularExpression kStateName(
        QStringLiteral("^server-(0|-?[1-9][0-9]{0,8})\\.ini$"));
    const QStringList names = dir.entryList({QStringLiteral("server-*.ini")},
                                            QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    if (names.size() > kMaxServers) {
        *error = QStringLiteral("%1: more than %2 state files").arg(folder_).arg(kMaxServers);
        return false;
    }
    for (const QString& name : names) {
        const auto match = kStateName.match(name);
        if (!match.hasMatch()) {
            *error =
                QStringLiteral("%1: not a state file name (server-N.ini)").arg(dir.filePath(name));
            return false;
        }
        auto read = readStateFile(dir.filePath(name));
        if (auto* reason = std::get_if<QString>(&read)) {
            *error = *reason;
            return false;
        }
        servers_.insert(match.captured(1).toInt(), std::get<ServerSettings>(read));
    }
    if (servers_.isEmpty()) return store(0, defaultSettings(), error);
    return true;
}

std::optional<ServerSettings> ServerStore::settings(int profile) const {
    const auto it = servers_.constFind(profile);
    if (it == servers_.cend()) return std::nullopt;
    return *it;
}

bool ServerStore::store(int profile, const ServerSettings& settings, QString* error) {
    if (!writeStateFile(fileOf(profile), settings, error)) return false;
    // The file is replaced whatever happens next; syncing the folder makes the
    // new name survive a power cut.
    if (!syncFolder(folder_))
        qCWarning(lcRemote).noquote() << "cannot sync the state folder" << folder_;
    servers_.insert(profile, settings);
    return true;
}

}  // namespace jexremote
