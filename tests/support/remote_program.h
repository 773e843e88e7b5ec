#pragma once
// jexremote as its own process, started again on the same options at will.
// The including test program defines JEX_REMOTE_PROGRAM, the built jexremote.

#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

#include "support/game_servers.h"

namespace jextest {

struct RemoteProgram {
    static constexpr int kWaitMs = 8000;  // upper bound only
    QProcess process;
    QUrl url;             // where it says it listens; empty until then
    QStringList options;  // of the last start

    // Whether it started and said where it listens.
    bool start(const QStringList& with) {
        options = with;
        return start();
    }
    bool start() {
        (void)log();  // what the run before wrote
        url = QUrl();
        process.start(QStringLiteral(JEX_REMOTE_PROGRAM), options);
        QByteArray out;
        while (process.waitForReadyRead(kWaitMs)) {
            out += process.readAllStandardOutput();
            const auto found = QRegularExpression(QStringLiteral("listening on (\\S+)\n"))
                                   .match(QString::fromUtf8(out));
            if (found.hasMatch()) {
                url = QUrl(found.captured(1));
                return true;
            }
        }
        return false;
    }
    // Everything it wrote to its log, over every start.
    QString log() {
        if (process.isOpen()) log_ += QString::fromUtf8(process.readAllStandardError());
        return log_;
    }
    // Stops it; its log.
    QString stop() {
        process.kill();
        process.waitForFinished(kWaitMs);
        return log();
    }
    ~RemoteProgram() { stop(); }

private:
    QString log_;
};

// jexremote on a fixed loopback port, so that a restart finds it where the host expects it.
struct RemoteProcess : RemoteProgram {
    RemoteProcess(const QString& tokenFile, const QString& stateDir) {
        options = {
            QStringLiteral("--listen"),     QStringLiteral("127.0.0.1:%1").arg(freeTcpPort()),
            QStringLiteral("--token-file"), tokenFile,
            QStringLiteral("--state-dir"),  stateDir};
    }
};

}  // namespace jextest
