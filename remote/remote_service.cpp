#include "remote/remote_service.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sys/stat.h>

#include <variant>

#include "exchange/model/setting_names.h"
#include "exchange/model/settings_reply.h"
#include "jex/durable_file.h"
#include "remote/audit/audit_log.h"
#include "remote/audit/settings_history.h"
#include "remote/games/game_supervisor.h"
#include "remote/net/link_server.h"
#include "remote/net/token_file_edit.h"
#include "remote/net/token_file_watch.h"
#include "remote/server_manager.h"
#include "remote/store/server_store.h"

namespace jexremote {

std::optional<QString> createTokenFile(const QString& path, QString* error) {
    if (QFileInfo::exists(path)) {
        *error = QStringLiteral("the token file %1 exists already").arg(path);
        return std::nullopt;
    }
    if (auto failure = jex::fs::createOwnerOnlyFolder(QFileInfo(path).absolutePath())) {
        *error = QStringLiteral("cannot create the token file's folder: %1").arg(failure->text);
        return std::nullopt;
    }
    return addOperator(path, {QStringLiteral("admin"), true, allPrivileges()}, error);
}

std::optional<QString> keyFileRefusal(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || (st.st_mode & 077) == 0)
        return std::nullopt;
    return QStringLiteral(
               "the key %1 may be read or changed by others (mode %2): make it readable by its "
               "owner only (chmod 600)")
        .arg(path)
        .arg(st.st_mode & 0777, 4, 8, QLatin1Char('0'));
}

std::optional<QString> firstToken(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read the token file %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    for (const QByteArray& raw : file.read(kMaxTokenFileBytes).split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(u'#')) continue;
        return line.section(QRegularExpression(QStringLiteral("\\s+")), 0, 0);
    }
    *error = QStringLiteral("the token file %1 holds no token").arg(path);
    return std::nullopt;
}

RemoteService::RemoteService(RemoteOptions options, QObject* parent)
    : QObject(parent), options_(std::move(options)) {}

RemoteService::~RemoteService() {
    if (link_) link_->setOperatorsCheck({});  // the watch goes first
}

bool RemoteService::start(QString* error) {
    if (options_.stateDir.isEmpty()) {
        *error = QStringLiteral("no state folder given");
        return false;
    }
    if (options_.tokenFile.isEmpty())
        options_.tokenFile = QDir(options_.stateDir).filePath(QStringLiteral("tokens"));

    if (!options_.keyFile.isEmpty()) {
        if (const auto refusal = keyFileRefusal(options_.keyFile)) {
            *error = *refusal;
            return false;
        }
    }
    store_ = std::make_unique<ServerStore>(options_.stateDir);
    if (!store_->open(error)) return false;

    if (!QFileInfo::exists(options_.tokenFile)) {
        if (!createTokenFile(options_.tokenFile, error)) return false;
        createdTokenFile_ = true;
        qCInfo(lcRemote).noquote() << "created the token file" << options_.tokenFile;
    }
    auto operators = readTokenFile(options_.tokenFile, error);
    if (!operators) return false;

    AuditLimits audit;
    audit.retentionDays = options_.auditDays;
    history_ = std::make_unique<SettingsHistory>(*store_, options_.stateDir, audit,
                                                 options_.keepVersionDays);
    if (!history_->open(error)) return false;
    manager_ = std::make_unique<ServerManager>(*store_, *history_);
    if (!openGames(error)) return false;
    LinkLimits limits;
    limits.maxMessageBytes = options_.maxMessageBytes;
    limits.pingMs = options_.pingMs;
    limits.silenceMs = options_.silenceMs;
    limits.upgradeMs = options_.upgradeMs;
    limits.updates = {options_.updatesPerSecond, 2 * options_.updatesPerSecond};
    limits.history = {options_.historyPerSecond, 2 * options_.historyPerSecond};
    LinkServer::Handlers handlers{
        [this](const jexlink::Envelope& request, const jexlink::Welcome& who) {
            auto served = manager_->answer(request, who);
            if (served.changed) settingsStored(served.changed->profile);
            return served;
        },
        [this](int profile) { return manager_->history(profile); },
        [this](int profile, qint64 version, const jexlink::Welcome& who) {
            auto served = manager_->revert(profile, version, who);
            if (served.changed) settingsStored(served.changed->profile);
            return served;
        },
        [this](int profile, qint64 version) { return keptSettings(profile, version); },
        {},
        {},
        {},
        {},
        {},
        {}};  // the games' handlers: see gameHandlers()
    link_ = std::make_unique<LinkServer>(*operators, gameHandlers(std::move(handlers)), limits);
    if (!link_->listen(options_, error)) return false;
    if (games_) {
        connect(games_.get(), &games::GameSupervisor::gameChanged, link_.get(),
                &LinkServer::pushGame);
        connect(games_.get(), &games::GameSupervisor::printed, link_.get(),
                &LinkServer::pushOutput);
    }
    operatorsWatch_ = std::make_unique<TokenFileWatch>(options_.tokenFile, *operators);
    connect(operatorsWatch_.get(), &TokenFileWatch::operatorsChanged, link_.get(),
            &LinkServer::setOperators);
    connect(operatorsWatch_.get(), &TokenFileWatch::loginsRefused, link_.get(),
            &LinkServer::refuseLogins);
    link_->setOperatorsCheck([this] { operatorsWatch_->catchUp(); });
    return true;
}

bool RemoteService::openGames(QString* error) {
    if (options_.gamesFolder.isEmpty()) return true;
    QStringList problems;
    auto definitions = games::readDefinitions(options_.gamesFolder, &problems);
    for (const QString& problem : std::as_const(problems))
        qCWarning(lcRemote).noquote() << "game definition left out:" << problem;
    games_ = std::make_unique<games::GameSupervisor>(options_.stateDir, std::move(definitions));
    games_->setStoredSettings([this](int profile, std::optional<qint64> version)
                                  -> std::optional<games::GameSupervisor::StoredSettings> {
        if (!version) {
            const auto settings = store_->settings(profile);
            if (!settings) return std::nullopt;
            return games::GameSupervisor::StoredSettings{*settings,
                                                         history_->currentVersion(profile)};
        }
        const auto kept = history_->versions().load(profile, *version);
        if (const auto* stored = std::get_if<StoredVersion>(&kept))
            return games::GameSupervisor::StoredSettings{stored->settings, *version};
        return std::nullopt;
    });
    if (!games_->open(error)) return false;
    for (const int profile : store_->profiles()) passSecrets(profile);
    return true;
}

void RemoteService::settingsStored(int profile) {
    passSecrets(profile);
    // The answer goes first; the game gets the settings after it.
    if (games_)
        QMetaObject::invokeMethod(
            games_.get(), [games = games_.get(), profile] { games->settingsStored(profile); },
            Qt::QueuedConnection);
}

void RemoteService::passSecrets(int profile) {
    const auto settings = store_->settings(profile);
    if (!games_ || !settings) return;
    QStringList secrets;
    for (int field = 0; field < kdrsm::model::kSettingCount; ++field)
        if (kdrsm::model::isSecret(field) && !settings->fields[field].isEmpty())
            secrets << settings->fields[field];
    games_->setSecrets(profile, secrets);
}

QString RemoteService::audit(int profile, const jexlink::Welcome& who, const GameAction& action) {
    QString error;
    if (history_->recordGameAction(profile, who.operatorName, action, &error)) return {};
    qCWarning(lcRemote).noquote() << "profile" << profile << ": no audit record:" << error;
    return QStringLiteral("the audit record could not be written: %1").arg(error);
}

LinkHandlers RemoteService::gameHandlers(LinkHandlers handlers) {
    handlers.profiles = [this] {
        QList<jexlink::ProfileEntry> out;
        const int name = kdrsm::model::fieldOfKey(u"ServerName");
        for (const int profile : store_->profiles()) {
            const auto settings = store_->settings(profile);
            out << jexlink::ProfileEntry{profile, settings ? settings->fields[name] : QString(),
                                         history_->currentVersion(profile),
                                         games_ ? games_->definitionOf(profile) : QString()};
        }
        return out;
    };
    if (!games_) return handlers;
    handlers.games = [this] { return games_->games(); };
    handlers.players = [this](int profile) { return games_->players(profile); };
    handlers.control = [this](const jexlink::ControlRequest& request, const jexlink::Welcome& who,
                              std::function<void(const jexlink::ControlOutcome&)> done) {
        if (games_->definitionOf(request.profile).isEmpty())
            return done({false, QString(),
                         QStringLiteral("profile %1 runs no game here").arg(request.profile)});
        if (const QString failed =
                audit(request.profile, who,
                      {GameAction::Control,
                       request.action + (request.whenEmpty ? QStringLiteral(" when empty") : "")});
            !failed.isEmpty())
            return done({false, games_->game(request.profile)->state, failed});
        qCInfo(lcRemote).noquote() << "operator" << boundedText(who.operatorName) << ":"
                                   << request.action << "the game of profile" << request.profile;
        games_->control(request.profile, request.action, std::move(done), request.whenEmpty);
    };
    handlers.output = [this](int profile, int lines) -> std::optional<QStringList> {
        if (games_->definitionOf(profile).isEmpty()) return std::nullopt;
        return games_->output(profile, lines);
    };
    handlers.command = [this](const jexlink::CommandRequest& request,
                              const jexlink::Welcome& who) -> jexlink::CommandOutcome {
        if (games_->definitionOf(request.profile).isEmpty())
            return {false, QStringLiteral("profile %1 runs no game here").arg(request.profile)};
        if (const QString failed =
                audit(request.profile, who,
                      {GameAction::Command, games_->masked(request.profile, request.line)});
            !failed.isEmpty())
            return {false, failed};
        const QString reason = games_->command(request.profile, request.line);
        return {reason.isEmpty(), reason};
    };
    return handlers;
}

jexlink::KeptSettings RemoteService::keptSettings(int profile, qint64 version) const {
    if (!store_->settings(profile))
        return {{}, QStringLiteral("profile %1 is not managed here").arg(profile)};
    const auto kept = history_->versions().load(profile, version);
    if (const auto* reason = std::get_if<QString>(&kept)) return {{}, *reason};
    return {kdrsm::model::replyText(std::get<StoredVersion>(kept).settings)};
}

void RemoteService::readOperatorsAgain(const QString& why) {
    if (operatorsWatch_) operatorsWatch_->reload(why, true);
}

quint16 RemoteService::port() const {
    return link_ ? link_->port() : 0;
}

QUrl RemoteService::url() const {
    return link_ ? link_->url() : QUrl();
}

QString RemoteService::tokenFile() const {
    return options_.tokenFile;
}

std::optional<ServerSettings> RemoteService::settings(int profile) const {
    return store_ ? store_->settings(profile) : std::nullopt;
}

}  // namespace jexremote
