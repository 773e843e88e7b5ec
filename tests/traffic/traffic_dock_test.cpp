// The traffic dock shows the selected update's changes and fields and saves
// its table through the real file dialog.
#include <gtest/gtest.h>

#include <QTableView>
#include <QTreeWidget>

#include "host/traffic_ui/traffic_dock.h"
#include "host/traffic/traffic_model.h"
#include "support/modal_driver.h"
#include "support/temp_host.h"
#include "traffic_texts.h"

namespace {

using jexhost::traffic::TrafficDock;
using jexhost::traffic::TrafficModel;

TEST(TrafficDock, ShowsTheSelectedUpdateAndSavesItsTable) {
    TrafficModel model;
    TrafficDock dock(&model);
    model.answered(model.requestSent("Alpha", traffic_test::kFetch), traffic_test::kReply);
    model.requestSent("Alpha", traffic_test::kChangedUpdate);
    dock.show();

    dock.table()->selectRow(1);
    QTreeWidget* fields = dock.fields();
    ASSERT_EQ(fields->topLevelItemCount(), 37);
    const QTreeWidgetItem* changes = fields->topLevelItem(0);
    EXPECT_EQ(changes->text(0), "Changes");
    EXPECT_EQ(changes->text(1), "2 changes");
    ASSERT_EQ(changes->childCount(), 2);
    EXPECT_EQ(changes->child(0)->text(1), "Password: changed");
    EXPECT_EQ(changes->child(1)->text(1), "Max Players: 16 -> 24");
    EXPECT_TRUE(changes->isExpanded());
    EXPECT_EQ(fields->topLevelItem(4)->text(0), "Password:");
    EXPECT_EQ(fields->topLevelItem(4)->text(1), "(hidden)");
    EXPECT_EQ(fields->topLevelItem(14)->text(1), "Hi, \"all\"");

    dock.table()->selectRow(0);
    EXPECT_EQ(fields->topLevelItemCount(), 0);

    const jextest::TempHost temp;
    jextest::ModalDriver driver;
    driver.onFileDialog = jextest::ModalDriver::choose(temp.path("saved.csv"));
    dock.saveAsCsv();
    EXPECT_TRUE(driver.boxes().isEmpty());
    const QList<QByteArray> lines = temp.read("saved.csv").split('\n');
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.first(),
              "Time,Server,Command,Sent (bytes),Received (bytes),Duration (ms),State,Details,"
              "Changes,Fields\r");
}

}  // namespace
