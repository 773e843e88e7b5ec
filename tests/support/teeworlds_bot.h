#pragma once
// Players on a real Teeworlds server for the game tests: scripts/tw_bot.py
// joins the game on loopback under the names given and stays until this goes.

#include <QProcess>
#include <QStringList>

namespace jextest {

class TeeworldsBot {
public:
    ~TeeworldsBot();
    // Joins the game on UDP `port` as `names` (one clan for all, the server's
    // join password if it has one); false, with what the script said, when
    // not every one is listed by the game in time.
    bool join(quint16 port, const QStringList& names, const QString& clan, QString* error,
              const QString& password = {});

private:
    QProcess process_;
};

}  // namespace jextest
