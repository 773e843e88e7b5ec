// The panel's surroundings broken in one way each: every fault ends in the
// behaviour the panel defines for it or in a clear error box, never in a
// crash or an exception, and every file that was there before is still whole.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QWidget>

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include "exchange/reply.h"
#include "form/frmrcKDRSM.h"
#include "form/settings_file.h"
#include "panel_support/panel_fixture.h"
#include "panel_support/server_state.h"
#include "plugin/embedding.h"
#include "plugin/module_state.h"
#include "plugin/startup.h"

namespace {

using jextest::ModalDriver;
using jextest::ServerState;

// What a fault needs from the machine to be arranged at all.
enum class Needs { Nothing, NonRoot, Mount };

struct ExpectedBox {
    const char* title;
    std::vector<const char*> pieces;  // each appears in the box's text
};

class FaultTest;

struct FaultRow {
    const char* name;
    Needs needs;
    void (*arrange)(FaultTest&);
    void (*act)(FaultTest&);
    std::vector<ExpectedBox> boxes;
    const char* absent = nullptr;  // a file that must not be there afterwards
};

class FaultTest : public jextest::PanelTest, public ::testing::WithParamInterface<FaultRow> {
public:
    using PanelTest::form;
    using PanelTest::host;

    void TearDown() override {
        PanelTest::TearDown();
        for (const QString& path : mounts_)
            ::umount2(QFile::encodeName(path).constData(), MNT_DETACH);
        restoreWritable(host.root());
        if (componentPath_) qputenv("JEX_COMPONENT_PATH", *componentPath_);
    }

    // Mounts a small empty file system at `relative` (created if missing),
    // or skips the test with the reason.
    bool mountSmallDisk(const QString& relative) {
        const QString path = host.path(relative);
        QDir().mkpath(path);
        if (::mount("tmpfs", QFile::encodeName(path).constData(), "tmpfs", 0, "size=64k") != 0) {
            skipReason = QStringLiteral("cannot mount a small file system here (%1)")
                             .arg(QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        mounts_ << path;
        return true;
    }
    // Fills the file system holding `relative` until a write fails.
    void fillDisk(const QString& relative) {
        QFile filler(host.path(relative + QStringLiteral("/filler")));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        const QByteArray block(512, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
    }
    void makeReadOnly(const QString& relative) {
        QFile::setPermissions(host.path(relative), QFile::ReadOwner | QFile::ExeOwner);
    }
    void restoreWritable(const QString& root) {
        QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            QFile::setPermissions(it.next(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // Start-up again with only the component library `kept` on the search
    // path, so that the other sibling component cannot be created.
    void startWithOnly(const char* kept) {
        kdrsm::unloadForm();
        delete kdrsm::mdl().objMFD;
        delete kdrsm::mdl().objMemory;
        kdrsm::mdl() = kdrsm::ModuleState{};
        componentPath_ = qgetenv("JEX_COMPONENT_PATH");
        const QString source = QString::fromLocal8Bit(*componentPath_).section(u':', 0, 0);
        QDir().mkpath(host.path(QStringLiteral("only")));
        ASSERT_TRUE(QFile::link(source + u'/' + QString::fromLatin1(kept),
                                host.path(QStringLiteral("only/")) + QString::fromLatin1(kept)));
        qputenv("JEX_COMPONENT_PATH", QFile::encodeName(host.path(QStringLiteral("only"))));
    }

    void fetch() {
        kdrsm::loadInterface(2, static_cast<qint64>(hostWindow.winId()),
                             {QStringLiteral("tag"), QVariant(), 6000, 7500});
    }
    void reply(const QString& text) {
        kdrsm::mdl().PendingCommand = QStringLiteral("LoadForm");
        kdrsm::handleRemoteData(text);
    }
    // A reply without its auto-load section: it fails at its last step and
    // so reaches the error path.
    void failingReply() {
        const ServerState state = ServerState::typical();
        reply(QStringList{state.fields.join(u'|'), state.roles.join(u'|'), state.weapons.join(u'|')}
                  .join(QStringLiteral("[-]")));
    }
    void save(const QString& relative) {
        modals.onFileDialog = ModalDriver::choose(host.path(relative));
        kdrsm::saveSettingsFile(form());
    }
    void load(const QString& relative) {
        modals.onFileDialog = ModalDriver::choose(host.path(relative));
        kdrsm::loadSettingsFile(form());
    }

    // Every file below the host root, with its content, except the error log
    // and the error reports, which a fault adds to by design.
    QMap<QString, QByteArray> files() const {
        QMap<QString, QByteArray> found = jextest::filesBelow(host.root());
        found.removeIf([](const auto& file) {
            return file.key().startsWith(QStringLiteral("logs/")) ||
                   file.key().startsWith(QStringLiteral("outbox/")) ||
                   file.key().endsWith(QStringLiteral("/filler"));
        });
        return found;
    }

    QString skipReason;
    QWidget hostWindow;

private:
    QStringList mounts_;
    std::optional<QByteArray> componentPath_;
};

const QByteArray kOlderPreset = "[Server]\nServerName=Kept\nDedicated=1\n";

TEST_P(FaultTest, EndsInAClearBoxAndKeepsEveryFile) {
    const FaultRow& row = GetParam();
    if (row.needs == Needs::NonRoot && ::geteuid() == 0)
        GTEST_SKIP() << "file permissions do not stop root; run this test as another user";
    kdrsm::mdl().ProfileIndex = 2;
    QDir().mkpath(host.path(QStringLiteral("profiles/2/settings")));
    setReportErrors(QStringLiteral("0"));
    row.arrange(*this);
    if (!skipReason.isEmpty()) GTEST_SKIP() << skipReason.toStdString();
    const QMap<QString, QByteArray> before = files();

    row.act(*this);

    ASSERT_EQ(modals.boxes().size(), row.boxes.size())
        << modals.texts().join("\n---\n").toStdString();
    for (size_t i = 0; i < row.boxes.size(); ++i) {
        const jextest::ShownBox& shown = modals.boxes()[static_cast<qsizetype>(i)];
        EXPECT_EQ(shown.title, row.boxes[i].title);
        for (const char* piece : row.boxes[i].pieces)
            EXPECT_TRUE(shown.text.contains(QString::fromUtf8(piece))) << piece << " not in:\n"
                                                                       << shown.text.toStdString();
    }
    const QMap<QString, QByteArray> after = files();
    for (auto it = before.begin(); it != before.end(); ++it)
        EXPECT_EQ(after.value(it.key(), "(gone)"), it.value()) << it.key().toStdString();
    EXPECT_FALSE(row.absent && after.contains(row.absent)) << "a file left half-made";
}

const char* const kErrorBox = "DLL Error!";
const char* const kRequest = "RCData/reply_jexKDRSM_SetSettingsRem.txt";
const char* const kPreset = "profiles/2/settings/a.ssf";

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Surroundings, FaultTest,
    ::testing::Values(
        FaultRow{"RequestFolderIsAPlainFile", Needs::Nothing,
                 [](FaultTest& t) { t.host.write("RCData", "a file, not a folder"); },
                 [](FaultTest& t) { t.fetch(); },
                 {{kErrorBox, {"Error 58: File already exists", "Function/Sub: LoadInterface"}}}},
        FaultRow{"RequestFolderNotWritable", Needs::NonRoot,
                 [](FaultTest& t) { t.host.write(kRequest, "earlier store"); t.makeReadOnly("RCData"); },
                 [](FaultTest& t) { t.fetch(); },
                 {{kErrorBox, {"Error 70: Permission denied", "Function/Sub: LoadInterface"}}}},
        FaultRow{"FetchOnAFullDisk", Needs::Mount,
                 [](FaultTest& t) { if (t.mountSmallDisk("RCData")) { t.host.write(kRequest, "earlier store"); t.fillDisk("RCData"); } },
                 [](FaultTest& t) { t.fetch(); },
                 {{kErrorBox, {"Error 61: Disk full", "Function/Sub: LoadInterface"}}}},
        FaultRow{"LoadWithoutTheProfileFolder", Needs::Nothing,
                 [](FaultTest& t) { kdrsm::mdl().ProfileIndex = 7; t.host.write("profiles/2/settings/a.ssf", kOlderPreset); },
                 [](FaultTest& t) { t.load("profiles/7/settings/a.ssf"); },
                 {{kErrorBox, {"Error 76: Path not found", "Function/Sub: cmdLoad"}}}},
        FaultRow{"SaveOverAReadOnlyPreset", Needs::NonRoot,
                 [](FaultTest& t) {
                     t.reply(ServerState::typical().reply());
                     t.host.write(kPreset, kOlderPreset);
                     t.makeReadOnly(kPreset);
                 },
                 [](FaultTest& t) { t.save(kPreset); },
                 {{kErrorBox, {"Error 70: Permission denied", "Function/Sub: cmdSave"}}}},
        FaultRow{"SaveOnAFullDisk", Needs::Mount,
                 [](FaultTest& t) {
                     t.reply(ServerState::typical().reply());
                     if (!t.mountSmallDisk("profiles/2/settings")) return;
                     t.host.write(kPreset, kOlderPreset);
                     t.fillDisk("profiles/2/settings");
                 },
                 [](FaultTest& t) { t.save(kPreset); },
                 {{kErrorBox, {"Error 61: Disk full", "Function/Sub: cmdSave"}}}},
        FaultRow{"SaveANewFileOnAFullDisk", Needs::Mount,
                 [](FaultTest& t) {
                     t.reply(ServerState::typical().reply());
                     if (t.mountSmallDisk("profiles/2/settings")) t.fillDisk("profiles/2/settings");
                 },
                 [](FaultTest& t) { t.save("profiles/2/settings/new.ssf"); },
                 {{kErrorBox, {"Error 61: Disk full", "Function/Sub: cmdSave"}}}, "profiles/2/settings/new.ssf"},
        FaultRow{"FaceFilesAreFolders", Needs::Nothing,
                 [](FaultTest& t) { QDir().mkpath(t.host.path("imgs/butup.gif")); QDir().mkpath(t.host.path("imgs/butdown.gif")); },
                 [](FaultTest& t) { t.form(); }, {}},
        FaultRow{"NoFileHelperComponent", Needs::Nothing,
                 [](FaultTest& t) { t.startWithOnly("jexrcWOB.so"); },
                 [](FaultTest&) { kdrsm::ensureStarted(); },
                 {{kErrorBox, {"Error 429: ActiveX component can't create object", "Function/Sub: SubMain", "Error Report Sent: No"}}}},
        FaultRow{"NoTextHelperComponent", Needs::Nothing,
                 [](FaultTest& t) { t.startWithOnly("jexrcZTA.so"); },
                 [](FaultTest& t) { kdrsm::ensureStarted(); t.reply(ServerState::typical().reply()); },
                 {{kErrorBox, {"Error 429", "Function/Sub: SubMain"}},
                  {kErrorBox, {"Error 91: Object variable or With block variable not set", "Function/Sub: RemoteData"}}}},
        FaultRow{"ConfigurationIsAFolder", Needs::Nothing,
                 [](FaultTest& t) { QFile::remove(t.host.path("settings/config.ini")); QDir().mkpath(t.host.path("settings/config.ini")); },
                 [](FaultTest& t) { t.failingReply(); },
                 {{kErrorBox, {"Function/Sub: RemoteData", "Error Report Sent: No"}}}},
        FaultRow{"ConfigurationHoldsBinaryJunk", Needs::Nothing,
                 [](FaultTest& t) { t.host.write("settings/config.ini", QByteArray("\xff\xfe[Settings\0ReportErrors=1\n=\n[", 31)); },
                 [](FaultTest& t) { t.failingReply(); },
                 {{kErrorBox, {"Function/Sub: RemoteData", "Error Report Sent: No"}}}}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

}  // namespace
