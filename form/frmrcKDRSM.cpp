#include "form/frmrcKDRSM.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QMouseEvent>
#include <QScrollBar>

#include <cmath>

#include "diagnostics/error_trap.h"
#include "diagnostics/messages.h"
#include "exchange/update.h"
#include "exchange/wire/setting_schema.h"
#include "form/controls.h"
#include "form/file_dialog.h"
#include "form/form_style.h"
#include "form/panel_style.h"
#include "form/settings_file.h"
#include "jex/boundary.h"
#include "plugin/module_state.h"
#include "plugin/startup.h"
#include "presentation/image_buttons.h"
#include "presentation/picture_box.h"
#include "presentation/stretch_paint.h"

namespace kdrsm {

namespace {

// Client area of the form, in twips.
constexpr qint32 kClientWidth = 11190;
constexpr qint32 kClientHeight = 6000;

const QString kImageSuffix = QStringLiteral("Img");
const QString kUp = QStringLiteral("Up");
const QString kDown = QStringLiteral("Down");

// The run-time buttons, left to right, with the mouse handlers of their
// caption (the face's events are forwarded to these).
using MouseHandler = void (frmrcKDRSM::*)(qint16, qint16, float, float);
struct ButtonRow {
    const char* name;
    const char* caption;
    qint32 left;
    QPointer<QLabel> frmrcKDRSM::*image;
    QPointer<QLabel> frmrcKDRSM::*label;
    MouseHandler down;
    MouseHandler up;
};
const ButtonRow kButtons[] = {
    {"cmdUpdate", "Update", 360, &frmrcKDRSM::cmdUpdateImg, &frmrcKDRSM::cmdUpdate,
     &frmrcKDRSM::cmdUpdate_MouseDown, &frmrcKDRSM::cmdUpdate_MouseUp},
    {"cmdSave", "Save", 1920, &frmrcKDRSM::cmdSaveImg, &frmrcKDRSM::cmdSave,
     &frmrcKDRSM::cmdSave_MouseDown, &frmrcKDRSM::cmdSave_MouseUp},
    {"cmdLoad", "Load", 3480, &frmrcKDRSM::cmdLoadImg, &frmrcKDRSM::cmdLoad,
     &frmrcKDRSM::cmdLoad_MouseDown, &frmrcKDRSM::cmdLoad_MouseUp},
};
constexpr qint32 kButtonTop = 300;
constexpr qint32 kButtonWidth = 1215;
constexpr qint32 kButtonHeight = 495;

const ButtonRow* buttonNamed(const QString& name) {
    for (const ButtonRow& row : kButtons)
        if (name == QLatin1String(row.name)) return &row;
    return nullptr;
}

qint16 mouseButton(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return 1;
        case Qt::RightButton:
            return 2;
        case Qt::MiddleButton:
            return 4;
        default:
            return 0;
    }
}

qint16 shiftState(Qt::KeyboardModifiers modifiers) {
    qint16 state = 0;
    if (modifiers & Qt::ShiftModifier) state |= 1;
    if (modifiers & Qt::ControlModifier) state |= 2;
    if (modifiers & Qt::AltModifier) state |= 4;
    return state;
}

}  // namespace

void runHandler(const QString& handler, const std::function<void()>& body) {
    try {
        body();
    } catch (const jex::Error& error) {
        reportError(handler, error.object(), error.line());
    } catch (...) {
        reportError(handler, jex::errorFromCurrentException(), 0);
    }
}

frmrcKDRSM::frmrcKDRSM(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmrcKDRSM"));
    applyFormStyle(*this);
    resize(static_cast<int>(std::lround(kClientWidth / ctl::twipsPerPixelX())),
           static_cast<int>(std::lround(kClientHeight / ctl::twipsPerPixelY())));
    usePanelStyle(*this);
    buildControls();
    connectReactions();
}

frmrcKDRSM::~frmrcKDRSM() {
    if (loaded_) runHandler(QStringLiteral("Form_Unload"), [this] { Form_Unload(); });
    setMousePointer(kDefaultPointer);
}

QWidget* frmrcKDRSM::control(const QString& name, int index) const {
    for (QWidget* widget : byName_.value(name)) {
        if (widget->objectName() != name) continue;
        if (index < 0 || widget->property("Index") == index) return widget;
    }
    // A control named after it was registered.
    for (QWidget* widget : controls_) {
        if (widget->objectName() != name) continue;
        if (index < 0 || widget->property("Index") == index) return widget;
    }
    jex::raise(jex::err::ControlNotFound);
}

void frmrcKDRSM::registerControl(QWidget* control) {
    if (!control || controls_.contains(control)) return;
    controls_.append(control);
    byName_[control->objectName()].append(control);
}

void frmrcKDRSM::connectReactions() {
    // The ping boxes react to every change of their value, by code as well.
    using Reaction = void (frmrcKDRSM::*)();
    const std::pair<const char*, Reaction> pingBoxes[] = {
        {"savMaxPingChk", &frmrcKDRSM::savMaxPingChk_Click},
        {"savMinPingChk", &frmrcKDRSM::savMinPingChk_Click},
    };
    for (const auto& [name, pingReaction] : pingBoxes) {
        const Reaction reaction = pingReaction;
        auto* box = qobject_cast<QCheckBox*>(control(QLatin1String(name)));
        const QString handler = QLatin1String(name) + QStringLiteral("_Click");
        connect(box, &QCheckBox::stateChanged, this,
                [this, handler, reaction] { runHandler(handler, [&] { (this->*reaction)(); }); });
    }

    // An option button raises its click also when it is clicked while
    // already chosen, so "Select All" can be applied again.
    using OptionReaction = void (frmrcKDRSM::*)(int);
    const std::pair<const char*, OptionReaction> optionArrays[] = {
        {"optRoles", &frmrcKDRSM::optRoles_Click},
        {"optWeapons", &frmrcKDRSM::optWeapons_Click},
    };
    for (const auto& [name, optionReaction] : optionArrays) {
        const OptionReaction reaction = optionReaction;
        const QString handler = QLatin1String(name) + QStringLiteral("_Click");
        for (QWidget* widget : controls_) {
            auto* option = qobject_cast<QAbstractButton*>(widget);
            if (!option || widget->objectName() != QLatin1String(name)) continue;
            const int index = widget->property("Index").toInt();
            connect(option, &QAbstractButton::clicked, this, [this, handler, reaction, index] {
                runHandler(handler, [&] { (this->*reaction)(index); });
            });
        }
    }

    auto* players = qobject_cast<QListWidget*>(control(QStringLiteral("savPlayers")));
    connect(players->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        runHandler(QStringLiteral("savPlayers_Scroll"), [this] { savPlayers_Scroll(); });
    });
}

// The numbers each list takes at load, as its setting's row gives them.
void FillNumberLists(frmrcKDRSM& form) {
    for (const wire::Setting& setting : wire::kSettings) {
        if (setting.kind != wire::SettingKind::List || setting.first > setting.last) continue;
        QStringList numbers;
        numbers.reserve(setting.last - setting.first + 1);
        for (int n = setting.first; n <= setting.last; ++n) numbers << QString::number(n);
        ctl::addItems(form.control(QString::fromLatin1(setting.control)), numbers);
    }
}

void frmrcKDRSM::Form_Load() {
    if (loaded_) return;
    loaded_ = true;
    FillNumberLists(*this);
    if (!InIDE())
        InstallStretchPaint(control(QStringLiteral("SSTab2")),
                            qobject_cast<PictureBox*>(control(QStringLiteral("Picture1"))));
    createButtons();
}

// The faces first: each caption finds its face by name.
void frmrcKDRSM::createButtons() {
    QWidget* frame = control(QStringLiteral("Frame3"));
    for (const ButtonRow& row : kButtons)
        this->*row.image =
            CreateButton(this, QLatin1String(row.name) + kImageSuffix, frame, row.left, kButtonTop,
                         kButtonWidth, kButtonHeight, true, true);
    for (const ButtonRow& row : kButtons)
        this->*row.label = CreateButtonTxt(this, QLatin1String(row.name), frame,
                                           QLatin1String(row.caption), 0, true, true);
    for (const ButtonRow& row : kButtons) {
        for (QLabel* created : {(this->*row.image).data(), (this->*row.label).data()}) {
            if (!created) continue;
            registerControl(created);
            created->installEventFilter(this);
        }
    }
}

void frmrcKDRSM::Form_Unload() {
    if (!loaded_) return;
    loaded_ = false;
    if (!InIDE()) RemoveStretchPaint(control(QStringLiteral("SSTab2")));
}

void frmrcKDRSM::setMousePointer(int pointer) {
    const bool wasBusy = mousePointer_ == kBusyPointer;
    const bool busy = pointer == kBusyPointer;
    mousePointer_ = pointer;
    if (busy && !wasBusy) QApplication::setOverrideCursor(Qt::WaitCursor);
    if (wasBusy && !busy) QApplication::restoreOverrideCursor();
}

void frmrcKDRSM::optRoles_Click(int index) {
    const bool state = index == 0;
    QWidget* roles = control(QStringLiteral("lstRoles"));
    for (int i = 0; i <= 3; ++i) ctl::setSelected(roles, i, state);
}

void frmrcKDRSM::optWeapons_Click(int index) {
    if (mdl().NoDataReceived) {
        showNoDataRefusal(QStringLiteral("Unable to update weapon restrictions!"));
        return;
    }
    const bool state = index == 0;
    QWidget* weapons = control(QStringLiteral("lstWeapons"));
    const qint32 count = ctl::listCount(weapons);
    for (qint32 i = 0; i < count; ++i) ctl::setSelected(weapons, i, state);
}

// Checked enables the label, then the field; unchecked or greyed disables
// both. The field keeps its text.
void frmrcKDRSM::pingToggle(const char* checkBox, const char* label, const char* field) {
    const bool enabled = ctl::checkValue(control(QLatin1String(checkBox))) == 1;
    control(QLatin1String(label))->setEnabled(enabled);
    control(QLatin1String(field))->setEnabled(enabled);
}

void frmrcKDRSM::savMaxPingChk_Click() {
    pingToggle("savMaxPingChk", "Label33", "savMaxPing");
}
void frmrcKDRSM::savMinPingChk_Click() {
    pingToggle("savMinPingChk", "Label31", "savMinPing");
}

// One row high and scrolled an entry at a time: the scroll position is the
// entry at the top.
void frmrcKDRSM::savPlayers_Scroll() {
    auto* players = qobject_cast<QListWidget*>(control(QStringLiteral("savPlayers")));
    const int top = players->verticalScrollBar()->value();
    if (top < 0 || top >= players->count() || ctl::listIndex(players) == top) return;
    ctl::setListIndex(players, top);
}

void frmrcKDRSM::pressFace(const QString& imageName, qint16 button) {
    if (button == 1) SetButtonState(this, imageName, kDown);
}

void frmrcKDRSM::releaseFace(const QString& imageName, qint16 button) {
    if (button == 1) SetButtonState(this, imageName, kUp);
}

void frmrcKDRSM::cmdUpdate_MouseDown(qint16 button, qint16, float, float) {
    pressFace(QStringLiteral("cmdUpdateImg"), button);
}

void frmrcKDRSM::cmdUpdate_MouseUp(qint16 button, qint16, float, float) {
    releaseFace(QStringLiteral("cmdUpdateImg"), button);
    updateSettings(*this);
}

void frmrcKDRSM::cmdSave_MouseDown(qint16 button, qint16, float, float) {
    pressFace(QStringLiteral("cmdSaveImg"), button);
}

void frmrcKDRSM::cmdSave_MouseUp(qint16 button, qint16, float, float) {
    releaseFace(QStringLiteral("cmdSaveImg"), button);
    saveSettingsFile(*this);
}

void frmrcKDRSM::cmdLoad_MouseDown(qint16 button, qint16, float, float) {
    pressFace(QStringLiteral("cmdLoadImg"), button);
}

void frmrcKDRSM::cmdLoad_MouseUp(qint16 button, qint16, float, float) {
    releaseFace(QStringLiteral("cmdLoadImg"), button);
    loadSettingsFile(*this);
}

bool frmrcKDRSM::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
    if (press || type == QEvent::MouseButtonRelease) {
        auto* target = qobject_cast<QLabel*>(watched);
        if (target && controls_.contains(target)) {
            routeMouse(target, static_cast<QMouseEvent*>(event), press);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// A face's events go to its caption's handler with the same arguments.
void frmrcKDRSM::routeMouse(QLabel* target, QMouseEvent* event, bool press) {
    const QString name = target->objectName();
    const QString caption = name.endsWith(kImageSuffix) ? name.chopped(3) : name;
    const ButtonRow* row = buttonNamed(caption);
    if (!row) return;
    const qint16 button = mouseButton(event->button());
    const qint16 shift = shiftState(event->modifiers());
    const auto x = static_cast<float>(event->position().x() * ctl::twipsPerPixelX());
    const auto y = static_cast<float>(event->position().y() * ctl::twipsPerPixelY());
    const MouseHandler handler = press ? row->down : row->up;
    runHandler(name + (press ? QStringLiteral("_MouseDown") : QStringLiteral("_MouseUp")),
               [&] { (this->*handler)(button, shift, x, y); });
}

}  // namespace kdrsm
