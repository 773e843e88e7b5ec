#pragma once
// The game's own console over loopback TCP (Teeworlds' external console):
// it asks for the password, then takes one command per line and sends back
// its log lines. The manager uses it to stop the game politely, to hand it
// settings while it runs, and to pass an operator's command. Lines received
// are the game's raw output: whoever shows them masks them first.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTcpSocket>

namespace jexremote::games {

class GameConsole : public QObject {
    Q_OBJECT
public:
    GameConsole(quint16 port, QString password, QObject* parent = nullptr);
    // Closes a connection still open without telling anyone: the socket's own
    // end would otherwise call back into a console half torn down.
    ~GameConsole() override;

    // Connects to 127.0.0.1:port and logs in.
    void open();
    bool isReady() const { return ready_; }
    // Sends one line; false (nothing sent) before the login or for a line
    // with a control character in it.
    bool send(const QString& line);

signals:
    void ready();
    void received(const QString& line);
    // The console is gone, with the reason ("refused its password", ...).
    void closed(const QString& reason);

private:
    void readLines();
    void close(const QString& reason);

    quint16 port_;
    QString password_;
    QTcpSocket socket_;
    QByteArray buffer_;
    bool ready_ = false;
    bool passwordSent_ = false;
    bool closed_ = false;
};

}  // namespace jexremote::games
