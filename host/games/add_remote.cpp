#include "host/games/add_remote.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

#include <algorithm>

#include "host/catalogue/catalogue.h"
#include "host/host_root.h"
#include "host/relay/link_pool.h"
#include "host/servers/server_rules.h"
#include "host/servers/servers_file.h"
#include "jex/hostpaths.h"
#include "link/game_messages.h"
#include "remote/remote_service.h"

namespace jexhost::games {

using servers::ServerEntry;

namespace {

// The token file as the servers file names it: relative to its folder when
// inside it.
QString tokenFileEntry(const QString& tokenFile, const QString& serversFile) {
    const QString absolute = QFileInfo(tokenFile).absoluteFilePath();
    const QString relative = QFileInfo(serversFile).absoluteDir().relativeFilePath(absolute);
    return relative.startsWith(QLatin1String("..")) ? absolute : relative;
}

QString addedLine(const ServerEntry& entry, const QString& definition) {
    const QJsonObject line{
        {"server", entry.name},   {"id", entry.id},
        {"remote", entry.remote}, {"profile", entry.profile},
        {"game", entry.game},     {"definition", definition.isEmpty() ? QJsonValue() : definition}};
    // The documented order, as the other command lines print theirs.
    QStringList parts;
    for (const char* key : {"server", "id", "remote", "profile", "game", "definition"}) {
        const QByteArray value = QJsonDocument(QJsonArray{line.value(QLatin1String(key))})
                                     .toJson(QJsonDocument::Compact);
        parts << QStringLiteral("\"%1\": %2")
                     .arg(QLatin1String(key), QString::fromUtf8(value.mid(1, value.size() - 2)));
    }
    return u'{' + parts.join(QStringLiteral(", ")) + u'}';
}

}  // namespace

QString chooseGame(const QString& definition, const QStringList& catalogueGames,
                   const QList<ServerEntry>& listed) {
    if (catalogueGames.isEmpty()) return {};
    if (!definition.isEmpty())
        for (const QString& game : catalogueGames)
            if (game.startsWith(definition, Qt::CaseInsensitive)) return game;
    QHash<QString, int> uses;
    for (const ServerEntry& entry : listed) ++uses[entry.game];
    QString best = catalogueGames.first();
    for (const QString& game : catalogueGames)
        if (uses.value(game) > uses.value(best)) best = game;
    return best;
}

QString chooseName(const QString& storedName, const QString& authority, int profile,
                   const QStringList& takenNames) {
    QString name = storedName.trimmed();
    const auto& nameRule = servers::kKeyRules[0];  // the Name row
    if (name.isEmpty() || !nameRule.fault(name).isEmpty())
        name = QStringLiteral("%1 profile %2").arg(authority).arg(profile);
    if (!takenNames.contains(name)) return name;
    const QString base = QStringLiteral("%1 (%2)").arg(name, authority);
    if (!takenNames.contains(base)) return base;
    for (int n = 2;; ++n) {
        const QString numbered = QStringLiteral("%1 (%2, %3)").arg(name, authority).arg(n);
        if (!takenNames.contains(numbered)) return numbered;
    }
}

const ServerEntry* listedAs(const QList<ServerEntry>& listed, const QString& remote, int profile) {
    const QUrl url(remote);
    for (const ServerEntry& entry : listed)
        if (QUrl(entry.remote) == url && entry.profile == profile) return &entry;
    return nullptr;
}

QList<Addition> plannedAdditions(const QString& remote, const QString& tokenFile,
                                 const QString& serversFile,
                                 const QList<jexlink::ProfileEntry>& chosen,
                                 const QList<ServerEntry>& listed,
                                 const QStringList& catalogueGames, QString* error) {
    const QString authority = QUrl(remote).authority();
    QStringList taken;
    for (const ServerEntry& entry : listed) taken << entry.name;
    QList<Addition> adding;
    for (const auto& profile : chosen) {
        if (listedAs(listed, remote, profile.profile)) continue;
        ServerEntry entry;
        entry.name = chooseName(profile.name, authority, profile.profile, taken);
        entry.game = chooseGame(profile.game, catalogueGames, listed);
        if (entry.game.isEmpty()) {
            *error = QStringLiteral("no plug-in is installed to give the servers a game");
            return {};
        }
        entry.remote = remote;
        entry.tokenFile = tokenFileEntry(tokenFile, serversFile);
        entry.profile = profile.profile;
        entry.tag = authority;
        taken << entry.name;
        adding.append({entry, profile.game});
    }
    return adding;
}

void askProfiles(LinkPool& pool, const QString& remote, const QString& tokenFile,
                 ProfilesReply done) {
    pool.sendMessage(
        remote, QFileInfo(tokenFile).absoluteFilePath(),
        [](qint64 id) { return jexlink::profilesRequestMessage(id); },
        [remote, done = std::move(done)](const QString& text, LinkFailure why) {
            if (text.isEmpty()) return done(std::nullopt, linkFailureText(why, remote));
            const auto profiles = jexlink::readProfilesAnswer(text);
            if (!profiles)
                return done(
                    std::nullopt,
                    QStringLiteral("%1 answered something other than its profiles").arg(remote));
            done(profiles->second, {});
        });
}

int runAddRemote(const HostOptions& options, QTextStream& out, QTextStream& err) {
    const auto fail = [&err](const QString& why, int status) {
        err << "jexhost: " << why << Qt::endl;
        return status;
    };
    // A console holding the root keeps the servers file in its own hands.
    const TakenRoot taken = takeHostRoot(
        QStringLiteral("use its Server > Add a remote's servers..., or close it first"));
    if (!taken.lock) return fail(taken.refusal, kAddUsage);
    const QString& root = taken.root;
    const QString serversFile = serversFileOf(root, options);
    const auto read = servers::readServersFile(serversFile);
    if (!read.ok()) return fail(read.error, kAddUsage);
    QString reason;
    if (!jexremote::firstToken(options.tokenFile, &reason))
        return fail(QStringLiteral("no token in %1: %2").arg(options.tokenFile, reason), kAddUsage);

    const QString remote = QUrl(options.addRemote).toString();
    LinkPool pool(options.timeoutMs, options.keepAliveMs);
    std::optional<QList<jexlink::ProfileEntry>> profiles;
    QString why;
    QEventLoop loop;
    bool replied = false;
    askProfiles(pool, remote, options.tokenFile, [&](auto answer, const QString& failed) {
        profiles = std::move(answer);
        why = failed;
        replied = true;
        loop.quit();
    });
    if (!replied) loop.exec();
    if (!profiles) return fail(why, kAddFailed);

    QList<jexlink::ProfileEntry> chosen;
    for (const auto& profile : *profiles)
        if (options.allProfiles             ? true
            : options.addProfiles.isEmpty() ? !profile.game.isEmpty()
                                            : options.addProfiles.contains(profile.profile))
            chosen << profile;
    for (int wanted : options.addProfiles)
        if (std::none_of(chosen.begin(), chosen.end(),
                         [wanted](const auto& profile) { return profile.profile == wanted; }))
            return fail(QStringLiteral("%1 holds no profile %2").arg(remote).arg(wanted),
                        kAddFailed);

    for (const auto& profile : chosen)
        if (const ServerEntry* listed = listedAs(read.servers, remote, profile.profile))
            err << "jexhost: profile " << profile.profile << " of " << remote
                << " is in the list already as " << listed->name << Qt::endl;
    QString error;
    const QList<Addition> planned =
        plannedAdditions(remote, options.tokenFile, serversFile, chosen, read.servers,
                         catalogue::Catalogue::scan().games(), &error);
    if (!error.isEmpty()) return fail(error, kAddFailed);
    QList<ServerEntry> adding;
    for (const Addition& addition : planned) adding << addition.entry;
    if (adding.isEmpty()) return kAddedAll;
    if (!servers::addServers(serversFile, &adding, &error)) return fail(error, kAddFailed);
    for (qsizetype i = 0; i < adding.size(); ++i)
        out << addedLine(adding[i], planned[i].definition) << Qt::endl;
    return kAddedAll;
}

}  // namespace jexhost::games
