// The Update button: corrections in the form, the exact request body, the
// busy pointer while it runs, and the refusal while no data has arrived.
#include <QApplication>
#include <QBuffer>
#include <QCursor>
#include <QFile>
#include <QImage>
#include <QLabel>

#include <gtest/gtest.h>

#include <functional>

#include "exchange/reply.h"
#include "exchange/update.h"
#include "form/controls.h"
#include "form/frmrcKDRSM.h"
#include "jex/latebound.h"
#include "panel_support/panel_fixture.h"
#include "panel_support/server_state.h"
#include "plugin/module_state.h"

namespace {

using jextest::b64;
using jextest::ServerState;
using kdrsm::mdl;
namespace ctl = kdrsm::ctl;

// Stands in for the text component: encodes through the real one and notes,
// at every call, the form's pointer and the cursor the operator sees.
class PointerWatchingMemory : public QObject {
    Q_OBJECT
public:
    struct Seen {
        int pointer;
        Qt::CursorShape cursor;
    };
    explicit PointerWatchingMemory(QObject* real) : real_(real) { real_->setParent(this); }
    Q_INVOKABLE QString Enc64(const QString& text) {
        const QCursor* cursor = QApplication::overrideCursor();
        seen << Seen{mdl().form ? mdl().form->mousePointer() : -1,
                     cursor ? cursor->shape() : Qt::ArrowCursor};
        return jex::call(real_, "Enc64", {text}).toString();
    }
    Q_INVOKABLE QString Dec64(const QString& text) {
        return jex::call(real_, "Dec64", {text}).toString();
    }
    QList<Seen> seen;

private:
    QObject* real_;
};

// The request body for the typical server, written out field by field.
QStringList typicalFields() {
    return QString(
               "%1|%2|1|%3|15|30|2|2|8|1|0|1|1|%4|%5|%6|1|6|0|1|15|210|100|1|0|1|1|20|0|15000|0|0|"
               "1")
        .arg(b64("KDR Test Server"), b64("US"), b64("secret"), b64("Welcome, soldier!"),
             b64("blue"), b64("red"))
        .split(u'|');
}

QString body(const QStringList& fields, const QString& weapons, const QString& roles,
             const QString& autoLoad) {
    return fields.join('|') + "[-]" + weapons + "[-]" + roles + "[-]" + autoLoad;
}

QString typicalWeapons() {
    return b64("M16") + "|" + b64("Barrett .50");
}

constexpr const char* kRequestFile = "RCData/reply_jexKDRSM_SetSettingsRem.txt";

// Button faces of one colour each, so the face shown tells the state.
QByteArray faceBytes(Qt::GlobalColor colour) {
    QImage face(16, 8, QImage::Format_RGB32);
    face.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    face.save(&buffer, "PNG");
    return bytes;
}

class UpdateTest : public jextest::PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        setReportErrors("0");
        host.write("imgs/butup.gif", faceBytes(Qt::white));
        host.write("imgs/butdown.gif", faceBytes(Qt::black));
        memory = new PointerWatchingMemory(mdl().objMemory);
        mdl().objMemory = memory;  // the fixture deletes it with the real one
        fill(ServerState::typical());
    }
    void fill(const ServerState& server) {
        mdl().PendingCommand = "LoadForm";
        kdrsm::handleRemoteData(server.reply());
        ASSERT_EQ(modals.texts(), QStringList());
    }
    void pressUpdate(qint16 button = 1) {
        form().cmdUpdate_MouseDown(button, 0, 10, 10);
        form().cmdUpdate_MouseUp(button, 0, 10, 10);
    }
    QString sentBody() {
        const QString text = QString::fromUtf8(host.read(kRequestFile));
        const QString prefix = "Plugin_jexKDRSM_SetSettingsRem__VB6_0_";
        return text.startsWith(prefix) ? text.mid(prefix.size()) : "(not sent) " + text;
    }
    bool faceDown() {
        return form().cmdUpdateImg->pixmap().toImage().pixelColor(0, 0) == QColor(Qt::black);
    }
    QWidget* c(const char* name) { return control(name); }

    PointerWatchingMemory* memory = nullptr;
};

// A right-button release sends as well, but leaves the face alone. The
// pointer is busy while the body is encoded and back to default after.
TEST_F(UpdateTest, LeftAndRightReleasesSendWhatArrived) {
    const QString expected = body(typicalFields(), typicalWeapons(), "CQB||Medic|", "1");
    pressUpdate(1);
    EXPECT_EQ(sentBody(), expected);
    EXPECT_FALSE(faceDown());
    ASSERT_FALSE(memory->seen.isEmpty());
    for (const auto& seen : memory->seen) {
        EXPECT_EQ(seen.pointer, 11);
        EXPECT_EQ(seen.cursor, Qt::WaitCursor);
    }
    EXPECT_EQ(form().mousePointer(), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    ASSERT_TRUE(QFile::remove(host.path(kRequestFile)));
    form().cmdUpdate_MouseDown(2, 0, 10, 10);
    EXPECT_FALSE(faceDown());
    form().cmdUpdate_MouseUp(2, 0, 10, 10);
    EXPECT_EQ(sentBody(), expected);
    EXPECT_FALSE(faceDown());

    // Pressed with the left button, released with the right: still down.
    form().cmdUpdate_MouseDown(1, 0, 10, 10);
    form().cmdUpdate_MouseUp(2, 0, 10, 10);
    EXPECT_TRUE(faceDown());
    EXPECT_EQ(mdl().PendingCommand, "Update Settings");
    EXPECT_TRUE(modals.boxes().isEmpty());
}

struct CorrectionRow {
    const char* name;
    std::function<void(QWidget*)> change;  // applied to `control`
    const char* control;
    int field;
    QString sent;
    QString shown;  // text, or list entry text, afterwards ("(none)" for no entry)
};

class UpdateCorrectionTest : public UpdateTest,
                             public ::testing::WithParamInterface<CorrectionRow> {};

TEST_P(UpdateCorrectionTest, CorrectsTheFormAndSends) {
    const CorrectionRow& row = GetParam();
    row.change(c(row.control));
    pressUpdate();
    QStringList fields = typicalFields();
    fields[row.field] = row.sent;
    EXPECT_EQ(sentBody(), body(fields, typicalWeapons(), "CQB||Medic|", "1"));
    EXPECT_EQ(jextest::shown(c(row.control)), row.shown);
}

auto setText(const char* text) {
    return [text](QWidget* w) { ctl::setText(w, text); };
}
auto setIndex(int index) {
    return [index](QWidget* w) { ctl::setListIndex(w, index); };
}
auto setCheck(int value) {
    return [value](QWidget* w) { ctl::setCheckValue(w, value); };
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Corrections, UpdateCorrectionTest,
    ::testing::Values(
        CorrectionRow{"BlankNameBecomesUntitled", setText("   "), "savServerName", 0, b64("Untitled"), "Untitled"},
        CorrectionRow{"NameKeepsItsBlanks", setText(" a b "), "savServerName", 0, b64(" a b "), " a b "},
        CorrectionRow{"BlankCountrySendsNothing", setText("  "), "savCountry", 1, "", "  "},
        CorrectionRow{"TypedCountryEncoded", setText("XX"), "savCountry", 1, b64("XX"), "XX"},
        CorrectionRow{"SessionNoneBecomesNovaWorld", setIndex(-1), "savSession", 2, "0", "NovaWorld"},
        CorrectionRow{"PlayersNoneBecomesFifty", setIndex(-1), "savPlayers", 4, "49", "50"},
        CorrectionRow{"PlayersFirstEntry", setIndex(0), "savPlayers", 4, "0", "1"},
        CorrectionRow{"TimeInfinite", setIndex(0), "savTime", 5, "0", "Infinite"},
        CorrectionRow{"TimeHundred", setIndex(100), "savTime", 5, "100", "100"},
        CorrectionRow{"TimeNoneBecomesThirty", setIndex(-1), "savTime", 5, "30", "30"},
        CorrectionRow{"DelayNoneBecomesTwoMinutes", setIndex(-1), "savDelay", 6, "2", "2 Minutes"},
        CorrectionRow{"MapsNoneBecomesCycle", setIndex(-1), "savMaps", 7, "2", "Cycle"},
        CorrectionRow{"RespawnNoneBecomesEight", setIndex(-1), "savRespawn", 8, "8", "8"},
        CorrectionRow{"GreyedCheckSent", setCheck(2), "savSkins", 11, "2", "2"},
        CorrectionRow{"AutoBalanceCheckedSendsZero", setCheck(1), "savAutoBalance", 12, "0", "1"},
        CorrectionRow{"AutoBalanceGreyedSendsOne", setCheck(2), "savAutoBalance", 12, "1", "2"},
        CorrectionRow{"MaxFFFirst", setIndex(0), "savMaxFF", 17, "1", "1"},
        CorrectionRow{"MaxFFNoneBecomesSix", setIndex(-1), "savMaxFF", 17, "6", "6"},
        CorrectionRow{"PSPNoneBecomesFifteen", setIndex(-1), "savPSPTime", 20, "15", "15"},
        CorrectionRow{"FlagReturnWordSendsDefault", setText("abc"), "savFlagReturn", 21, "210", "abc"},
        CorrectionRow{"FlagReturnAsTyped", setText(" 45 "), "savFlagReturn", 21, " 45 ", " 45 "},
        CorrectionRow{"LivesBlankSendsDefault", setText(""), "savLives", 22, "100", ""},
        CorrectionRow{"MinPingBlankBecomesZero", setText(""), "savMinPing", 27, "0", "0"},
        CorrectionRow{"MaxPingWordBecomesDefault", setText("x"), "savMaxPing", 29, "15000", "15000"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// Weapons go in section 1 (selected ones only, every name encoded, blank or
// not, with no "|" before the first non-empty encoding), roles in four fixed
// slots (slot 0 the literal "CQB"), the auto-load value last. M16 encodes as
// TTE2, MP5 as TVA1, two blanks as ICA=; ",1" delivers a selected empty name.
struct SectionRow {
    const char* name;
    QStringList weapons;  // reply entries
    QStringList roles;    // reply flags
    QString autoLoad;
    QString tail;  // the body after section 0
};

class UpdateSectionTest : public UpdateTest, public ::testing::WithParamInterface<SectionRow> {};

TEST_P(UpdateSectionTest, SendsTheSections) {
    ServerState server = ServerState::typical();
    server.weapons = GetParam().weapons;
    server.roles = GetParam().roles;
    server.autoLoad = GetParam().autoLoad;
    fill(server);
    pressUpdate();
    EXPECT_EQ(sentBody(), typicalFields().join('|') + GetParam().tail);
}

const QStringList kNoRoles = {"False", "False", "False", "False"};
const QStringList kCqbMedic = {"True", "False", "True", "False"};

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Sections, UpdateSectionTest,
    ::testing::Values(
        SectionRow{"NothingSelected", {"TTE2,0", "TVA1,0"}, kNoRoles, "0", "[-][-]|||[-]0"},
        SectionRow{"EverythingSelected", {"TTE2,1", "TVA1,1", b64("Barrett .50") + ",1"}, {"True", "True", "True", "True"}, "1",
                   "[-]TTE2|TVA1|" + b64("Barrett .50") + "[-]CQB|Gunner|Medic|Sniper[-]1"},
        SectionRow{"MiddleWeaponAndGunner", {"TTE2,0", "TVA1,1", "TTE2,0"}, {"False", "True", "False", "False"}, "1", "[-]TVA1[-]|Gunner||[-]1"},
        SectionRow{"FirstAndThirdWeapons", {"TTE2,1", "ICA=,0", "TVA1,1"}, kCqbMedic, "0", "[-]TTE2|TVA1[-]CQB||Medic|[-]0"},
        SectionRow{"BlankNamesEncoded", {"ICA=,1", "TTE2,1"}, kCqbMedic, "1", "[-]ICA=|TTE2[-]CQB||Medic|[-]1"},
        SectionRow{"EmptyNamesFirst", {",1", ",1", "TTE2,1", "TVA1,1"}, kNoRoles, "1", "[-]TTE2|TVA1[-]|||[-]1"},
        SectionRow{"EmptyNameMiddle", {"TTE2,1", ",1", "TVA1,1"}, kNoRoles, "1", "[-]TTE2||TVA1[-]|||[-]1"},
        SectionRow{"EmptyNameLast", {"TTE2,1", ",1"}, kNoRoles, "1", "[-]TTE2|[-]|||[-]1"},
        SectionRow{"OnlyEmptyNames", {",1", ",1"}, kNoRoles, "1", "[-][-]|||[-]1"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST_F(UpdateTest, RefusedWhileNoDataReceived) {
    kdrsm::handleRemoteData("Failed");
    ctl::setText(c("savServerName"), "   ");
    const int boxesBefore = static_cast<int>(modals.boxes().size());
    pressUpdate();
    ASSERT_EQ(modals.boxes().size(), boxesBefore + 1);
    EXPECT_EQ(modals.boxes().last().title, "Failed!");
    EXPECT_EQ(modals.boxes().last().text,
              "There seems to have been a problem collecting data!\r\n\r\nUnable to update server "
              "settings!");
    EXPECT_FALSE(host.exists("RCData/reply_jexKDRSM_SetSettingsRem.txt"));
    EXPECT_EQ(ctl::text(c("savServerName")), "   ");
    EXPECT_EQ(mdl().PendingCommand, "Update Settings");
    EXPECT_EQ(form().mousePointer(), 0);
}

TEST_F(UpdateTest, AFailureWritesNothingAndRestoresThePointer) {
    // A request folder that cannot be created: its place is taken by a file.
    host.write("RCData", "not a folder");
    pressUpdate();
    ASSERT_EQ(modals.boxes().size(), 1);
    EXPECT_EQ(modals.boxes()[0].title, "DLL Error!");
    EXPECT_TRUE(modals.boxes()[0].text.contains("Function/Sub: cmdUpdate"));
    EXPECT_EQ(errorLogLines().size(), 1);
    EXPECT_EQ(form().mousePointer(), 0);
    EXPECT_EQ(host.read("RCData"), "not a folder");
}

TEST_F(UpdateTest, AnEncodingFailureSendsNothing) {
    delete mdl().objMemory;
    mdl().objMemory = nullptr;
    pressUpdate();
    ASSERT_EQ(modals.boxes().size(), 1);
    EXPECT_TRUE(modals.boxes()[0].text.contains("Error 91:"));
    EXPECT_FALSE(host.exists("RCData/reply_jexKDRSM_SetSettingsRem.txt"));
}

}  // namespace

#include "update_test.moc"
