// The common file dialog: its filter text, the save and open modes, and
// what FileName holds afterwards.

#include <QDir>
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

// The dialog set up as the settings-file actions set it up.
class Dialog : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        QDir().mkpath(host.path("profiles/3/settings"));
        dialog().InitDir = host.path("profiles/3/settings");
        dialog().Filter = "Server Settings File (*.ssf)|*.ssf";
        dialog().Flags = 788996;
        dialog().DialogTitle = "Server Settings";
    }
    FileDialog& dialog() { return form->cdSettings(); }
    QString settingsFile(const QString& name) const {
        return host.path("profiles/3/settings/" + name);
    }

    // Chooses `path` in the next dialog once `check` has looked at it.
    void choose(const QString& path, const std::function<void(QFileDialog*)>& check) {
        modals.onFileDialog = [path, check](QFileDialog* shown) {
            check(shown);
            jextest::ModalDriver::choose(path)(shown);
        };
    }
};

TEST_F(Dialog, SaveTakesTheNameExactlyAndAsksNothingOverAFile) {
    host.write("profiles/3/settings/mine", "[Server]\n");
    choose(settingsFile("mine"), [this](QFileDialog* shown) {
        EXPECT_EQ(shown->windowTitle(), "Server Settings");
        EXPECT_EQ(shown->directory(), QDir(host.path("profiles/3/settings")));
        EXPECT_EQ(shown->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(shown->fileMode(), QFileDialog::AnyFile);
        EXPECT_TRUE(shown->testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_TRUE(shown->testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_EQ(shown->nameFilters(), QStringList{"Server Settings File (*.ssf)"});
    });
    dialog().ShowSave();
    EXPECT_EQ(dialog().FileName, settingsFile("mine"));
    EXPECT_EQ(dialog().activeDialog(), nullptr);
    EXPECT_TRUE(modals.boxes().isEmpty());
}

TEST_F(Dialog, OpenAcceptsANameThatDoesNotExist) {
    choose(settingsFile("missing.ssf"), [](QFileDialog* shown) {
        EXPECT_EQ(shown->acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(shown->fileMode(), QFileDialog::AnyFile);
    });
    dialog().ShowOpen();
    EXPECT_EQ(dialog().FileName, settingsFile("missing.ssf"));
}

TEST_F(Dialog, CancelEmptiesTheNameOrRaisesWhenAskedTo) {
    dialog().FileName = "earlier.ssf";
    modals.onFileDialog = jextest::ModalDriver::cancel();
    dialog().ShowOpen();
    EXPECT_EQ(dialog().FileName, "");
    dialog().CancelError = true;
    EXPECT_EQ(raisedNumber([&] { dialog().ShowSave(); }), 32755);
}

}  // namespace
