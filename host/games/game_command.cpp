#include "host/games/game_command.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

#include "host/host_root.h"
#include "host/relay/link_pool.h"
#include "host/servers/servers_file.h"
#include "jex/hostpaths.h"

namespace jexhost::games {

using servers::ServerEntry;

namespace {

QString quoted(const QString& text) {
    const QByteArray wrapped = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(wrapped.mid(1, wrapped.size() - 2));
}

QString quotedOrNull(const QString& text) {
    return text.isEmpty() ? QStringLiteral("null") : quoted(text);
}

}  // namespace

QString actionLine(const ActionResult& result) {
    return QStringLiteral(
               "{\"server\": %1, \"action\": %2, \"outcome\": %3, \"state\": %4, \"reason\": %5}")
        .arg(quoted(result.server), quoted(result.action), quoted(outcomeWord(result.outcome)),
             quotedOrNull(result.state), quotedOrNull(result.reason));
}

int runGameCommand(const HostOptions& options, QTextStream& out, QTextStream& err) {
    const auto refuse = [&err](const QString& why) {
        err << "jexhost: " << why << Qt::endl;
        return kGameUsage;
    };
    const TakenRoot taken = takeHostRoot(QStringLiteral("close it first, or use it"));
    if (!taken.lock) return refuse(taken.refusal);
    const QString& root = taken.root;
    const QString serversFile = serversFileOf(root, options);
    const auto read = servers::readServersFile(serversFile);
    if (!read.ok()) return refuse(read.error);

    QList<ServerEntry> chosen;
    for (const ServerEntry& entry : read.servers)
        if (options.applyAll || options.applyServers.contains(entry.name)) chosen << entry;
    QStringList missing;
    for (const QString& name : options.applyServers)
        if (std::none_of(chosen.begin(), chosen.end(),
                         [&](const ServerEntry& entry) { return entry.name == name; }))
            missing << name;
    if (!missing.isEmpty())
        return refuse(QStringLiteral("no server named %1 in %2")
                          .arg(missing.join(QStringLiteral(", ")), serversFile));

    LinkPool pool(options.timeoutMs, options.keepAliveMs);
    const bool anyEmbedded = std::any_of(chosen.begin(), chosen.end(),
                                         [](const auto& entry) { return entry.isEmbedded(); });
    const auto embedded = anyEmbedded ? startOwnRemote(root, options, pool, err) : nullptr;

    GameActions actions(pool);
    QEventLoop loop;
    bool ended = false;
    QObject::connect(&actions, &GameActions::finished, &loop, [&] {
        ended = true;
        loop.quit();
    });
    actions.run(chosen, serversFile, options.gameAction, options.whenEmpty);
    if (!ended) loop.exec();

    bool allDone = true;
    for (const ActionResult& result : actions.results()) {
        allDone &=
            result.outcome == ActionOutcome::Done || result.outcome == ActionOutcome::Waiting;
        out << actionLine(result) << Qt::endl;
    }
    return allDone ? kGameAllDone : kGameNotAllDone;
}

}  // namespace jexhost::games
