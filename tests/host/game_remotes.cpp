#include "game_remotes.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QUdpSocket>

#include <signal.h>

#include "remote/store/server_settings.h"
#include "remote/store/state_file.h"

namespace jextest {

namespace {

quint16 freeUdpPort() {
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    return probe.localPort();
}

// The game a remote's profile 0 runs, should one still run.
void killLeftGame(const QString& stateDir) {
    QFile run(stateDir + QStringLiteral("/games/profile-0/run.json"));
    if (!run.open(QIODevice::ReadOnly)) return;
    const qint64 pid =
        QJsonDocument::fromJson(run.read(65536)).object().value(QStringLiteral("pid")).toInteger();
    if (pid <= 1) return;
    ::kill(pid_t(-pid), SIGKILL);  // its process group: the game runs in a session of its own
    ::kill(pid_t(pid), SIGKILL);
}

}  // namespace

bool teeworldsInstalled() {
    return QFile::exists(QStringLiteral("/usr/games/teeworlds-server"));
}

GameRemotes::GameRemotes(const TempHost& host, const QStringList& names)
    : host_(host), names_(names) {}

GameRemotes::~GameRemotes() {
    for (auto& process : processes_) process->kill();
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
        QProcess bind;
        bind.start(QStringLiteral(JEXREMOTE_PATH),
                   {"--state-dir", state, "--set-game", "0", "--definition", "teeworlds",
                    "--game-port", QString::number(freeUdpPort())});
        if (!bind.waitForFinished(kHostWaitMs) || bind.exitCode() != 0) {
            *error = QString::fromUtf8(bind.readAllStandardError() + bind.readAllStandardOutput());
            return false;
        }
        processes_.push_back(std::make_unique<RemoteProcess>(host_.path(name + ".tokens"), state));
        if (!processes_.back()->start()) {
            *error = QString::fromUtf8(processes_.back()->log());
            return false;
        }
    }
    return true;
}

QUrl GameRemotes::url(const QString& name) const {
    return processes_.at(size_t(names_.indexOf(name)))->url();
}

QByteArray GameRemotes::serversIni() const {
    QByteArray text;
    for (const QString& name : std::as_const(names_)) {
        const QByteArray remote = url(name).toString().toUtf8(), n = name.toUtf8();
        text += "[" + n + "]\nName=" + n + "\nGame=Delta Force,  V1.5.0.5\nRemote=" + remote +
                "\nTokenFile=" + n + ".token\nProfile=0\nTag=" + n + "0\n";
        text += "[" + n + "-guest]\nName=" + n +
                " guest\nGame=Delta Force,  V1.5.0.5\nRemote=" + remote + "\nTokenFile=" + n +
                "-guest.token\nProfile=0\nTag=" + n + "g\n";
    }
    return text;
}

}  // namespace jextest
