// The Teeworlds 0.7 query as packets: what we send, byte for byte, and what
// we take from an answer, with truncated, foreign and garbage ones taken as
// nothing.
#include <gtest/gtest.h>

#include "remote/games/game_query.h"

namespace {

namespace tw = jexremote::games::teeworlds07;
using jexremote::games::QueryInfo;

constexpr quint32 kOurs = 0x12345678;
const QByteArray kOursBytes("\x12\x34\x56\x78", 4);

QByteArray bytes(const char* text, int size) {
    return QByteArray(text, size);
}

TEST(GameQuery, RequestsAreTheGamesOwn) {
    const QByteArray token = tw::tokenRequest(kOurs);
    EXPECT_EQ(token.size(), 519);
    EXPECT_EQ(token.left(12), bytes("\x04\x00\x00\xff\xff\xff\xff\x05\x12\x34\x56\x78", 12));
    EXPECT_EQ(token.mid(12), QByteArray(507, '\0'));
    EXPECT_EQ(tw::infoRequest(0xaabbccdd, kOurs, 7),
              bytes("\x21\xaa\xbb\xcc\xdd\x12\x34\x56\x78\xff\xff\xff\xffgie3\x07", 18));
    EXPECT_EQ(tw::infoRequest(0xaabbccdd, kOurs, 100).right(2), bytes("\xa4\x01", 2));
}

TEST(GameQuery, TokenAnswers) {
    struct Row {
        const char* name;
        QByteArray datagram;
        std::optional<quint32> token;
    };
    const QByteArray whole = bytes("\x04\x00\x00\x12\x34\x56\x78\x05\xaa\xbb\xcc\xdd", 12);
    const QList<Row> rows = {
        {"whole", whole, 0xaabbccdd},
        {"padded", whole + QByteArray(507, '\0'), 0xaabbccdd},
        {"truncated", whole.left(11), std::nullopt},
        {"empty", {}, std::nullopt},
        {"for another asker", bytes("\x04\x00\x00\x12\x34\x56\x79\x05\xaa\xbb\xcc\xdd", 12),
         std::nullopt},
        {"not a control packet", bytes("\x00\x00\x00\x12\x34\x56\x78\x05\xaa\xbb\xcc\xdd", 12),
         std::nullopt},
        {"another control message", bytes("\x04\x00\x00\x12\x34\x56\x78\x04\xaa\xbb\xcc\xdd", 12),
         std::nullopt},
    };
    for (const Row& row : rows)
        EXPECT_EQ(tw::readToken(row.datagram, kOurs), row.token) << row.name;
}

TEST(GameQuery, InfoAnswers) {
    struct Row {
        const char* name;
        QByteArray datagram;
        std::optional<QueryInfo> info;
    };
    const QByteArray head = bytes("\x21\x12\x34\x56\x78\xaa\xbb\xcc\xdd\xff\xff\xff\xffinf3", 17);
    // request token 7, version, name, host name, map, game type
    const QByteArray texts = bytes(
        "\x07"
        "0.7.5\0Night Ops\0\0dm1\0DM\0",
        25);
    // flags (password), skill, players 2, slots 16, clients 3, most clients 64 (two bytes)
    const QByteArray numbers = bytes("\x01\x00\x02\x10\x03\x80\x01", 7);
    const QByteArray whole = head + texts + numbers;
    const QList<Row> rows = {
        {"whole", whole, QueryInfo{"Night Ops", true, 3, 64}},
        // name, clan, country, score, flag (1: a spectator); scores -3 and 130
        {"three clients listed",
         whole + bytes("tee\0\0\x05\x00\x01"
                       "Ann\0Red\0\x05\x42\x00"
                       "zed\0\0\x00\x82\x02\x00",
                       28),
         QueryInfo{"Night Ops",
                   true,
                   3,
                   64,
                   {{"tee", "", 0, true}, {"Ann", "Red", -3, false}, {"zed", "", 130, false}}}},
        {"a client cut short",
         whole + bytes("tee\0\0\x05\x00\x01"
                       "Ann\0Red\0\x05",
                       17),
         QueryInfo{"Night Ops", true, 3, 64, {{"tee", "", 0, true}}}},
        {"more clients listed than it counts",
         head + texts + bytes("\x00\x00\x01\x10\x01\x10", 6) + bytes("a\0\0\0\0\0b\0\0\0\0\0", 12),
         QueryInfo{"Night Ops", false, 1, 16, {{"a", "", 0, false}}}},
        {"no password, empty", head + texts + bytes("\x00\x00\x00\x10\x00\x10", 6),
         QueryInfo{"Night Ops", false, 0, 16}},
        {"truncated in the last number", whole.chopped(1), std::nullopt},
        {"truncated after the texts", head + texts, std::nullopt},
        {"truncated in a text", head + texts.left(8), std::nullopt},
        {"truncated in the head", head.left(12), std::nullopt},
        {"for another asker", bytes("\x21\x12\x34\x56\x79", 5) + whole.mid(5), std::nullopt},
        {"another answer kind", head.left(13) + "inf2" + texts + numbers, std::nullopt},
        {"a number that never ends",
         head + texts + bytes("\x01\x00\x02\x10\x03\xff\xff\xff\xff\xff\xff\x01", 12),
         std::nullopt},
        {"negative clients", head + texts + bytes("\x01\x00\x02\x10\x40\x10", 6), std::nullopt},
        {"garbage", QByteArray(600, '\xff'), std::nullopt},
        {"a text past its bound", head + "\x07" + QByteArray(300, 'a') + QByteArray(1, '\0'),
         std::nullopt},
    };
    for (const Row& row : rows) {
        const auto info = tw::readInfo(row.datagram, kOurs);
        EXPECT_EQ(info.has_value(), row.info.has_value()) << row.name;
        if (info && row.info) {
            EXPECT_EQ(info->name, row.info->name) << row.name;
            EXPECT_EQ(info->password, row.info->password) << row.name;
            EXPECT_EQ(info->players, row.info->players) << row.name;
            EXPECT_EQ(info->maxPlayers, row.info->maxPlayers) << row.name;
            EXPECT_TRUE(info->clients == row.info->clients) << row.name;
        }
    }
}

}  // namespace
