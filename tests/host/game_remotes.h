#pragma once
// Real game servers behind real jexremote processes for the console's game
// tests: each remote serves profile 0 bound to the teeworlds definition on a
// free port, knows a super-administrator and a guest without the control of
// game servers, and kills at the end whatever game a test left running.

#include <QString>

#include <memory>
#include <vector>

#include "host_fixture.h"
#include "support/temp_host.h"

namespace jextest {

class GameRemotes {
public:
    // One remote per name, its files below `host`: NAME-state, NAME.tokens, and
    // settings/NAME.token (the super-administrator's) and settings/NAME-guest.token.
    GameRemotes(const TempHost& host, const QStringList& names);
    ~GameRemotes();
    // False, with what went wrong, when a remote could not be bound or started.
    bool start(QString* error);
    QUrl url(const QString& name) const;
    // servers.ini sections for each remote: "NAME" (as root) and "NAME guest".
    QByteArray serversIni() const;

private:
    const TempHost& host_;
    QStringList names_;
    std::vector<std::unique_ptr<RemoteProcess>> processes_;
};

}  // namespace jextest
