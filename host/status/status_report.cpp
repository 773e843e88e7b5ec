#include "host/status/status_report.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <algorithm>
#include <memory>

#include "host/games/game_states.h"
#include "host/host_root.h"
#include "host/relay/link_pool.h"
#include "host/servers/servers_file.h"
#include "jex/durable_file.h"
#include "jex/hostpaths.h"
#include "remote/remote_service.h"

namespace jexhost {

using servers::LinkState;

namespace {

QString linkWord(LinkState state) {
    switch (state) {
        case LinkState::Connected:
            return QStringLiteral("connected");
        case LinkState::Refused:
            return QStringLiteral("refused");
        case LinkState::Unreachable:
            return QStringLiteral("unreachable");
        case LinkState::TimedOut:
            return QStringLiteral("timeout");
        case LinkState::Idle:
        case LinkState::Connecting:
            break;
    }
    return QStringLiteral("connecting");
}

// A JSON value as compact text; the line keeps its keys in the documented order.
QString json(const QJsonValue& value) {
    const QByteArray wrapped = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(wrapped.mid(1, wrapped.size() - 2));
}

// The GAME object as the remote side writes it.
QString gameJson(const jexlink::GameStatus& game) {
    const QJsonObject pushed =
        QJsonDocument::fromJson(jexlink::gamePushMessage(game).toUtf8()).object();
    return json(pushed.value(QStringLiteral("game")));
}

bool settled(LinkState state) {
    return state != LinkState::Idle && state != LinkState::Connecting;
}

}  // namespace

QString statusLine(const servers::ServerEntry& server, const servers::LinkStatus& link,
                   const std::optional<jexlink::Welcome>& welcome,
                   const std::optional<jexlink::GameStatus>& game) {
    const bool connected = link.state == LinkState::Connected && welcome.has_value();
    QString privileges = QStringLiteral("null");
    if (connected) {
        QStringList pairs;
        for (const auto& [name, value] : welcome->privileges)
            pairs << json(name) + QStringLiteral(": ") + QString::number(value);
        privileges = u'{' + pairs.join(QStringLiteral(", ")) + u'}';
    }
    return QStringLiteral(
               "{\"server\": %1, \"remote\": %2, \"profile\": %3, \"link\": %4, \"operator\": %5, "
               "\"superAdmin\": %6, \"privileges\": %7, \"game\": %8}")
        .arg(json(server.name), json(server.remote), QString::number(server.profile),
             json(connected ? QStringLiteral("connected") : linkWord(link.state)),
             connected ? json(welcome->operatorName) : QStringLiteral("null"),
             connected ? json(welcome->superAdmin) : QStringLiteral("null"), privileges,
             connected && game ? gameJson(*game) : QStringLiteral("null"));
}

int runStatus(const HostOptions& options, QTextStream& out, QTextStream& err) {
    const QString root = jex::hostExecutableFolder();
    const QString serversFile = serversFileOf(root, options);
    const auto read = servers::readServersFile(serversFile);
    if (!read.ok()) {
        err << "jexhost: " << read.error << Qt::endl;
        return 1;
    }

    LinkPool pool(options.timeoutMs, options.keepAliveMs);
    games::GameStates gameStates(pool);
    gameStates.setServers(read.servers, serversFile);
    // The embedded servers are served by a remote side of this run, on the
    // state the window's own uses; when it cannot start they are unreachable.
    const bool anyEmbedded = std::any_of(read.servers.begin(), read.servers.end(),
                                         [](const auto& entry) { return entry.isEmbedded(); });
    const auto embedded = anyEmbedded ? startOwnRemote(root, options, pool, err) : nullptr;

    QStringList keys;
    for (const auto& entry : read.servers) {
        const QString tokenFile = servers::tokenFilePath(entry, serversFile);
        keys << LinkPool::keyOf(entry.remote, tokenFile);
        pool.open(entry.remote, tokenFile, true);
    }
    const QDeadlineTimer deadline(options.waitMs);
    const auto allSettled = [&] {
        return std::all_of(keys.begin(), keys.end(),
                           [&](const QString& key) { return settled(pool.status(key).state); });
    };
    while (!allSettled() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    // Then each connected server's game, within the same wait.
    const auto allGamesKnown = [&] {
        for (qsizetype i = 0; i < read.servers.size(); ++i)
            if (pool.status(keys[i]).state == LinkState::Connected &&
                !gameStates.known(read.servers[i].id))
                return false;
        return true;
    };
    while (!allGamesKnown() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);

    bool allConnected = true;
    for (qsizetype i = 0; i < read.servers.size(); ++i) {
        const servers::LinkStatus status = pool.status(keys[i]);
        const RemoteLink* link = pool.find(keys[i]);
        allConnected &= status.state == LinkState::Connected;
        out << statusLine(read.servers[i], status,
                          link && link->isReady() ? link->welcome() : std::nullopt,
                          gameStates.game(read.servers[i].id))
            << Qt::endl;
    }
    return allConnected ? kStatusAllConnected : kStatusNotAllConnected;
}

}  // namespace jexhost
