#include "game_remotes.h"

#include <QDir>

#include "remote/store/server_settings.h"
#include "remote/store/state_file.h"
#include "support/game_servers.h"

namespace jextest {

GameRemotes::GameRemotes(const TempHost& host, const QStringList& names)
    : host_(host), names_(names) {}

GameRemotes::~GameRemotes() {
    for (auto& process : processes_) process->stop();
    for (const QString& name : std::as_const(names_)) killLeftGame(host_.path(name + "-state"));
}

bool GameRemotes::start(QString* error) {
    for (const QString& name : std::as_const(names_)) {
        const QString state = host_.path(name + "-state");
        QDir().mkpath(state);
        if (!jexremote::writeStateFile(state + "/server-0.ini", jexremote::defaultSettings(),
                                       error))
            return false;
        writeTokenFile(host_.path(name + ".tokens"),
                       name.toUtf8() + "-root-0123456789abcdef root 1 1 1 1 1 1\n" + name.toUtf8() +
                           "-guest-0123456789abcdef guest 0 1 1 1 1 1 0\n");
        writeTokenFile(host_.path("settings/" + name + ".token"),
                       name.toUtf8() + "-root-0123456789abcdef\n");
        writeTokenFile(host_.path("settings/" + name + "-guest.token"),
                       name.toUtf8() + "-guest-0123456789abcdef\n");
        if (*error = bindTeeworlds(state, 0); !error->isEmpty()) return false;
        processes_.push_back(std::make_unique<RemoteProcess>(host_.path(name + ".tokens"), state));
        if (!processes_.back()->start()) {
            *error = processes_.back()->log();
            return false;
        }
    }
    return true;
}

QUrl GameRemotes::url(const QString& name) const {
    return processes_.at(size_t(names_.indexOf(name)))->url;
}

QByteArray GameRemotes::serversIni() const {
    QByteArray text;
    for (const QString& name : std::as_const(names_)) {
        const QByteArray n = name.toUtf8();
        text += serverSection(n, n, url(name), n + ".token", n + "0") +
                serverSection(n + "-guest", n + " guest", url(name), n + "-guest.token", n + "g");
    }
    return text;
}

}  // namespace jextest
