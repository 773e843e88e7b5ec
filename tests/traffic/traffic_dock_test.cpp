// The traffic dock shows the selected update's fields and saves its table
// through the real file dialog.
#include <gtest/gtest.h>

#include <QTableView>
#include <QTreeWidget>

#include "host/traffic/traffic_dock.h"
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
    model.requestSent("Alpha", traffic_test::kFetch);
    model.requestSent("Alpha", traffic_test::kUpdate);
    dock.show();

    dock.table()->selectRow(1);
    QTreeWidget* fields = dock.fields();
    ASSERT_EQ(fields->topLevelItemCount(), 36);
    EXPECT_EQ(fields->topLevelItem(3)->text(0), "Password:");
    EXPECT_EQ(fields->topLevelItem(3)->text(1), "(hidden)");
    EXPECT_EQ(fields->topLevelItem(13)->text(1), "Hi, \"all\"");

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
              "Fields\r");
}

}  // namespace
