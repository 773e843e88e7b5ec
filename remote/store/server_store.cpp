#include "remote/store/server_store.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <thread>
#include <variant>
#include <vector>

#include "remote/audit/audit_log.h"
#include "remote/store/state_file.h"
#include "remote/store/state_folder.h"

namespace jexremote {

namespace {

constexpr int kMaxServers = 10000;

}  // namespace

// Reading and checking thousands of files is work for every core: each
// thread takes its own stretch of the list.
QList<std::variant<ServerSettings, QString>> ServerStore::readAll(
    const QList<int>& profiles) const {
    QList<std::variant<ServerSettings, QString>> read(profiles.size());
    const qsizetype threads =
        std::clamp<qsizetype>(std::thread::hardware_concurrency(), 1, profiles.size() / 256 + 1);
    const qsizetype stretch = (profiles.size() + threads - 1) / threads;
    std::variant<ServerSettings, QString>* out = read.data();  // detached once, before the threads
    auto readStretch = [&](qsizetype first) {
        for (qsizetype i = first; i < std::min(profiles.size(), first + stretch); ++i)
            out[i] = readStateFile(fileOf(profiles[i]));
    };
    std::vector<std::thread> helpers;
    for (qsizetype first = stretch; first < profiles.size(); first += stretch)
        helpers.emplace_back(readStretch, first);
    readStretch(0);
    for (std::thread& helper : helpers) helper.join();
    return read;
}

ServerStore::ServerStore(QString folder) : folder_(std::move(folder)) {}

QString ServerStore::fileOf(int profile) const {
    return stateFilePath(folder_, profile);
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
    QList<int> profiles;
    for (const QString& name : names) {
        const auto match = kStateName.match(name);
        if (!match.hasMatch()) {
            *error =
                QStringLiteral("%1: not a state file name (server-N.ini)").arg(dir.filePath(name));
            return false;
        }
        profiles.append(match.captured(1).toInt());
    }
    const QList<std::variant<ServerSettings, QString>> read = readAll(profiles);
    for (qsizetype i = 0; i < profiles.size(); ++i) {
        if (const auto* reason = std::get_if<QString>(&read[i])) {
            *error = *reason;
            return false;
        }
        servers_.insert(profiles[i], std::get<ServerSettings>(read[i]));
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
    return store(profile, settings, stateFileText(settings), error);
}

bool ServerStore::store(int profile, const ServerSettings& settings, const QByteArray& text,
                        QString* error) {
    if (!writeStateText(fileOf(profile), text, error)) {
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
