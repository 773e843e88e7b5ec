#include "remote/games/game_console.h"

#include <QHostAddress>

namespace jexremote::games {

namespace {

constexpr qsizetype kMaxUnendedLine = 64 * 1024;

}  // namespace

GameConsole::GameConsole(quint16 port, QString password, QObject* parent)
    : QObject(parent), port_(port), password_(std::move(password)) {
    connect(&socket_, &QTcpSocket::readyRead, this, &GameConsole::readLines);
    connect(&socket_, &QTcpSocket::disconnected, this,
            [this] { close(QStringLiteral("the game closed its console")); });
    connect(&socket_, &QTcpSocket::errorOccurred, this, [this] {
        close(QStringLiteral("the game's console cannot be reached: ") + socket_.errorString());
    });
}

GameConsole::~GameConsole() {
    socket_.disconnect(this);
    socket_.abort();
}

void GameConsole::open() {
    closed_ = false;
    socket_.connectToHost(QHostAddress::LocalHost, port_);
}

bool GameConsole::send(const QString& line) {
    if (!ready_) return false;
    for (const QChar c : line)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) return false;
    socket_.write(line.toUtf8() + '\n');
    return true;
}

void GameConsole::readLines() {
    buffer_ += socket_.readAll();
    buffer_.replace('\0', "");
    for (qsizetype end = buffer_.indexOf('\n'); end >= 0; end = buffer_.indexOf('\n')) {
        QByteArray bytes = buffer_.left(end);
        buffer_.remove(0, end + 1);
        if (bytes.endsWith('\r')) bytes.chop(1);
        const QString line = QString::fromUtf8(bytes).trimmed();
        if (!ready_) {
            if (line.startsWith(u"Enter password") && !passwordSent_) {
                socket_.write(password_.toUtf8() + '\n');
                passwordSent_ = true;
            } else if (line.startsWith(u"Authentication successful")) {
                ready_ = true;
                emit ready();
            } else if (line.startsWith(u"Wrong password")) {
                close(QStringLiteral("the game's console refused its password"));
                return;
            }
            continue;
        }
        if (!line.isEmpty()) emit received(line);
    }
    // "Enter password:" comes without a line break.
    if (!ready_ && !passwordSent_ && buffer_.trimmed().startsWith("Enter password")) {
        buffer_.clear();
        socket_.write(password_.toUtf8() + '\n');
        passwordSent_ = true;
    }
    if (buffer_.size() > kMaxUnendedLine)
        close(QStringLiteral("the game's console sent a line too long"));
}

void GameConsole::close(const QString& reason) {
    if (closed_) return;
    closed_ = true;
    ready_ = false;
    passwordSent_ = false;
    buffer_.clear();
    socket_.abort();
    emit closed(reason);
}

}  // namespace jexremote::games
