// The server list as the window shows it (the link column) and the dialog
// that adds or edits one server.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QSpinBox>

#include <optional>
#include <ostream>

#include "host/servers/server_dialog.h"
#include "host/servers/server_list_model.h"
#include "support/temp_host.h"

namespace jexhost::servers {
void PrintTo(const ServerEntry& e, std::ostream* out) {
    *out << '[' << e.id.toStdString() << "] " << e.name.toStdString() << ", "
         << e.game.toStdString() << ", " << e.remote.toStdString() << ", "
         << e.tokenFile.toStdString() << ", " << e.profile << ", " << e.tag.toStdString();
}
}  // namespace jexhost::servers

namespace {

using jexhost::servers::LinkState;
using jexhost::servers::ServerEntry;
using jexhost::servers::ServerListModel;

const QList<ServerEntry> kTwoOnOneRemote{{"a", "Alpha", "G", "ws://r:1", "t", 0, "a"},
                                         {"b", "Bravo", "G", "ws://r:1", "t", 1, "b"},
                                         {"c", "Charlie", "G", "embedded", {}, 0, "c"}};

QString linkText(const ServerListModel& model, int row) {
    return model.index(row, ServerListModel::LinkColumn).data().toString();
}

struct LinkCase {
    const char* name;
    LinkState state;
    QString operatorName;
    QString shown;
};

class LinkColumn : public ::testing::TestWithParam<LinkCase> {};

// Links are per remote: both servers of ws://r:1 show the state, the
// embedded one keeps its own.
TEST_P(LinkColumn, ShowsTheRemotesState) {
    ServerListModel model;
    model.setServers(kTwoOnOneRemote);
    model.setRemoteLinkState("ws://r:1", GetParam().state, GetParam().operatorName);
    EXPECT_EQ(linkText(model, 0), GetParam().shown);
    EXPECT_EQ(linkText(model, 1), GetParam().shown);
    EXPECT_EQ(linkText(model, 2), "not connected");
}

const LinkCase kLinkCases[] = {
    {"Connecting", LinkState::Connecting, {}, "connecting"},
    {"WelcomedOperator", LinkState::Connected, "alice", "connected as alice"},
    {"UnreachableForgetsTheOperator", LinkState::Unreachable, "alice", "unreachable"},
    {"Refused", LinkState::Refused, {}, "refused"},
};

INSTANTIATE_TEST_SUITE_P(Servers, LinkColumn, ::testing::ValuesIn(kLinkCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ServerListModel, ANewListKeepsTheLinksOfServersStillOnTheirRemote) {
    ServerListModel model;
    model.setServers(kTwoOnOneRemote);
    model.setRemoteLinkState("ws://r:1", LinkState::Connected, "alice");
    QList<ServerEntry> edited = kTwoOnOneRemote;
    edited[0].name = "Alpha 2";         // renamed: same link
    edited[1].remote = "ws://other:2";  // moved: no link yet
    edited.removeAt(2);
    model.setServers(edited);
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.index(0, ServerListModel::NameColumn).data().toString(), "Alpha 2");
    EXPECT_EQ(model.index(1, ServerListModel::RemoteColumn).data().toString(),
              "ws://other:2, profile 1");
    EXPECT_EQ(linkText(model, 0), "connected as alice");
    EXPECT_EQ(linkText(model, 1), "not connected");
}

struct DialogCase {
    const char* name;
    QString remote;
    QString tokenFile;  // as typed; "secret" below the host root is owner-only, "open" is not
    QString tag;
    int profile;
    QString problem;                   // empty: accepted
    std::optional<QString> keptToken;  // the accepted entry's token file
};

class ServerDialogForm : public ::testing::TestWithParam<DialogCase> {};

TEST_P(ServerDialogForm, ChecksBeforeClosing) {
    const jextest::TempHost host;
    host.write("settings/secret", "0123456789abcdef0123");
    host.write("settings/open", "0123456789abcdef0123");
    QFile::setPermissions(host.path("settings/secret"), QFile::ReadOwner | QFile::WriteOwner);
    QFile::setPermissions(host.path("settings/open"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);

    jexhost::servers::ServerDialog dialog(nullptr, kTwoOnOneRemote, {"G"},
                                          host.path("settings/servers.ini"));
    dialog.show();
    dialog.findChild<QLineEdit*>("name")->setText("  Delta  ");
    dialog.findChild<QLineEdit*>("remote")->setText(GetParam().remote);
    dialog.findChild<QLineEdit*>("tokenFile")->setText(GetParam().tokenFile);
    dialog.findChild<QLineEdit*>("tag")->setText(GetParam().tag);
    dialog.findChild<QSpinBox*>("profile")->setValue(GetParam().profile);
    dialog.accept();

    const QString problem = GetParam().problem;
    EXPECT_EQ(dialog.problem(), QString(problem).replace("%1", host.root()));
    EXPECT_EQ(dialog.result() == QDialog::Accepted, problem.isEmpty());
    if (GetParam().keptToken) {
        const ServerEntry expected{{},
                                   "Delta",
                                   "G",
                                   GetParam().remote,
                                   *GetParam().keptToken,
                                   GetParam().profile,
                                   GetParam().tag};
        EXPECT_EQ(dialog.entry(), expected);
    }
}

// clang-format off
const DialogCase kDialogCases[] = {
    {"EmbeddedDropsATypedTokenFile", "embedded", "secret", "d", 0, {}, QString()},
    {"RemoteWithOwnerOnlyTokenFile", "wss://r:2", "secret", "d", 0, {}, "secret"},
    {"RemoteWithoutTokenFile", "ws://r:2", "", "d", 0,
     "Token file: needed for a ws:// or wss:// remote", {}},
    {"TokenFileMissing", "ws://r:2", "nothing", "d", 0,
     "Token file: no such file: %1/settings/nothing", {}},
    {"TokenFileReadableByOthers", "ws://r:2", "open", "d", 0,
     "Token file: %1/settings/open is readable by others; make it owner-only (chmod 600)", {}},
    {"NotARemote", "ftp://r", "", "d", 0,
     "Remote: neither \"embedded\" nor a ws:// or wss:// address", {}},
    {"TagAndProfileOfAnother", "embedded", "", "b", 1,
     "Tag: tag \"b\" with profile 1 is already used by [b]", {}},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Servers, ServerDialogForm, ::testing::ValuesIn(kDialogCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
