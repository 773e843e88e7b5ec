// The console's fleet menu items as the operator reaches them.
#include <QDir>
#include <QFileDialog>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

#include "host/fleet_ui/fleet_actions.h"
#include "host/fleet_ui/fleet_dialog.h"
#include "host/servers_ui/server_list_panel.h"
#include "host_fixture.h"
#include "support/modal_driver.h"

namespace {

// The panel's Save names a preset as typed, with no extension added: Apply
// preset to servers... looks where it saves and shows such a file.
TEST(FleetActions, ApplyPresetOpensWherePresetsAreSavedAndShowsOnesWithoutAnExtension) {
    jextest::TempHost host;
    jextest::ModalDriver driver;
    jextest::prepareHostRoot(host);
    host.write("profiles/0/settings/mine", "[Server]\nPlayers=15\n");
    jexhost::HostSession session{{}};
    QString error;
    ASSERT_TRUE(session.start(&error)) << error.toStdString();
    jextest::ShownConsole console(session);
    ASSERT_TRUE(console.open("Delta Force lobby"));
    console.window().serverList()->selectServer(console.idOf("NovaWorld affiliate"));

    QString folder;
    bool shown = false;
    driver.onFileDialog = [&](QFileDialog* dialog) {
        folder = dialog->directory().absolutePath();
        const QString filter = dialog->selectedNameFilter();
        const QString patterns = filter.section(u'(', 1).section(u')', 0, 0);
        shown = QDir::match(patterns.split(u' '), QStringLiteral("mine"));
        jextest::ModalDriver::choose(host.path("profiles/0/settings/mine"))(dialog);
    };
    jexhost::fleet_ui::FleetDialog* dialog =
        console.window().findChild<jexhost::fleet_ui::FleetActions*>()->applyPreset();
    EXPECT_EQ(folder, QDir(host.path("profiles/0/settings")).absolutePath());
    EXPECT_TRUE(shown) << "a preset without an extension is listed";
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->chosenKeys(), QStringList{"Players"});
    dialog->close();
}

}  // namespace
