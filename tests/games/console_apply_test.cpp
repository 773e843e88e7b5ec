// An update handed to a game's console and read back, against a stand-in
// econ console that answers each bare variable as the row says: what the
// game holds differently, or not at all, is named with the setting.
#include <gtest/gtest.h>

#include <QHash>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>

#include "remote/games/console_apply.h"
#include "remote/games/game_console.h"
#include "support/printers.h"

namespace {

using namespace jexremote::games;
using jexlink::ApplyProblem;

// Logs in anyone, then answers a bare variable from `answers` ("" says nothing).
class StandInConsole : public QObject {
public:
    explicit StandInConsole(QHash<QString, QString> answers) : answers_(std::move(answers)) {
        server_.listen(QHostAddress::LocalHost);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* peer = server_.nextPendingConnection();
            peer->write("Enter password:\n");
            connect(peer, &QTcpSocket::readyRead, peer, [this, peer] {
                while (peer->canReadLine()) {
                    const QString line = QString::fromUtf8(peer->readLine()).trimmed();
                    if (!loggedIn_) {
                        loggedIn_ = true;
                        peer->write("Authentication successful.\n");
                    } else if (!line.contains(u' ') && !answers_.value(line).isEmpty()) {
                        peer->write("[00:00:00][Console]: " + answers_.value(line).toUtf8() + "\n");
                    }
                }
            });
        });
    }
    quint16 port() const { return server_.serverPort(); }

private:
    QTcpServer server_;
    QHash<QString, QString> answers_;
    bool loggedIn_ = false;
};

struct ApplyCase {
    const char* name;
    QHash<QString, QString> answers;
    QList<ApplyProblem> problems;
};

class ConsoleApplyRows : public ::testing::TestWithParam<ApplyCase> {};

TEST_P(ConsoleApplyRows, NamesWhatTheGameDoesNotHold) {
    StandInConsole game(GetParam().answers);
    GameConsole console(game.port(), QStringLiteral("pw"));
    console.open();
    LiveChange change;
    change.lines = {R"(sv_name "Lobby")", "sv_max_clients 70"};
    change.variables = {"sv_name", "sv_max_clients"};
    change.captions = {"Name", "Max Players"};
    change.expected = {"Lobby", "70"};
    ConsoleApply apply(console, change);
    QSignalSpy done(&apply, &ConsoleApply::done);
    apply.start();
    ASSERT_TRUE(done.wait(ConsoleApply::kConfirmMs + 10000));
    EXPECT_EQ(done.at(0).at(0).value<QList<ApplyProblem>>(), GetParam().problems);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, ConsoleApplyRows, ::testing::Values(
    ApplyCase{"Confirmed", {{"sv_name", "Value: Lobby"}, {"sv_max_clients", "Value: 70"}}, {}},
    ApplyCase{"Clamped", {{"sv_name", "Value: Lobby"}, {"sv_max_clients", "Value: 64"}},
              {{"Max Players", "sv_max_clients is 64 in the game, not 70"}}},
    ApplyCase{"TextNeverQuoted", {{"sv_name", "Value: Lob"}, {"sv_max_clients", "Value: 70"}},
              {{"Name", "sv_name holds another value in the game"}}},
    ApplyCase{"UnknownVariable",
              {{"sv_name", "No such command: sv_name."}, {"sv_max_clients", "Value: 70"}},
              {{"Name", "the game has no variable sv_name"}}},
    ApplyCase{"NeverConfirmed", {{"sv_name", "Value: Lobby"}},
              {{"Max Players", "the game did not confirm it in time"}}}),
    [](const auto& info) { return info.param.name; });
// clang-format on

}  // namespace
