#pragma once
// The team that manages the hand-written server, and the remote side serving
// both, in-process or as its own program.

#include <QString>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "exchange/wire/request.h"
#include "hand_written_server.h"
#include "link/link_messages.h"
#include "link/privilege_names.h"
#include "remote/audit/settings_history.h"
#include "remote/remote_service.h"
#include "remote/server_manager.h"
#include "remote/store/server_store.h"
#include "remote_client.h"
#include "support/game_servers.h"
#include "support/remote_program.h"
#include "support/temp_host.h"

namespace jextest {

// A super-administrator.
inline jexlink::Welcome superAdmin() {
    return {QStringLiteral("root"), true, {}};
}

// An operator with every privilege but "Change Max Players".
inline jexlink::Welcome withoutMaxPlayers() {
    jexlink::Welcome who{QStringLiteral("lee"), false, {}};
    for (const char* name : jexlink::kPrivilegeNames)
        who.privileges.append(
            {QString::fromLatin1(name), QString(name) == "Change Max Players" ? 0 : 1});
    return who;
}

// The hand-written server as profile 0 of a store, with its history and manager.
struct ManagedServer {
    TempHost host;
    QString state = host.path(QStringLiteral("state"));
    jexremote::ServerStore store{state};
    jexremote::SettingsHistory history{store, state};
    jexremote::ServerManager manager{store, history};

    ManagedServer() {
        host.write(QStringLiteral("state/server-0.ini"), stateText());
        QString error;
        EXPECT_TRUE(store.open(&error) && history.open(&error)) << error.toStdString();
    }
    QString send(const QString& command, const QString& data,
                 const jexlink::Welcome& who = superAdmin(), int profile = 0) {
        return manager.answer(
            kdrsm::wire::requestText(command, QStringLiteral("t_1"), profile, data), who);
    }
};

inline QString fetchRequest(int profile = 0) {
    return kdrsm::wire::requestText(kdrsm::wire::kGetSettings, QStringLiteral("t"), profile, {});
}

inline QString updateRequest(const kdrsm::wire::UpdateBody& body, int profile = 0) {
    return kdrsm::wire::requestText(kdrsm::wire::kSetSettings, QStringLiteral("t"), profile,
                                    kdrsm::wire::joinUpdateBody(body));
}

// Whether the client is served the settings of a server named `name`.
inline bool serves(Client& client, const QString& name = QStringLiteral("Night Ops"),
                   int profile = 0) {
    return client.ask(fetchRequest(profile)).startsWith(base64(name) + u'|');
}

// root, a super-administrator, and lee, without "Change Max Players".
inline const QString kRootToken = QStringLiteral("root-token-0123456789abcdef");
inline const QString kLeeToken = QStringLiteral("lee-token-0123456789abcdef");
inline const QByteArray kRootLine = kRootToken.toUtf8() + " root 1 1 1 1 1 1\n";
inline const QByteArray kLeeLine = kLeeToken.toUtf8() + " lee 0 1 0 1 1 1\n";

// The token file below the host, readable by its owner alone; its path.
inline QString writeTokenFile(const TempHost& host, const QByteArray& text = kRootLine + kLeeLine) {
    return writeTokenFile(host.path(QStringLiteral("tokens")), text);
}

// The remote side in-process: stateText() as profile 0, the team's tokens
// unless others are given.
struct InProcessRemote {
    TempHost host;
    std::unique_ptr<jexremote::RemoteService> service;

    // `tune` changes the options before the start.
    explicit InProcessRemote(const std::function<void(jexremote::RemoteOptions&)>& tune = {},
                             const QByteArray& tokens = kRootLine + kLeeLine) {
        host.write(QStringLiteral("state/server-0.ini"), stateText());
        service =
            serveRemote(host.path(QStringLiteral("state")), writeTokenFile(host, tokens), tune);
    }
    QUrl url() const { return service->url(); }
};

}  // namespace jextest
