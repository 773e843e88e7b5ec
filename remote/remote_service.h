#pragma once
// The remote side as one object: the servers of a state folder behind an
// authenticated WebSocket. jexremote runs one; jexhost runs one in-process for
// its embedded servers and talks to it over loopback like any other host.

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

#include "link/link_messages.h"
#include "remote/audit/settings_history.h"
#include "remote/net/link_dispatcher.h"
#include "remote/store/server_settings.h"
#include "remote/store/version_store.h"

namespace jexremote {

struct RemoteOptions {
    QHostAddress address = QHostAddress::LocalHost;
    quint16 port = 0;   // 0: any free port
    QString tokenFile;  // operator lines; created with one super-admin line when missing
                        // (empty: STATEDIR/tokens)
    QString stateDir;   // one state file per profile; created (0700) when missing
    qint64 maxMessageBytes = jexlink::kDefaultMaxMessageBytes;
    QString certFile, keyFile;     // both set: serve wss://
    bool insecure = false;         // allow ws:// on a non-loopback address
    int pingMs = 30000;            // every connection is pinged this often
    int silenceMs = 90000;         // and closed when nothing came from it for this long
    int upgradeMs = 10000;         // a connection not upgraded to WebSocket by then is closed
    double updatesPerSecond = 10;  // per operator, updates and reverts (twice that at once)
    double historyPerSecond = 5;   // per operator, history requests (twice that at once)
    int auditDays = 365;           // audit archives are kept until all their records are older
    int keepVersionDays = kDefaultKeepVersionDays;  // every version this young is kept
    QString gamesFolder;  // the game definitions; empty: this side runs no game
};

// Writes a new token file at `path` (owner-only) holding one random token for
// one super-administrator, and returns that token. Nothing, with the reason
// in `error`, when the file cannot be written or already exists.
std::optional<QString> createTokenFile(const QString& path, QString* error);

// Why a TLS private key file is refused: readable or writable by group or
// others. Nothing when it is owner-only (or missing: reading it says so).
std::optional<QString> keyFileRefusal(const QString& path);

// The first token of a token file (what a host presents to reach its own
// embedded remote side). Nothing when the file cannot be read or holds none.
std::optional<QString> firstToken(const QString& path, QString* error);

namespace games {
class GameSupervisor;
}
class LinkServer;
class TokenFileWatch;
class ServerManager;
class ServerStore;
class SettingsHistory;

class RemoteService : public QObject {
    Q_OBJECT
public:
    explicit RemoteService(RemoteOptions options, QObject* parent = nullptr);
    ~RemoteService() override;

    // Reads (or creates) the token file and the state folder, checks every
    // state file and starts listening. False, with the reason in `error`
    // (naming file, line and setting for a state file it refuses), when any
    // of it fails; nothing is served then.
    bool start(QString* error);

    quint16 port() const;
    // ws://ADDRESS:PORT (wss:// in secure mode); loopback when bound to "any".
    QUrl url() const;
    // The token file in use (the created one when none was given).
    QString tokenFile() const;
    // True when start() created the token file.
    bool createdTokenFile() const { return createdTokenFile_; }

    // Reads the token file again (it is also read whenever it changes):
    // removed operators' connections close, changed ones get a new welcome.
    // `why` goes to the log.
    void readOperatorsAgain(const QString& why);

    // The stored settings of one profile, as a test or the host's status view
    // sees them; nothing for a profile this side does not manage.
    std::optional<ServerSettings> settings(int profile) const;

private:
    jexlink::KeptSettings keptSettings(int profile, qint64 version) const;
    bool openGames(QString* error);
    LinkHandlers gameHandlers(LinkHandlers handlers);
    // The server's passwords, for its game to mask in its output.
    void settingsStored(int profile);
    void passSecrets(int profile);
    // Writes the audit record of an operator's action on a game; the reason when it cannot.
    QString audit(int profile, const jexlink::Welcome& who, const GameAction& action);

    RemoteOptions options_;
    bool createdTokenFile_ = false;
    std::unique_ptr<ServerStore> store_;
    std::unique_ptr<SettingsHistory> history_;
    std::unique_ptr<ServerManager> manager_;
    std::unique_ptr<games::GameSupervisor> games_;
    std::unique_ptr<LinkServer> link_;
    std::unique_ptr<TokenFileWatch> operatorsWatch_;
};

}  // namespace jexremote
