#pragma once
// What the tests around remote sides and real Teeworlds servers share: free
// ports, private token files, servers.ini sections, a remote side in this
// process, jexremote's command-line tools (when the including test program
// defines JEX_REMOTE_PROGRAM, the built jexremote), binding a profile to the
// shipped teeworlds definition and killing whatever game a test left running.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QUdpSocket>
#include <QUrl>

#include <gtest/gtest.h>
#include <signal.h>

#include <functional>
#include <memory>

#include "remote/remote_service.h"

namespace jextest {

inline quint16 freeUdpPort() {
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    return probe.localPort();
}

inline quint16 freeTcpPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

inline bool teeworldsInstalled() {
    return QFile::exists(QStringLiteral("/usr/games/teeworlds-server"));
}

// Writes `lines` to `path`, readable by its owner only; the path.
inline QString writeTokenFile(const QString& path, const QByteArray& lines) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(lines);
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

// One section of the console's servers.ini.
inline QByteArray serverSection(const QByteArray& id, const QByteArray& name, const QUrl& remote,
                                const QByteArray& tokenFile, const QByteArray& tag,
                                int profile = 0) {
    return "[" + id + "]\nName=" + name +
           "\nGame=Delta Force,  V1.5.0.5\nRemote=" + remote.toString().toUtf8() +
           "\nTokenFile=" + tokenFile + "\nProfile=" + QByteArray::number(profile) +
           "\nTag=" + tag + "\n";
}

#ifdef JEX_GAMES_SOURCE_DIR
// The text of the shipped Teeworlds definition.
inline QByteArray shippedTeeworlds() {
    QFile file(QStringLiteral(JEX_GAMES_SOURCE_DIR "/teeworlds.json"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
#endif

#ifdef JEX_REMOTE_PROGRAM
// jexremote with `options` run to its end: its exit status and what it wrote.
inline std::pair<int, QString> runRemoteTool(const QStringList& options, int waitMs = 30000) {
    QProcess tool;
    tool.start(QStringLiteral(JEX_REMOTE_PROGRAM), options);
    const bool ended = tool.waitForFinished(waitMs);
    return {ended ? tool.exitCode() : -1,
            QString::fromUtf8(tool.readAllStandardError() + tool.readAllStandardOutput())};
}

// Binds `profile` of the state folder to the teeworlds definition on `port`
// (a free one when 0); empty, or what went wrong.
inline QString bindTeeworlds(const QString& stateDir, int profile, quint16 port = 0) {
    const auto [code, said] = runRemoteTool(
        {"--state-dir", stateDir, "--set-game", QString::number(profile), "--definition",
         "teeworlds", "--game-port", QString::number(port ? port : freeUdpPort())});
    return code == 0 ? QString() : said;
}
#endif

// The remote side in this process over a state folder and a token file,
// started with the options `tune` sets.
inline std::unique_ptr<jexremote::RemoteService> serveRemote(
    const QString& stateDir, const QString& tokenFile,
    const std::function<void(jexremote::RemoteOptions&)>& tune = {}) {
    jexremote::RemoteOptions options;
    options.stateDir = stateDir;
    options.tokenFile = tokenFile;
    if (tune) tune(options);
    auto remote = std::make_unique<jexremote::RemoteService>(options);
    QString error;
    EXPECT_TRUE(remote->start(&error)) << error.toStdString();
    return remote;
}

// The game a profile of this state folder runs, should one still run.
inline void killLeftGame(const QString& stateDir, int profile = 0) {
    QFile run(stateDir + QStringLiteral("/games/profile-%1/run.json").arg(profile));
    if (!run.open(QIODevice::ReadOnly)) return;
    const qint64 pid =
        QJsonDocument::fromJson(run.read(65536)).object().value(QStringLiteral("pid")).toInteger();
    if (pid <= 1) return;
    ::kill(pid_t(-pid), SIGKILL);  // its process group: the game runs in a session of its own
    ::kill(pid_t(pid), SIGKILL);
}

}  // namespace jextest
