#pragma once
// Fixture for tests of the panel's own code: a temporary host root, fresh
// module state with the real sibling components, a driver for modal boxes
// and dialogs, and the form unloaded afterwards.

#include <QString>

#include <gtest/gtest.h>

#include "support/modal_driver.h"
#include "support/temp_host.h"

namespace kdrsm {
class frmrcKDRSM;
}

namespace jextest {

// What a control shows, as text: a text box's (or editable combo box's)
// text, a check box's value, a list's chosen entry or "(none)".
QString shown(QWidget* control);

class PanelTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The form, created and loaded on first use (as the panel does).
    kdrsm::frmrcKDRSM& form();
    QWidget* control(const QString& name);

    // Writes HostRoot/settings/config.ini with ReportErrors = value.
    void setReportErrors(const QString& value);
    // Lines of the error log the sibling component keeps under the host root.
    QStringList errorLogLines() const;

    TempHost host;
    ModalDriver modals;
};

}  // namespace jextest
