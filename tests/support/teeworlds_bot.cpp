#include "support/teeworlds_bot.h"

#include <QTest>

namespace jextest {

namespace {
constexpr int kJoinWaitMs = 30000;  // upper bound only
}

TeeworldsBot::~TeeworldsBot() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.terminate();  // the players leave with a disconnect
    if (!process_.waitForFinished(10000)) {
        process_.kill();
        process_.waitForFinished(10000);
    }
}

bool TeeworldsBot::join(quint16 port, const QStringList& names, const QString& clan, QString* error,
                        const QString& password) {
    QStringList arguments{QStringLiteral(JEX_SOURCE_DIR "/scripts/tw_bot.py"),
                          QStringLiteral("--port"), QString::number(port), QStringLiteral("--clan"),
                          clan};
    for (const QString& name : names) arguments << QStringLiteral("--name") << name;
    // Through the environment: a command line is anyone's to read.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TW_BOT_PASSWORD"), password);
    process_.setProcessEnvironment(environment);
    process_.start(QStringLiteral("python3"), arguments);
    QByteArray said;
    const bool joined = QTest::qWaitFor(
        [&] {
            said += process_.readAllStandardOutput();
            return said.count("joined ") == names.size() ||
                   process_.state() == QProcess::NotRunning;
        },
        kJoinWaitMs);
    if (joined && said.count("joined ") == names.size()) return true;
    *error = QString::fromUtf8(said + process_.readAllStandardError());
    return false;
}

}  // namespace jextest
