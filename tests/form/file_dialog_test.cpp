// The common file dialog: its filter text, its mode, and what FileName
// holds afterwards.

#include <QFileDialog>

#include "form/file_dialog.h"
#include "form_fixture.h"

namespace {

using formtest::FormTest;
using formtest::raisedNumber;
using kdrsm::FileDialog;

TEST(FileDialogFilter, BecomesQtNameFilters) {
    const std::pair<const char*, QStringList> filters[] = {
        {"Server Settings File (*.ssf)|*.ssf", {"Server Settings File (*.ssf)"}},
        {"Logs|*.txt;*.log", {"Logs (*.txt *.log)"}},  // description without its patterns
        {"A|*.a|B|*.b", {"A (*.a)", "B (*.b)"}},
        {"", {}},
        {"Everything", {}}};  // a description alone
    for (const auto& [filter, expected] : filters)
        EXPECT_EQ(FileDialog::nameFilters(filter), expected) << filter;
}

// The dialog as the settings-file actions set it up; what they show of it
// is checked with those actions.
class Dialog : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        dialog().InitDir = host.root();
        dialog().Filter = "Server Settings File (*.ssf)|*.ssf";
        dialog().Flags = 788996;
    }
    FileDialog& dialog() { return form->cdSettings(); }
};

TEST_F(Dialog, SaveTakesTheNameExactlyAndAsksNothingOverAFile) {
    host.write("mine", "[Server]\n");
    modals.onFileDialog = [this](QFileDialog* shown) {
        EXPECT_EQ(shown->fileMode(), QFileDialog::AnyFile);
        EXPECT_TRUE(shown->testOption(QFileDialog::DontUseNativeDialog));
        jextest::ModalDriver::choose(host.path("mine"))(shown);
    };
    dialog().ShowSave();
    EXPECT_EQ(dialog().FileName, host.path("mine"));
    EXPECT_EQ(dialog().activeDialog(), nullptr);
    EXPECT_TRUE(modals.boxes().isEmpty());
}

TEST_F(Dialog, CancelEmptiesTheNameOrRaisesWhenAskedTo) {
    dialog().FileName = "earlier.ssf";
    modals.onFileDialog = jextest::ModalDriver::cancel();
    dialog().ShowOpen();
    EXPECT_EQ(dialog().FileName, "");
    dialog().CancelError = true;
    EXPECT_EQ(raisedNumber([&] { dialog().ShowSave(); }), 32755);
}

// A name in a folder that does not exist is refused by the dialog itself,
// which stays open; the operator then cancels.
TEST_F(Dialog, NameInAMissingFolderKeepsTheDialogOpen) {
    for (const bool save : {true, false}) {
        SCOPED_TRACE(save ? "save" : "open");
        int shown = 0;
        modals.onFileDialog = [&](QFileDialog* dialog) {
            if (++shown == 1)
                jextest::ModalDriver::choose(host.path("missing/name.ssf"))(dialog);
            else
                dialog->reject();
        };
        save ? dialog().ShowSave() : dialog().ShowOpen();
        EXPECT_EQ(shown, 2);
        EXPECT_EQ(dialog().FileName, "");
        ASSERT_EQ(modals.boxes().size(), save ? 1 : 2);
        EXPECT_TRUE(modals.boxes().last().text.contains("Directory not found"));
        EXPECT_TRUE(modals.boxes().last().text.contains("missing"));
    }
}

}  // namespace
