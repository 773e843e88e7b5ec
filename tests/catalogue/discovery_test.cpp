// Finding plug-ins: the real panel library read from the component folder,
// and the reasons listed for libraries and classes that do not answer.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QFile>
#include <QFileInfo>
#include <QTableView>
#include <QTemporaryDir>

#include "catalogue_fixture.h"
#include "host/catalogue/catalogue.h"
#include "host/catalogue_ui/plugins_dialog.h"
#include "jex/boundary.h"
#include "support/modal_driver.h"
#include "support/printers.h"
#include "support/temp_host.h"

namespace {

using namespace jexhost::catalogue;

// clang-format off
enum class Fault { None, CreateRaises, CreatesNothing, VersionRaises, RecordIsText, GameIsNumber,
                   GameIsOneText, NameTooLong, TooManyGames };
// clang-format on

// A plug-in class that answers like a library's would, or fails in one way.
class FakePlugin final : public QObject {
    Q_OBJECT
public:
    explicit FakePlugin(Fault fault) : fault_(fault) {}

    Q_INVOKABLE QString dllVersion(const QString&) {
        return jex::boundary([&] {
            if (fault_ == Fault::VersionRaises) jex::raise(jex::err::InvalidCall);
            return QStringLiteral("2.0.1");
        });
    }

    Q_INVOKABLE QVariant GetData() {
        return jex::boundary([&]() -> QVariant {
            QVariantMap record{
                {"Name", "Fake"}, {"HasInterface", -1}, {"Game", QStringList{"Game A"}}};
            // clang-format off
            switch (fault_) {
                case Fault::RecordIsText: return QStringLiteral("Fake");
                case Fault::GameIsNumber: record["Game"] = 5; break;
                case Fault::GameIsOneText: record["Game"] = "Game A"; break;
                case Fault::NameTooLong: record["Name"] = QString(1025, u'n'); break;
                case Fault::TooManyGames: record["Game"] = QStringList(65, "Game A"); break;
                default: break;
            }
            // clang-format on
            return record;
        });
    }

private:
    Fault fault_;
};

// The root object of a library offering FakePlugin.
class FakeFactory final : public QObject {
    Q_OBJECT
public:
    explicit FakeFactory(Fault fault) : fault_(fault) {}

    Q_INVOKABLE QObject* create(const QString&) {
        return jex::boundary([&]() -> QObject* {
            if (fault_ == Fault::CreateRaises) jex::raise(jex::err::CantCreateObject);
            if (fault_ == Fault::CreatesNothing) return nullptr;
            return new FakePlugin(fault_);
        });
    }

private:
    Fault fault_;
};

struct ProbeRow {
    const char* name;
    Fault fault;
    QString expectedState;
};

class Probe : public testing::TestWithParam<ProbeRow> {};

TEST_P(Probe, ListsWhatAClassAnswersOrWhyItFailed) {
    const ProbeRow& row = GetParam();
    FakeFactory factory(row.fault);
    Catalogue catalogue;
    catalogue.probe("/c/fake.so", &factory, "fake.clsPlugin");

    ASSERT_EQ(catalogue.entries().size(), 1);
    const PluginEntry& entry = catalogue.entries()[0];
    EXPECT_EQ(entry.progId, "fake.clsPlugin");
    EXPECT_EQ(entry.stateText(), row.expectedState);
    EXPECT_EQ(catalogue.offersFor("Game A").size(), entry.usable() ? 1 : 0);
    if (entry.usable()) {
        EXPECT_EQ(entry.dllVersion, "2.0.1");
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Catalogue, Probe,
    testing::Values(
        ProbeRow{"Answers", Fault::None, "usable"},
        ProbeRow{"OneGameAsText", Fault::GameIsOneText, "usable"},
        ProbeRow{"CreateRaises", Fault::CreateRaises, "failed: creating the class raised error 429: ActiveX component can't create object"},
        ProbeRow{"CreatesNothing", Fault::CreatesNothing, "failed: the library created no object"},
        ProbeRow{"VersionRaises", Fault::VersionRaises, "failed: dllVersion raised error 5: Invalid procedure call or argument"},
        ProbeRow{"RecordIsText", Fault::RecordIsText, "failed: reading the descriptor record raised error 13: GetData returned no record"},
        ProbeRow{"GameIsNumber", Fault::GameIsNumber, "failed: reading the descriptor record raised error 13: Game is not a list of texts"},
        ProbeRow{"NameTooLong", Fault::NameTooLong, "failed: reading the descriptor record raised error 6: Name is longer than 1024 characters"},
        ProbeRow{"TooManyGames", Fault::TooManyGames, "failed: reading the descriptor record raised error 6: Game has more than 64 entries"}),
    [](const auto& info) { return info.param.name; });
// clang-format on

QString cell(const QAbstractItemModel* model, int row, int column) {
    return model->data(model->index(row, column)).toString();
}

// The real panel library, a file that is no component library and a second
// library offering the same class, in the "Plug-ins" dialog.
TEST(Discovery, ListsThePanelWithItsDescriptorAndEveryOtherLibraryWithItsReason) {
    if (qEnvironmentVariableIsEmpty(
            "JEX_COMPONENT_PATH"))  // the panel's start-up needs its siblings
        qputenv("JEX_COMPONENT_PATH", JEX_COMPONENT_DIR);
    const jextest::TempHost host;
    const jextest::ModalDriver boxes;
    const QString components = QFileInfo(JEX_COMPONENT_DIR).canonicalFilePath();
    const QTemporaryDir other;
    const QString otherFolder = QFileInfo(other.path()).canonicalFilePath();
    QFile junk(otherFolder + "/junk.so");
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly) && junk.write("not a library") > 0);
    junk.close();
    ASSERT_TRUE(QFile::link(components + "/jexrcKDRSM.so", otherFolder + "/jexrcKDRSM.so"));

    const Catalogue catalogue =
        Catalogue::scan({JEX_COMPONENT_DIR, otherFolder, QString(JEX_COMPONENT_DIR) + "/"});

    ASSERT_EQ(catalogue.entries().size(), 3);
    const PluginEntry& panel = catalogue.entries()[0];
    EXPECT_EQ(panel.libraryPath, components + "/jexrcKDRSM.so");
    EXPECT_EQ(panel.progId, "jexrcKDRSM.clsPlugin");
    EXPECT_EQ(panel.stateText(), "usable");
    EXPECT_EQ(panel.dllVersion, "1.1.8");
    const Descriptor& d = panel.descriptor;
    EXPECT_EQ(QStringList({d.name, d.file, d.version, d.author, d.description, d.helpFile}),
              QStringList({"KDR Server Manager", "jexrcKDRSM.dll", "1.1.8", "The jexrcKDRSM team",
                           "This Plugin allows you to manage various settings on your KDR Server.",
                           "jexrcKDRSM_help.chm"}));
    EXPECT_EQ(d.games, QStringList({cattest::kFirstGame, cattest::kSecondGame}));
    EXPECT_EQ(QList<bool>({d.hasInterface, d.profileMenu, d.serverMenu, d.mainMenu}),
              QList<bool>({true, false, true, false}));
    EXPECT_EQ(d.profileMenuItems, QStringList());
    EXPECT_EQ(d.serverMenuItems, QStringList({"Server", ""}));
    EXPECT_EQ(d.mainMenuItems, QStringList());
    EXPECT_EQ(d.minimums, cattest::panelDescriptor().minimums);  // written out there by hand

    EXPECT_EQ(
        catalogue.entries()[1].stateText(),
        "refused: jexrcKDRSM.clsPlugin is already offered by " + components + "/jexrcKDRSM.so");
    EXPECT_EQ(catalogue.entries()[2].stateText(), "failed: not a component library");

    const QList<PanelOffer> offers = catalogue.offersFor(cattest::kSecondGame);
    ASSERT_EQ(offers.size(), 1);
    EXPECT_EQ(offers[0].progId(), "jexrcKDRSM.clsPlugin");
    ASSERT_EQ(catalogue.serverMenu().size(), 1);
    EXPECT_EQ(catalogue.serverMenu()[0].text, "Server");
    ASSERT_EQ(catalogue.helpFiles().size(), 1);
    EXPECT_FALSE(catalogue.helpFiles()[0].exists);

    const PluginsDialog dialog(catalogue);
    EXPECT_EQ(dialog.windowTitle(), "Plug-ins");
    const QAbstractItemModel* model = dialog.table()->model();
    QStringList headers;
    for (int column = 0; column < model->columnCount(); ++column)
        headers << model->headerData(column, Qt::Horizontal).toString();
    EXPECT_EQ(headers,
              QStringList({"Name", "Version", "File", "Games", "Description", "Author", "State"}));
    EXPECT_EQ(cell(model, 0, 0), "KDR Server Manager");
    EXPECT_EQ(cell(model, 0, 2), "jexrcKDRSM.so");
    EXPECT_EQ(cell(model, 0, 3),
              "Delta Force,  V1.5.0.5; Delta Force, NovaWorld Affiliate Server V1.5.0.11A");
    EXPECT_EQ(cell(model, 0, 6), "usable");
    EXPECT_EQ(cell(model, 2, 0), "");
    EXPECT_EQ(cell(model, 2, 2), "junk.so");
    EXPECT_TRUE(boxes.texts().isEmpty());
}

}  // namespace

#include "discovery_test.moc"
