#include "remote/games/game_query.h"

#include <QRandomGenerator>

namespace jexremote::games {

namespace teeworlds07 {

namespace {

constexpr int kTokenRequestSize = 519;  // the game ignores shorter token requests
constexpr char kControlFlag = 0x04;
constexpr char kTokenMessage = 0x05;
constexpr char kConnectionless = 0x21;  // flag and protocol version 1
const QByteArray kInfoAsk("\xff\xff\xff\xffgie3", 8);
const QByteArray kInfoAnswer("\xff\xff\xff\xffinf3", 8);
constexpr int kMaxText = 256;    // longer than any text the game sends
constexpr int kMaxClients = 64;  // the most the game takes

QByteArray bigEndian(quint32 value) {
    QByteArray out(4, '\0');
    for (int i = 0; i < 4; ++i) out[i] = static_cast<char>(value >> (24 - 8 * i));
    return out;
}

std::optional<quint32> readBigEndian(const QByteArray& data, qsizetype at) {
    if (at < 0 || at + 4 > data.size()) return std::nullopt;
    quint32 value = 0;
    for (int i = 0; i < 4; ++i) value = value << 8 | static_cast<quint8>(data.at(at + i));
    return value;
}

// The game's packed whole number: 6 bits and a sign in the first byte, 7 bits
// in each further one, at most 5 bytes.
QByteArray packed(int value) {
    QByteArray out;
    quint32 rest = value < 0 ? ~static_cast<quint32>(value) : static_cast<quint32>(value);
    char first = static_cast<char>((value < 0 ? 0x40 : 0) | (rest & 0x3f));
    rest >>= 6;
    out += static_cast<char>(first | (rest ? 0x80 : 0));
    while (rest) {
        out += static_cast<char>((rest & 0x7f) | (rest >> 7 ? 0x80 : 0));
        rest >>= 7;
    }
    return out;
}

// Reads packed numbers and texts from an answer, never past its end.
class Reader {
public:
    Reader(const QByteArray& data, qsizetype at) : data_(data), at_(at) {}
    std::optional<int> number() {
        if (at_ >= data_.size()) return std::nullopt;
        const auto first = static_cast<quint8>(data_.at(at_++));
        quint32 value = first & 0x3f;
        bool more = first & 0x80;
        for (int shift = 6; more; shift += 7) {
            if (at_ >= data_.size() || shift > 27) return std::nullopt;
            const auto next = static_cast<quint8>(data_.at(at_++));
            value |= quint32(next & 0x7f) << shift;
            more = next & 0x80;
        }
        return static_cast<int>(first & 0x40 ? ~value : value);
    }
    std::optional<QString> text() {
        const qsizetype end = data_.indexOf('\0', at_);
        if (end < 0 || end - at_ > kMaxText) return std::nullopt;
        const QString out = QString::fromUtf8(data_.mid(at_, end - at_));
        at_ = end + 1;
        return out;
    }

private:
    const QByteArray& data_;
    qsizetype at_;
};

}  // namespace

QByteArray tokenRequest(quint32 ourToken) {
    QByteArray out = QByteArray("\x04\x00\x00\xff\xff\xff\xff\x05", 8) + bigEndian(ourToken);
    out.append(kTokenRequestSize - out.size(), '\0');
    return out;
}

std::optional<quint32> readToken(const QByteArray& datagram, quint32 ourToken) {
    if (datagram.size() < 12 || !(datagram.at(0) & kControlFlag) ||
        readBigEndian(datagram, 3) != ourToken || datagram.at(7) != kTokenMessage)
        return std::nullopt;
    return readBigEndian(datagram, 8);
}

QByteArray infoRequest(quint32 serverToken, quint32 ourToken, int requestToken) {
    return kConnectionless + bigEndian(serverToken) + bigEndian(ourToken) + kInfoAsk +
           packed(requestToken);
}

std::optional<QueryInfo> readInfo(const QByteArray& datagram, quint32 ourToken) {
    if (datagram.size() < 9 + kInfoAnswer.size() || datagram.at(0) != kConnectionless ||
        readBigEndian(datagram, 1) != ourToken ||
        datagram.mid(9, kInfoAnswer.size()) != kInfoAnswer)
        return std::nullopt;
    Reader read(datagram, 9 + kInfoAnswer.size());
    QueryInfo info;
    const auto requestToken = read.number();
    const auto version = read.text();
    const auto name = read.text();
    const auto hostName = read.text();
    const auto map = read.text();
    const auto gameType = read.text();
    const auto flags = read.number();
    const auto skill = read.number();
    const auto players = read.number();
    const auto playerSlots = read.number();
    const auto clients = read.number();
    const auto maxClients = read.number();
    if (!requestToken || !version || !name || !hostName || !map || !gameType || !flags || !skill ||
        !players || !playerSlots || !clients || !maxClients || *clients < 0 || *maxClients < 0 ||
        *clients > 1000 || *maxClients > 1000)
        return std::nullopt;
    info.name = *name;
    info.password = *flags & 1;
    info.players = *clients;
    info.maxPlayers = *maxClients;
    for (int i = 0; i < *clients && i < kMaxClients; ++i) {
        const auto clientName = read.text();
        const auto clan = read.text();
        const auto country = read.number();
        const auto score = read.number();
        const auto flag = read.number();
        if (!clientName || !clan || !country || !score || !flag) break;
        info.clients.append({*clientName, *clan, *score, (*flag & 1) != 0});
    }
    return info;
}

}  // namespace teeworlds07

namespace {
const QString kTeeworlds07 = QStringLiteral("teeworlds-0.7");
}

GameQuery::GameQuery(QString kind, quint16 port, QObject* parent)
    : QObject(parent),
      kind_(std::move(kind)),
      port_(port),
      ourToken_(QRandomGenerator::global()->generate()) {
    socket_.bind(QHostAddress::LocalHost, 0);
    connect(&socket_, &QUdpSocket::readyRead, this, &GameQuery::readDatagrams);
}

bool GameQuery::knows(const QString& kind) {
    return kind == kTeeworlds07;
}

void GameQuery::ask() {
    if (kind_ == kTeeworlds07)
        socket_.writeDatagram(teeworlds07::tokenRequest(ourToken_), QHostAddress::LocalHost, port_);
}

void GameQuery::readDatagrams() {
    // Bounded by what one read takes from the socket's queue; each is at most one datagram.
    for (int i = 0; i < 64 && socket_.hasPendingDatagrams(); ++i) {
        const qint64 size = socket_.pendingDatagramSize();
        QByteArray data(static_cast<int>(std::clamp<qint64>(size, 0, 65536)), '\0');
        QHostAddress from;
        quint16 fromPort = 0;
        const qint64 read = socket_.readDatagram(data.data(), data.size(), &from, &fromPort);
        if (read < 0 || fromPort != port_ || !from.isLoopback()) continue;
        data.truncate(static_cast<int>(read));
        if (const auto token = teeworlds07::readToken(data, ourToken_)) {
            socket_.writeDatagram(teeworlds07::infoRequest(*token, ourToken_, 1),
                                  QHostAddress::LocalHost, port_);
        } else if (const auto info = teeworlds07::readInfo(data, ourToken_)) {
            emit answered(*info);
        }
    }
}

}  // namespace jexremote::games
