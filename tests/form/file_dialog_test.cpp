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

struct FilterCase {
    const char* test;
    const char* filter;
    QStringList expected;
};

class NameFilters : public ::testing::TestWithParam<FilterCase> {};

TEST_P(NameFilters, BecomeQtFilters) {
    EXPECT_EQ(FileDialog::nameFilters(GetParam().filter), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    FileDialog, NameFilters,
    ::testing::Values(FilterCase{"SettingsFiles",
                                 "Server Settings File (*.ssf)|*.ssf",
                                 {"Server Settings File (*.ssf)"}},
                      FilterCase{
                          "DescriptionWithoutPatterns", "Logs|*.txt;*.log", {"Logs (*.txt *.log)"}},
                      FilterCase{"TwoPairs", "A|*.a|B|*.b", {"A (*.a)", "B (*.b)"}},
                      FilterCase{"Empty", "", {}},
                      FilterCase{"DescriptionAlone", "Everything", {}}),
    [](const auto& info) { return std::string(info.param.test); });

class Dialog : public FormTest {
protected:
    FileDialog& setUpDialog(const QString& title) {
        QDir().mkpath(host.path("profiles/3/settings"));
        FileDialog& dialog = form->cdSettings();
        dialog.FileName = "";
        dialog.InitDir = host.path("profiles/3/settings");
        dialog.CancelError = false;
        dialog.Filter = "Server Settings File (*.ssf)|*.ssf";
        dialog.Flags = 788996;
        dialog.DialogTitle = title;
        return dialog;
    }

    // Chooses `path` in the next dialog and notes how the dialog was set up.
    void chooseAndInspect(const QString& path) {
        modals.onFileDialog = [this, path](QFileDialog* shown) {
            seen = *shown;
            ++dialogs;
            jextest::ModalDriver::choose(path)(shown);
        };
    }

    struct Seen {
        Seen& operator=(const QFileDialog& d) {
            title = d.windowTitle();
            directory = d.directory().absolutePath();
            save = d.acceptMode() == QFileDialog::AcceptSave;
            anyFile = d.fileMode() == QFileDialog::AnyFile;
            nonNative = d.testOption(QFileDialog::DontUseNativeDialog);
            noOverwriteQuestion = d.testOption(QFileDialog::DontConfirmOverwrite);
            filters = d.nameFilters();
            return *this;
        }
        QString title, directory;
        bool save = false, anyFile = false, nonNative = false, noOverwriteQuestion = false;
        QStringList filters;
    } seen;
    int dialogs = 0;
};

TEST_F(Dialog, SaveTakesTheNameExactlyAsGiven) {
    FileDialog& dialog = setUpDialog("Save Server Settings");
    const QString chosen = host.path("profiles/3/settings/mine");
    chooseAndInspect(chosen);
    dialog.ShowSave();
    EXPECT_EQ(dialog.FileName, chosen);
    EXPECT_EQ(dialog.activeDialog(), nullptr);
    ASSERT_EQ(dialogs, 1);
    EXPECT_EQ(seen.title, "Save Server Settings");
    EXPECT_EQ(seen.directory, QDir(host.path("profiles/3/settings")).absolutePath());
    EXPECT_TRUE(seen.save);
    EXPECT_TRUE(seen.anyFile);
    EXPECT_TRUE(seen.nonNative);
    EXPECT_TRUE(seen.noOverwriteQuestion);
    EXPECT_EQ(seen.filters, QStringList{"Server Settings File (*.ssf)"});
}

TEST_F(Dialog, SaveOverAnExistingFileAsksNothing) {
    FileDialog& dialog = setUpDialog("Save Server Settings");
    host.write("profiles/3/settings/old.ssf", "[Server]\n");
    chooseAndInspect(host.path("profiles/3/settings/old.ssf"));
    dialog.ShowSave();
    EXPECT_EQ(dialog.FileName, host.path("profiles/3/settings/old.ssf"));
    EXPECT_TRUE(modals.boxes().isEmpty());
}

TEST_F(Dialog, OpenAcceptsANameThatDoesNotExist) {
    FileDialog& dialog = setUpDialog("Load Server Settings");
    chooseAndInspect(host.path("profiles/3/settings/missing.ssf"));
    dialog.ShowOpen();
    EXPECT_EQ(dialog.FileName, host.path("profiles/3/settings/missing.ssf"));
    EXPECT_FALSE(seen.save);
    EXPECT_TRUE(seen.anyFile);
}

TEST_F(Dialog, CancelEmptiesTheNameOrRaisesWhenAskedTo) {
    FileDialog& dialog = setUpDialog("Load Server Settings");
    dialog.FileName = "earlier.ssf";
    modals.onFileDialog = jextest::ModalDriver::cancel();
    dialog.ShowOpen();
    EXPECT_EQ(dialog.FileName, "");
    dialog.CancelError = true;
    EXPECT_EQ(raisedNumber([&] { dialog.ShowSave(); }), 32755);
}

}  // namespace
