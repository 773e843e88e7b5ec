#include "host/games/game_states.h"

#include <algorithm>
#include <utility>

#include <QPointer>
#include "host/log.h"

#include "host/relay/link_pool.h"
#include "host/servers/servers_file.h"

namespace jexhost::games {

namespace {

// The remote side's waits after a crash (remote/README.md, "Game servers").
constexpr qint64 kFirstRestartMs = 1000;
constexpr qint64 kLongestRestartMs = 60000;
constexpr qint64 kCrashWindowMs = 10 * 60 * 1000;

}  // namespace

GameStates::GameStates(LinkPool& pool, QObject* parent) : QObject(parent), pool_(pool) {
    connect(&pool_, &LinkPool::welcomed, this,
            [this](const QString& key, const jexlink::Welcome&) { ask(key); });
    connect(&pool_, &LinkPool::gamePushed, this, &GameStates::pushed);
    connect(&pool_, &LinkPool::outputPushed, this,
            [this](const QString& key, int profile, const QStringList& lines) {
                for (const QString& id : byProfile_.value({key, profile}))
                    emit outputPushed(id, lines);
            });
}

void GameStates::setServers(const QList<servers::ServerEntry>& servers,
                            const QString& serversFile) {
    ++generation_;
    QHash<QString, Followed> before = std::exchange(servers_, {});
    byLink_.clear();
    byProfile_.clear();
    for (const auto& entry : servers) {
        Followed followed;
        followed.entry = entry;
        followed.tokenFile = servers::tokenFilePath(entry, serversFile);
        const auto was = before.constFind(entry.id);
        if (was != before.cend() && was->entry.remote == entry.remote &&
            was->entry.profile == entry.profile && was->tokenFile == followed.tokenFile) {
            followed.game = was->game;  // kept until the link says otherwise
            followed.crashes = was->crashes;
            followed.restartDue = was->restartDue;
        }
        servers_.insert(entry.id, followed);
        const QString key = LinkPool::keyOf(entry.remote, followed.tokenFile);
        byLink_[key] << entry.id;
        byProfile_[{key, entry.profile}] << entry.id;
    }
    for (auto gone = before.cbegin(); gone != before.cend(); ++gone)
        if (!servers_.contains(gone.key()) && gone->game) emit gameChanged(gone.key());
    refresh();
}

void GameStates::refresh() {
    for (auto link = byLink_.cbegin(); link != byLink_.cend(); ++link)
        if (const RemoteLink* open = pool_.find(link.key()); open && open->isReady())
            ask(link.key());
}

void GameStates::ask(const QString& key) {
    const QStringList ids = byLink_.value(key);
    if (ids.isEmpty()) return;
    const Followed& first = servers_.value(ids.first());
    const quint64 generation = generation_;
    const QPointer<GameStates> self(this);  // the answer may come after this is gone
    pool_.sendMessage(
        first.entry.remote, first.tokenFile,
        [](qint64 id) { return jexlink::gamesRequestMessage(id); },
        [this, self, key, generation](const QString& answer, LinkFailure) {
            if (!self || generation != generation_ || answer.isEmpty()) return;  // or asked anew
            const auto games = jexlink::readGamesAnswer(answer);
            if (!games) {
                qCWarning(lcHost).noquote() << "not a games answer from" << key.section(u' ', 0, 0);
                return;
            }
            take(key, games->second);
        });
}

void GameStates::take(const QString& key, const QList<jexlink::GameStatus>& games) {
    const QStringList ids = byLink_.value(key);
    QHash<int, const jexlink::GameStatus*> byProfile;  // a thousand servers on one remote
    for (const jexlink::GameStatus& game : games) byProfile.insert(game.profile, &game);
    for (const QString& id : ids) {
        auto found = servers_.find(id);
        found->known = true;
        const jexlink::GameStatus* game = byProfile.value(found->entry.profile);
        update(id, game ? std::optional(*game) : std::nullopt);
    }
    emit gamesKnown(ids);
}

void GameStates::pushed(const QString& key, const jexlink::GameStatus& game) {
    for (const QString& id : byProfile_.value({key, game.profile})) update(id, game);
}

void GameStates::update(const QString& serverId, const std::optional<jexlink::GameStatus>& game) {
    const auto found = servers_.find(serverId);
    if (found == servers_.end()) return;
    Followed& followed = *found;
    if (followed.game == game) return;
    const bool crashedNow =
        game && game->state == u"crashed" && (!followed.game || followed.game->state != u"crashed");
    followed.game = game;
    if (!game || game->state != u"crashed") followed.restartDue = {};
    if (!game || game->state == u"stopped" || game->state == u"failed") followed.crashes.clear();
    if (crashedNow) {
        const QDateTime now = QDateTime::currentDateTimeUtc();
        followed.crashes.removeIf(
            [&now](const QDateTime& at) { return at.msecsTo(now) > kCrashWindowMs; });
        followed.crashes << now;
        const qint64 wait = std::min(kLongestRestartMs, kFirstRestartMs << std::min<qsizetype>(
                                                            followed.crashes.size() - 1, 16));
        followed.restartDue = now.addMSecs(wait);
    }
    emit gameChanged(serverId);
}

// Looked up, not copied: the Game column asks for a thousand games a second.
const std::optional<jexlink::GameStatus>& GameStates::game(const QString& serverId) const {
    static const std::optional<jexlink::GameStatus> none;
    const auto found = servers_.constFind(serverId);
    return found == servers_.cend() ? none : found->game;
}

bool GameStates::known(const QString& serverId) const {
    const auto found = servers_.constFind(serverId);
    return found != servers_.cend() && found->known;
}

QDateTime GameStates::restartDue(const QString& serverId) const {
    const auto found = servers_.constFind(serverId);
    return found == servers_.cend() ? QDateTime() : found->restartDue;
}

}  // namespace jexhost::games
