#pragma once
// The settings form. Its controls are built from the control catalogue
// (catalogue.h) and found by objectName; its own reactions are the handlers
// below.

#include <QHash>
#include <QLabel>
#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>

class QMouseEvent;

namespace kdrsm {

class FileDialog;

class frmrcKDRSM final : public QWidget {
    Q_OBJECT
public:
    explicit frmrcKDRSM(QWidget* parent = nullptr);
    ~frmrcKDRSM() override;

    // The control named `name` (for an option-button array, index `index`;
    // without an index its first button); a missing control raises 730.
    QWidget* control(const QString& name, int index = -1) const;
    // The form's control collection, in creation order (containers before
    // their contents; run-time buttons appended as they are created). The
    // file dialog is not a widget and is reached through cdSettings().
    const QList<QWidget*>& controls() const { return controls_; }
    FileDialog& cdSettings() const { return *cdSettings_; }

    // Form events. Loading a loaded form does nothing.
    void Form_Load();
    void Form_Unload();

    // Mouse pointer: 0 default, 11 busy (the wait cursor).
    static constexpr int kDefaultPointer = 0;
    static constexpr int kBusyPointer = 11;
    void setMousePointer(int pointer);
    int mousePointer() const { return mousePointer_; }

    // Control reactions (also raised when code changes a value).
    void optRoles_Click(int index);
    void optWeapons_Click(int index);
    void savMaxPingChk_Click();
    void savMinPingChk_Click();
    void savPlayers_Scroll();

    // Button mouse events. Button: 1 left, 2 right, 4 middle; shift: 1 shift,
    // 2 ctrl, 4 alt; x and y in twips from the control's corner.
    void cmdUpdate_MouseDown(qint16 button, qint16 shift, float x, float y);
    void cmdUpdate_MouseUp(qint16 button, qint16 shift, float x, float y);
    void cmdSave_MouseDown(qint16 button, qint16 shift, float x, float y);
    void cmdSave_MouseUp(qint16 button, qint16 shift, float x, float y);
    void cmdLoad_MouseDown(qint16 button, qint16 shift, float x, float y);
    void cmdLoad_MouseUp(qint16 button, qint16 shift, float x, float y);

    // The run-time buttons (null until Form_Load creates them, and when the
    // button faces are missing).
    QPointer<QLabel> cmdUpdateImg, cmdSaveImg, cmdLoadImg;
    QPointer<QLabel> cmdUpdate, cmdSave, cmdLoad;

    // Adds a control created at run time to the control collection (once).
    void registerControl(QWidget* control);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void connectReactions();
    void createButtons();
    void routeMouse(QLabel* target, QMouseEvent* event, bool press);
    void pingToggle(const char* checkBox, const char* label, const char* field);
    void pressFace(const QString& imageName, qint16 button);
    void releaseFace(const QString& imageName, qint16 button);

    QList<QWidget*> controls_;
    // The controls by the name they were registered under, in order: a reply
    // looks up some fifty of them by name.
    QHash<QString, QList<QWidget*>> byName_;
    FileDialog* cdSettings_ = nullptr;
    bool loaded_ = false;
    int mousePointer_ = 0;
};

// Appends the numeric pick lists ("1".."50", "1".."100", "0".."120").
void FillNumberLists(frmrcKDRSM& form);

// Runs an event handler of the form from Qt's event loop: an error it raises
// is reported through the error path under `handler` instead of escaping.
void runHandler(const QString& handler, const std::function<void()>& body);

}  // namespace kdrsm
