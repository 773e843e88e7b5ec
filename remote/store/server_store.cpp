#include "remote/store/server_store.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <variant>

#include "remote/audit/audit_log.h"
#include "remote/store/state_file.h"
#include "remote/store/state_folder.h"

namespace jexremote {

namespace {

constexpr int kMaxServers = 1024;

}  // namespace

ServerStore::ServerStore(QString folder) : folder_(std::move(folder)) {}

QString ServerStore::fileOf(int profile) const {
    return QDir(folder_).filePath(QStringLiteral("server-%1.ini").arg(profile));
}

bool ServerStore::open(QString* error) {
    const FolderCheck check = checkStateFolder(folder_);
    for (const QString& path : check.removed)
        qCInfo(lcRemote).noquote() << "removed" << path << "left behind by a stop";
    if (check.refusal) {
        *error = *check.refusal;
        return false;
    }
    const QDir dir(folder_);

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
    if (!writeStateFile(fileOf(profile), settings, error)) {
        // The file may be in place but not yet safe on disk (its folder could
        // not be synced): the old settings go back, as memory keeps them.
        const auto kept = servers_.constFind(profile);
        QString ignored;
        if (kept != servers_.cend() && QFile::exists(fileOf(profile)) &&
            readStateFile(fileOf(profile)) != std::variant<ServerSettings, QString>(*kept))
            writeStateFile(fileOf(profile), *kept, &ignored);
        return false;
    }
    servers_.insert(profile, settings);
    return true;
}

}  // namespace jexremote
