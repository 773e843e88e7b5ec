// The widget-free table of list entries names the same entries as the
// loaded form: its fixed entries are the catalogue's, its numbers those the
// load step appends.
#include <gtest/gtest.h>

#include "exchange/wire/list_entries.h"
#include "form/catalogue.h"
#include "form/controls.h"
#include "form/frmrcKDRSM.h"

namespace {

namespace wire = kdrsm::wire;

TEST(ListEntries, MatchTheLoadedForm) {
    kdrsm::frmrcKDRSM form;
    kdrsm::FillNumberLists(form);
    for (const wire::ListEntries& list : wire::kListEntries) {
        const QWidget* control = form.control(QString::fromLatin1(list.control));
        QStringList shown;
        for (int i = 0; i < kdrsm::ctl::listCount(control); ++i)
            shown << kdrsm::ctl::listText(control, i);
        EXPECT_EQ(wire::listEntries(list.index), shown) << list.control;
    }
    const kdrsm::catalogue::Row* roles = kdrsm::catalogue::find("lstRoles");
    ASSERT_NE(roles, nullptr);
    QStringList roleEntries;
    for (const char* role : wire::kRoleEntries) roleEntries << QString::fromLatin1(role);
    EXPECT_EQ(kdrsm::catalogue::entries(*roles), roleEntries);
}

// A few entries by hand, so that a table and a form wrong alike still fail.
TEST(ListEntries, NameTheEntriesTheWireIndexesMean) {
    EXPECT_EQ(wire::listEntries(2), (QStringList{"NovaWorld", "LAN IP"}));
    EXPECT_EQ(wire::listEntries(5).value(0), "Infinite");
    EXPECT_EQ(wire::listEntries(5).value(100), "100");
    EXPECT_EQ(wire::listEntries(8).size(), 121);
    EXPECT_EQ(wire::listEntries(8).value(0), "0");
    EXPECT_EQ(wire::listEntries(17).value(5), "6");
    EXPECT_EQ(wire::listEntries(20).size(), 100);
    EXPECT_EQ(wire::listEntries(6).value(3), "3 Minutes");
    EXPECT_TRUE(wire::listEntries(9).isEmpty());
}

}  // namespace
