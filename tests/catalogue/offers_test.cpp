// What the catalogue offers the host: panels by game, "Server" menu entries
// and help files.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "catalogue_fixture.h"
#include "host/catalogue/catalogue.h"
#include "support/printers.h"

namespace {

using namespace jexhost::catalogue;

struct GameRow {
    const char* name;
    QString game;
    bool hasInterface;
    QString otherGame;  // served by a second plug-in, when not empty
    QString offered;    // the plug-in offered; empty for none
    QString why;        // when none is offered
};

class GameOffer : public testing::TestWithParam<GameRow> {};

TEST_P(GameOffer, OffersThePluginAGameNamesAndSaysWhyWhenNone) {
    const GameRow& row = GetParam();
    Descriptor descriptor = cattest::panelDescriptor();
    descriptor.hasInterface = row.hasInterface;
    Catalogue catalogue;
    catalogue.add("/c/panel.so", "panel.clsPlugin", "1.0.0", descriptor);
    if (!row.otherGame.isEmpty()) {
        Descriptor other = cattest::panelDescriptor();
        other.name = "Other Panel";
        other.games = {row.otherGame};
        catalogue.add("/c/other.so", "other.clsPlugin", "1.0.0", other);
    }

    const QList<PanelOffer> offers = catalogue.offersFor(row.game);
    QStringList names;
    for (const PanelOffer& offer : offers) names << offer.name();
    EXPECT_EQ(names.join(", "), row.offered);
    if (offers.isEmpty()) {
        EXPECT_EQ(catalogue.noOfferText(row.game), row.why);
    }
}

const QString kBothGames =
    R"("Delta Force,  V1.5.0.5", "Delta Force, NovaWorld Affiliate Server V1.5.0.11A")";

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Catalogue, GameOffer,
    testing::Values(
        GameRow{"FirstGameTwoBlanks", "Delta Force,  V1.5.0.5", true, {}, "Test Panel", {}},
        GameRow{"SecondGame", cattest::kSecondGame, true, {}, "Test Panel", {}},
        GameRow{"OneBlankOnly", "Delta Force, V1.5.0.5", true, {}, "Test Panel", {}},
        GameRow{"OtherCase", "delta force,  v1.5.0.5", true, {}, "Test Panel", {}},
        GameRow{"TrailingBlank", "Delta Force,  V1.5.0.5 ", true, {}, "Test Panel", {}},
        GameRow{"NameWithoutVersion", "Delta Force", true, {}, "Test Panel", {}},
        GameRow{"ExactEntryOfTwoPlugins", "Delta Force,  V1.5.0.5", true, "Delta Force,  V1.5.0.5", "Test Panel, Other Panel", {}},
        GameRow{"WholeNameBeforeAStart", "delta  force", true, "Delta Force", "Other Panel", {}},
        GameRow{"NameOfTwoPluginsGames", "Delta Force", true, "Delta Force 2", {},
                R"(Delta Force names the games of more than one plug-in: "Delta Force,  V1.5.0.5", "Delta Force, NovaWorld Affiliate Server V1.5.0.11A", "Delta Force 2")"},
        GameRow{"PartOfAWord", "Delta Fo", true, {}, {}, "no plug-in serves Delta Fo; the plug-ins found serve " + kBothGames},
        GameRow{"UnknownGame", "Quake", true, {}, {}, "no plug-in serves Quake; the plug-ins found serve " + kBothGames},
        GameRow{"NoGame", "", true, {}, {}, "no plug-in serves ; the plug-ins found serve " + kBothGames},
        GameRow{"NoPanelToOffer", "Delta Force,  V1.5.0.5", false, {}, {},
                "no plug-in serves Delta Force,  V1.5.0.5: no plug-in with a panel was found"}),
    [](const auto& info) { return info.param.name; });
// clang-format on

struct MenuRow {
    const char* name;
    bool serverMenu;
    QStringList items;
    QStringList expected;
};

class ServerMenu : public testing::TestWithParam<MenuRow> {};

TEST_P(ServerMenu, ListsTheNonEmptyItemsOfAServerMenuPlugin) {
    const MenuRow& row = GetParam();
    Descriptor descriptor = cattest::panelDescriptor();
    descriptor.serverMenu = row.serverMenu;
    descriptor.serverMenuItems = row.items;
    descriptor.profileMenu = true;  // other menus never reach the "Server" menu
    descriptor.profileMenuItems = {QStringLiteral("Profile")};
    Catalogue catalogue;
    catalogue.add("/c/panel.so", "panel.clsPlugin", "1.0.0", descriptor);

    QStringList texts;
    for (const MenuItem& item : catalogue.serverMenu()) {
        EXPECT_EQ(item.progId, "panel.clsPlugin");
        texts << item.text;
    }
    EXPECT_EQ(texts, row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Catalogue, ServerMenu,
    testing::Values(MenuRow{"PanelsOwnItems", true, {"Server", ""}, {"Server"}},
                    MenuRow{
                        "EmptyBetweenAndFirst", true, {"", "Start", "", "Stop"}, {"Start", "Stop"}},
                    MenuRow{"OnlyEmptyItems", true, {"", ""}, {}},
                    MenuRow{"ServerMenuFalse", false, {"Server"}, {}}),
    [](const auto& info) { return info.param.name; });

struct HelpRow {
    const char* name;
    QString helpFile;
    bool createBeside;
    bool exists;
    QString note;  // %1 stands for the library's folder
};

class Help : public testing::TestWithParam<HelpRow> {};

TEST_P(Help, IsLookedForBesideTheLibrary) {
    const HelpRow& row = GetParam();
    const QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    if (row.createBeside) {
        QFile file(folder.filePath(row.helpFile));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    Descriptor descriptor = cattest::panelDescriptor();
    descriptor.helpFile = row.helpFile;
    Catalogue catalogue;
    catalogue.add(folder.filePath("panel.so"), "panel.clsPlugin", "1.0.0", descriptor);

    const QList<HelpFile> help = catalogue.helpFiles();
    if (row.helpFile.isEmpty()) {
        EXPECT_TRUE(help.isEmpty());
        return;
    }
    ASSERT_EQ(help.size(), 1);
    EXPECT_EQ(help[0].plugin, "Test Panel");
    EXPECT_EQ(help[0].exists, row.exists);
    EXPECT_EQ(help[0].note, QString(row.note).replace("%1", folder.path()));
    if (row.exists) {
        EXPECT_EQ(help[0].path, folder.path() + "/" + row.helpFile);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Catalogue, Help,
    // clang-format off
    testing::Values(HelpRow{"Present", "panel_help.chm", true, true, ""},
                    HelpRow{"Missing", "panel_help.chm", false, false, "The help file panel_help.chm was not found beside panel.so in %1."},
                    HelpRow{"OtherFolder", "../panel_help.chm", false, false, "The help file name \"../panel_help.chm\" is not a plain file name."},
                    HelpRow{"None", "", false, false, ""}),
    [](const auto& info) { return info.param.name; });
// clang-format on

}  // namespace
