// jexremote: serves the settings of the game servers in a state folder to
// authenticated hosts over WebSocket.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

#include <optional>
#include <variant>

#include "remote/audit/audit_log.h"
#include "remote/audit/audit_trail.h"
#include "remote/games/set_game.h"
#include "remote/net/hangup_signal.h"
#include "remote/net/token_file_edit.h"
#include "remote/remote_service.h"

namespace {

struct Exit {
    QString text;
};

// --add-operator or --remove-operator: a change to the token file, then exit.
struct TokenFileChange {
    QString path;
    std::optional<jexremote::NewOperator> add;
    QString remove;
};

// --set-game: a profile bound to a game definition (or unbound), then exit.
struct GameBindingChange {
    QString stateDir, gamesFolder;
    int profile = 0;
    QString definition;
    int port = 0;
};

// A rate: a number of times a second, 0.1 to 10 000.
bool parseRate(const QString& text, double* rate) {
    bool ok = false;
    *rate = text.toDouble(&ok);
    return ok && *rate >= 0.1 && *rate <= 10000;
}

// ADDRESS:PORT, ADDRESS alone or :PORT; an IPv6 address in brackets.
bool parseListen(const QString& text, jexremote::RemoteOptions& options) {
    QString address = text;
    QString port;
    const qsizetype colon = text.lastIndexOf(u':');
    const bool bracketed = text.startsWith(u'[');
    if (colon >= 0 && (!bracketed || text.lastIndexOf(u']') < colon) &&
        (bracketed || text.count(u':') == 1)) {
        address = text.left(colon);
        port = text.mid(colon + 1);
    }
    if (bracketed) address = address.mid(1, address.size() - 2);
    if (!address.isEmpty() && !options.address.setAddress(address)) return false;
    if (port.isEmpty()) return true;
    bool ok = false;
    const uint number = port.toUInt(&ok);
    if (!ok || number > 65535) return false;
    options.port = quint16(number);
    return true;
}

std::variant<jexremote::RemoteOptions, TokenFileChange, GameBindingChange, Exit> parseOptions(
    const QCoreApplication& app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Serves the settings of the game servers in a state folder, one per profile index, to "
        "hosts that present an operator's token."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption listen(QStringLiteral("listen"),
                                    QStringLiteral("Address and port to listen on (default "
                                                   "127.0.0.1:0, any free port)."),
                                    QStringLiteral("ADDRESS:PORT"));
    const QCommandLineOption tokens(
        QStringLiteral("token-file"),
        QStringLiteral("Operators' tokens; created with one new token when missing (default "
                       "STATEDIR/tokens)."),
        QStringLiteral("FILE"));
    const QCommandLineOption state(QStringLiteral("state-dir"),
                                   QStringLiteral("Folder of the servers' state files."),
                                   QStringLiteral("DIR"));
    const QCommandLineOption maxMessage(
        QStringLiteral("max-message"),
        QStringLiteral("Largest message accepted, in bytes (default %1).")
            .arg(jexlink::kDefaultMaxMessageBytes),
        QStringLiteral("BYTES"));
    const QCommandLineOption cert(QStringLiteral("cert"),
                                  QStringLiteral("TLS certificate (PEM): serve wss://."),
                                  QStringLiteral("FILE"));
    const QCommandLineOption key(QStringLiteral("key"),
                                 QStringLiteral("TLS private key (PEM) of the certificate."),
                                 QStringLiteral("FILE"));
    const QCommandLineOption insecure(
        QStringLiteral("insecure"),
        QStringLiteral("Allow ws:// (no TLS) on an address other than loopback."));
    const QCommandLineOption auditDays(
        QStringLiteral("audit-days"),
        QStringLiteral("Days an audit record is kept at least (default 365); older archives "
                       "are removed."),
        QStringLiteral("N"));
    const QCommandLineOption keepVersionDays(
        QStringLiteral("keep-versions-days"),
        QStringLiteral("Days every stored version of a server is kept, beside its last %1 "
                       "(default %2; 0: the last %1 only).")
            .arg(jexremote::kKeptVersions)
            .arg(jexremote::kDefaultKeepVersionDays),
        QStringLiteral("N"));
    const QCommandLineOption updates(
        QStringLiteral("max-updates-per-second"),
        QStringLiteral("Updates and reverts one operator may send a second, twice that at once "
                       "(default 10); more are refused."),
        QStringLiteral("N"));
    const QCommandLineOption history(
        QStringLiteral("max-history-per-second"),
        QStringLiteral("History requests one operator may send a second, twice that at once "
                       "(default 5); more are refused."),
        QStringLiteral("N"));
    const QCommandLineOption addOperator(
        QStringLiteral("add-operator"),
        QStringLiteral("Add an operator with a new token to --token-file, print the token and "
                       "exit."),
        QStringLiteral("NAME"));
    const QCommandLineOption superAdmin(
        QStringLiteral("super"),
        QStringLiteral("With --add-operator: a super-administrator (every privilege unless "
                       "--privileges says otherwise)."));
    const QCommandLineOption privileges(
        QStringLiteral("privileges"),
        QStringLiteral("With --add-operator: the privileges granted, of session, players, "
                       "dedicated, skins, novalogin, control (default none)."),
        QStringLiteral("a,b,..."));
    const QCommandLineOption removeOperator(
        QStringLiteral("remove-operator"),
        QStringLiteral("Remove an operator from --token-file and exit."), QStringLiteral("NAME"));
    const QCommandLineOption gamesFolder(
        QStringLiteral("games"),
        QStringLiteral("Folder of the game definitions (default %1).")
            .arg(jexremote::games::defaultGamesFolder()),
        QStringLiteral("DIR"));
    const QCommandLineOption setGame(
        QStringLiteral("set-game"),
        QStringLiteral("With --state-dir and --definition: bind the profile to a game and exit."),
        QStringLiteral("PROFILE"));
    const QCommandLineOption definition(
        QStringLiteral("definition"),
        QStringLiteral("With --set-game: the game definition's name, or none to unbind."),
        QStringLiteral("NAME"));
    const QCommandLineOption gamePort(
        QStringLiteral("game-port"),
        QStringLiteral("With --set-game: the port the game serves players on (default the "
                       "definition's)."),
        QStringLiteral("PORT"));
    parser.addOptions({listen, tokens, state, maxMessage, cert, key, insecure, auditDays,
                       keepVersionDays, updates, history, addOperator, superAdmin, privileges,
                       removeOperator, gamesFolder, setGame, definition, gamePort});
    parser.process(app);
    const QString games = parser.isSet(gamesFolder) ? parser.value(gamesFolder)
                                                    : jexremote::games::defaultGamesFolder();

    if (parser.isSet(setGame)) {
        if (!parser.isSet(state)) return Exit{QStringLiteral("--state-dir is required")};
        if (!parser.isSet(definition))
            return Exit{QStringLiteral("--definition is required with --set-game")};
        GameBindingChange change{parser.value(state), games, 0, parser.value(definition), 0};
        bool ok = false;
        change.profile = parser.value(setGame).toInt(&ok);
        if (!ok) return Exit{QStringLiteral("bad --set-game: give a profile number")};
        if (parser.isSet(gamePort)) {
            change.port = parser.value(gamePort).toInt(&ok);
            if (!ok || change.port < 1 || change.port > 65535)
                return Exit{QStringLiteral("bad --game-port: give 1 to 65535")};
        }
        return change;
    }
    if (parser.isSet(definition) || parser.isSet(gamePort))
        return Exit{QStringLiteral("--definition and --game-port go with --set-game")};

    if (parser.isSet(addOperator) || parser.isSet(removeOperator)) {
        if (parser.isSet(addOperator) == parser.isSet(removeOperator))
            return Exit{QStringLiteral("give --add-operator or --remove-operator, not both")};
        if (!parser.isSet(tokens)) return Exit{QStringLiteral("--token-file is required")};
        // An empty name would match every line that names no operator: the comments.
        if (parser.value(addOperator).isEmpty() && parser.value(removeOperator).isEmpty())
            return Exit{QStringLiteral("give the operator's name")};
        TokenFileChange change{parser.value(tokens), std::nullopt, parser.value(removeOperator)};
        if (parser.isSet(addOperator)) {
            jexremote::NewOperator who{parser.value(addOperator), parser.isSet(superAdmin), {}};
            if (parser.isSet(privileges))
                who.privileges = parser.value(privileges).split(u',', Qt::SkipEmptyParts);
            else if (who.superAdmin)
                who.privileges = jexremote::allPrivileges();
            change.add = who;
        }
        return change;
    }
    if (parser.isSet(superAdmin) || parser.isSet(privileges))
        return Exit{QStringLiteral("--super and --privileges go with --add-operator")};

    jexremote::RemoteOptions options;
    if (parser.isSet(listen) && !parseListen(parser.value(listen), options))
        return Exit{QStringLiteral("bad --listen: give ADDRESS:PORT")};
    if (!parser.isSet(state)) return Exit{QStringLiteral("--state-dir is required")};
    options.stateDir = parser.value(state);
    options.gamesFolder = games;
    options.tokenFile = parser.value(tokens);
    if (parser.isSet(maxMessage)) {
        bool ok = false;
        options.maxMessageBytes = parser.value(maxMessage).toLongLong(&ok);
        if (!ok || options.maxMessageBytes < 1024 || options.maxMessageBytes > (1 << 30))
            return Exit{QStringLiteral("bad --max-message: give 1024 to 1073741824 bytes")};
    }
    options.certFile = parser.value(cert);
    options.keyFile = parser.value(key);
    if (options.certFile.isEmpty() != options.keyFile.isEmpty())
        return Exit{QStringLiteral("--cert and --key go together")};
    options.insecure = parser.isSet(insecure);
    if (parser.isSet(auditDays)) {
        bool ok = false;
        options.auditDays = parser.value(auditDays).toInt(&ok);
        if (!ok || options.auditDays < jexremote::kMinAuditDays ||
            options.auditDays > jexremote::kMaxAuditDays)
            return Exit{QStringLiteral("bad --audit-days: give %1 to %2 days")
                            .arg(jexremote::kMinAuditDays)
                            .arg(jexremote::kMaxAuditDays)};
    }
    if (parser.isSet(keepVersionDays)) {
        bool ok = false;
        options.keepVersionDays = parser.value(keepVersionDays).toInt(&ok);
        if (!ok || options.keepVersionDays < 0 ||
            options.keepVersionDays > jexremote::kMaxKeepVersionDays)
            return Exit{QStringLiteral("bad --keep-versions-days: give 0 to %1 days")
                            .arg(jexremote::kMaxKeepVersionDays)};
    }
    if (parser.isSet(updates) && !parseRate(parser.value(updates), &options.updatesPerSecond))
        return Exit{QStringLiteral("bad --max-updates-per-second: give 0.1 to 10000")};
    if (parser.isSet(history) && !parseRate(parser.value(history), &options.historyPerSecond))
        return Exit{QStringLiteral("bad --max-history-per-second: give 0.1 to 10000")};
    return options;
}

// Prints the new token alone on standard output, the only time it is shown.
int changeTokenFile(const TokenFileChange& change) {
    QString error;
    if (change.add) {
        const auto token = jexremote::addOperator(change.path, *change.add, &error);
        if (token) {
            QTextStream(stdout) << *token << Qt::endl;
            QTextStream(stderr) << "jexremote: operator " << change.add->name << " added to "
                                << change.path << Qt::endl;
            return 0;
        }
    } else if (jexremote::removeOperator(change.path, change.remove, &error)) {
        QTextStream(stderr) << "jexremote: operator " << change.remove << " removed from "
                            << change.path << Qt::endl;
        return 0;
    }
    QTextStream(stderr) << "jexremote: " << error << Qt::endl;
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("jexremote"));
    QCoreApplication::setApplicationVersion(QStringLiteral(JEX_VERSION));
    jexremote::installLogPattern();

    const auto parsed = parseOptions(app);
    if (const auto* exit = std::get_if<Exit>(&parsed)) {
        QTextStream(stderr) << "jexremote: " << exit->text << Qt::endl;
        return 2;
    }
    if (const auto* change = std::get_if<TokenFileChange>(&parsed)) return changeTokenFile(*change);
    if (const auto* binding = std::get_if<GameBindingChange>(&parsed)) {
        QTextStream out(stdout);
        QTextStream err(stderr);
        return jexremote::games::setGame(binding->stateDir, binding->gamesFolder, binding->profile,
                                         binding->definition, binding->port, out, err);
    }
    const auto& options = std::get<jexremote::RemoteOptions>(parsed);
    jexremote::RemoteService service(options);
    QString error;
    if (!service.start(&error)) {
        QTextStream(stderr) << "jexremote: " << error << Qt::endl;
        return 1;
    }
    QTextStream out(stdout);
    if (service.createdTokenFile())
        out << "jexremote: token file " << QDir::toNativeSeparators(service.tokenFile())
            << Qt::endl;
    out << "jexremote: listening on " << service.url().toString() << Qt::endl;
    const jexremote::HangupSignal hangup(
        [&service] { service.readOperatorsAgain(QStringLiteral("SIGHUP")); });
    return app.exec();
}
