#include "host/games/players_watch.h"

#include <QPointer>

namespace jexhost::games_ui {

QString describeRoster(const QList<jexlink::PlayerEntry>& players) {
    const auto watching = std::count_if(players.begin(), players.end(),
                                        [](const auto& player) { return player.spectator; });
    const auto playing = players.size() - watching;
    if (players.isEmpty()) return QObject::tr("nobody plays");
    if (watching == 0) return QObject::tr("%1 playing").arg(playing);
    return QObject::tr("%1 playing, %2 watching").arg(playing).arg(watching);
}

PlayersWatch::PlayersWatch(QObject* parent) : QObject(parent) {
    refresh_.setInterval(kPlayersRefreshMs);
    connect(&refresh_, &QTimer::timeout, this, &PlayersWatch::ask);
    show(tr("Select a server to see who plays on it."));
}

void PlayersWatch::watch(const FollowedServer& server) {
    stop();
    server_ = server;
    if (!server_.welcome)
        return show(tr("%1: waiting for the link to %2.").arg(server_.name, server_.remote));
    show(tr("%1: asking who plays...").arg(server_.name));
    setActive(active_);
}

void PlayersWatch::stop() {
    ++asking_;
    waiting_ = false;
    refresh_.stop();
    server_ = {};
    show(tr("Select a server to see who plays on it."));
}

void PlayersWatch::setActive(bool active) {
    active_ = active;
    if (!active_ || !server_.send || !server_.welcome) return refresh_.stop();
    if (!refresh_.isActive()) {
        refresh_.start();
        ask();
    }
}

void PlayersWatch::welcomed(const jexlink::Welcome& welcome) {
    if (!server_.send) return;
    server_.welcome = welcome;
    setActive(active_);
}

void PlayersWatch::linkDown(LinkFailure failure) {
    if (!server_.send) return;
    ++asking_;  // an answer still under way belongs to the connection gone
    waiting_ = false;
    server_.welcome.reset();
    refresh_.stop();
    show(tr("%1: %2.").arg(server_.name, linkFailureText(failure, server_.remote)));
}

void PlayersWatch::ask() {
    if (!server_.send || !server_.welcome || waiting_) return;
    waiting_ = true;
    const qint64 asked = ++asking_;
    server_.send(
        [profile = server_.profile](qint64 id) {
            return jexlink::playersRequestMessage({id, profile});
        },
        [guard = QPointer<PlayersWatch>(this), asked](const QString& answer, LinkFailure failure) {
            if (guard) guard->answered(asked, answer, failure);
        });
}

void PlayersWatch::answered(qint64 asked, const QString& answer, LinkFailure failure) {
    if (asked != asking_) return;  // another server, or another connection, since
    waiting_ = false;
    if (answer.isEmpty())
        return show(tr("%1: %2.").arg(server_.name, linkFailureText(failure, server_.remote)));
    const auto read = jexlink::readPlayersAnswer(answer);
    if (!read)
        return show(
            tr("%1: %2 answered with no list of players.").arg(server_.name, server_.remote));
    if (!read->second.ok) return show(tr("%1: %2.").arg(server_.name, read->second.reason));
    show(tr("%1: %2.").arg(server_.name, describeRoster(read->second.players)),
         read->second.players);
}

void PlayersWatch::show(const QString& text, QList<jexlink::PlayerEntry> players) {
    if (text == text_ && players == players_) return;
    text_ = text;
    players_ = std::move(players);
    emit changed();
}

}  // namespace jexhost::games_ui
