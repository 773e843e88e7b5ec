// The server list as the window shows it (the link column) and the dialog
// that adds or edits one server.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <optional>
#include <ostream>

#include "host/servers/server_list_model.h"
#include "host/servers_ui/server_dialog.h"
#include "host/servers_ui/server_list_panel.h"
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
using jexhost::servers::LinkStatus;
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
    LinkStatus status;
    QString shown;
    QString tip;
};

class LinkColumn : public ::testing::TestWithParam<LinkCase> {};

// Each server shows its own link's state; the other server keeps its own.
TEST_P(LinkColumn, ShowsTheLinksState) {
    ServerListModel model;
    model.setServers(kTwoOnOneRemote);
    model.setLinkStatus("a", GetParam().status);
    EXPECT_EQ(linkText(model, 0), GetParam().shown);
    EXPECT_EQ(model.index(0, ServerListModel::LinkColumn).data(Qt::ToolTipRole).toString(),
              GetParam().tip);
    EXPECT_EQ(linkText(model, 1), "not connected");
}

const QDateTime kTen = QDateTime(QDate(2026, 12, 6), QTime(10, 4, 5));

LinkStatus link(LinkState state, const QString& operatorName = {}, const QString& detail = {},
                const QDateTime& since = {}, const QDateTime& nextTry = {}) {
    return {state, operatorName, detail, since, nextTry};
}

// clang-format off
const LinkCase kLinkCases[] = {
    {"Connecting", link(LinkState::Connecting), "connecting", "connecting"},
    {"WelcomedOperator", link(LinkState::Connected, "alice"), "connected as alice",
     "connected as alice"},
    {"UnreachableWithItsTimes", link(LinkState::Unreachable, "alice", {}, kTen, kTen.addSecs(5)),
     "unreachable since 10:04:05, next try 10:04:10",
     "unreachable since 10:04:05, next try 10:04:10"},
    {"RefusedNamesTheRemoteInTheTip", link(LinkState::Refused, {}, "ws://r:1", kTen, kTen.addSecs(2)),
     "token refused, next try 10:04:07", "token refused, next try 10:04:07\nws://r:1"},
    {"TimedOut", link(LinkState::TimedOut, {}, {}, kTen, kTen.addMSecs(250)),
     "timed out, next try 10:04:05", "timed out, next try 10:04:05"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Servers, LinkColumn, ::testing::ValuesIn(kLinkCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ServerListModel, ANewListKeepsTheLinksOfServersStillOnTheirRemote) {
    ServerListModel model;
    model.setServers(kTwoOnOneRemote);
    for (const char* id : {"a", "b", "c"})
        model.setLinkStatus(id, link(LinkState::Connected, "alice"));
    QList<ServerEntry> edited = kTwoOnOneRemote;
    edited[0].name = "Alpha 2";         // renamed: same link
    edited[1].remote = "ws://other:2";  // moved: no link yet
    edited[2].tokenFile = "other";      // another token: another link
    model.setServers(edited);
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.index(0, ServerListModel::NameColumn).data().toString(), "Alpha 2");
    EXPECT_EQ(model.index(1, ServerListModel::RemoteColumn).data().toString(),
              "ws://other:2, profile 1");
    EXPECT_EQ(linkText(model, 0), "connected as alice");
    EXPECT_EQ(linkText(model, 1), "not connected");
    EXPECT_EQ(linkText(model, 2), "not connected");
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
    dialog.setEmbeddedProfiles({0, 1});
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
    if (const DialogCase& c = GetParam(); c.keptToken) {
        EXPECT_EQ(dialog.entry(),
                  (ServerEntry{{}, "Delta", "G", c.remote, *c.keptToken, c.profile, c.tag}));
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
    {"EmptyTag", "embedded", "", "", 0, "Tag: empty", {}},
    {"PortOutOfRange", "ws://r:70000", "secret", "d", 0,
     "Remote: port \"70000\" is not a port number (1 to 65535)", {}},
    {"PortNotANumber", "wss://[::1]:http", "secret", "d", 0,
     "Remote: port \"http\" is not a port number (1 to 65535)", {}},
    {"EmbeddedProfileNotServedYet", "embedded", "", "d", 5,
     "Profile: the console's own remote side does not serve profile 5 now; it will after "
     "jexhost starts again. OK keeps it.", {}},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Servers, ServerDialogForm, ::testing::ValuesIn(kDialogCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct KeyCase {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    QString opened;  // the title of the dialog the key opens
};

class ListKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(ListKeys, OpenTheirDialogFromTheList) {
    const jextest::TempHost host;
    host.write("settings/servers.ini",
               "[a]\nName=Alpha\nGame=G\nRemote=embedded\nProfile=0\nTag=a\n");
    ServerListModel model;
    model.setServers({{"a", "Alpha", "G", "embedded", {}, 0, "a"}});
    jexhost::servers::ServerListPanel panel(&model, host.path("settings/servers.ini"));
    panel.show();
    panel.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
    panel.selectServer("a");
    panel.view()->setFocus();

    QString opened;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        opened = dialog->windowTitle();
        dialog->done(QMessageBox::Cancel);
    });
    closer.start(5);
    QTest::keyClick(panel.view(), GetParam().key, GetParam().modifiers);
    EXPECT_EQ(opened, GetParam().opened);
    EXPECT_EQ(model.rowCount(), 1) << "nothing changed without an OK";
}

INSTANTIATE_TEST_SUITE_P(
    Servers, ListKeys,
    ::testing::Values(KeyCase{"DeleteRemoves", Qt::Key_Delete, Qt::NoModifier, "Remove server"},
                      KeyCase{"F2Edits", Qt::Key_F2, Qt::NoModifier, "Edit server"},
                      KeyCase{"CtrlNAdds", Qt::Key_N, Qt::ControlModifier, "Add server"}),
    [](const auto& info) { return std::string(info.param.name); });

struct FilterCase {
    const char* name;
    QString text;
    int sortColumn;     // a header clicked, -1 for none
    QStringList shown;  // ids, in the order the view shows them
    QString count;      // under the list, with every shown row selected
};

class ListFilter : public ::testing::TestWithParam<FilterCase> {};

// The box narrows the list and a header sorts it; what is selected then is
// what is shown, and the line under the list counts both.
TEST_P(ListFilter, NarrowsSortsAndCountsTheList) {
    ServerListModel model;
    model.setServers({{"a", "Alpha", "Delta Force", "ws://r:4711", "t", 0, "a"},
                      {"c", "Charlie", "Delta Force", "embedded", {}, 0, "c"},
                      {"b", "Bravo", "NovaWorld", "ws://r:4711", "t", 1, "b"}});
    model.setLinkStatus("a", {LinkState::Connected, "ann", {}, {}, {}});
    model.setLinkStatus("b", {LinkState::Unreachable, {}, {}, {}, {}});
    jexhost::servers::ServerListPanel panel(&model, QString());
    panel.filterBox()->setText(GetParam().text);
    if (GetParam().sortColumn >= 0) {
        QHeaderView* header = panel.view()->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(GetParam().sortColumn) + 5, 5));
    }
    panel.view()->selectAll();
    QStringList shown;
    for (int row = 0; row < panel.view()->model()->rowCount(); ++row)
        shown << panel.view()->model()->index(row, 0).data(ServerListModel::IdRole).toString();
    EXPECT_EQ(shown, GetParam().shown);
    EXPECT_EQ(panel.count()->text(), GetParam().count);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Servers, ListFilter, ::testing::Values(
    FilterCase{"Empty", "", -1, {"a", "c", "b"}, "3 servers, 3 selected"},
    FilterCase{"NameInAnyCase", "BRA", -1, {"b"}, "1 of 3 servers shown, 1 selected"},
    FilterCase{"Game", "delta", -1, {"a", "c"}, "2 of 3 servers shown, 2 selected"},
    FilterCase{"RemoteAndProfile", "embedded profile 0", -1, {"c"}, "1 of 3 servers shown, 1 selected"},
    FilterCase{"State", "unreachable", -1, {"b"}, "1 of 3 servers shown, 1 selected"},
    FilterCase{"Operator", "ann", -1, {"a"}, "1 of 3 servers shown, 1 selected"},
    FilterCase{"EveryWordMustMatch", "delta ws://", -1, {"a"}, "1 of 3 servers shown, 1 selected"},
    FilterCase{"PortFromItsStart", "47", -1, {"a", "b"}, "2 of 3 servers shown, 2 selected"},
    FilterCase{"NoDigitsInsideAPort", "71", -1, {}, "0 of 3 servers shown"},
    FilterCase{"NoLettersInsideAWord", "ta", -1, {}, "0 of 3 servers shown"},
    FilterCase{"SortedByName", "", ServerListModel::NameColumn, {"a", "b", "c"}, "3 servers, 3 selected"},
    FilterCase{"SortedByRemoteWhileFiltered", "delta", ServerListModel::RemoteColumn, {"c", "a"}, "2 of 3 servers shown, 2 selected"},
    FilterCase{"NoMatch", "zulu", -1, {}, "0 of 3 servers shown"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

}  // namespace
