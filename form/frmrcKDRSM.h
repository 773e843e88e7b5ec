#pragma once
// The settings form. Its controls are built from the control catalogue
// (catalogue.h) and found by objectName; its own reactions are the handlers
// below.

#include <QLabel>
#include <QList>
#include <QPointer>
#include <QWidget>

namespace kdrsm {

class FileDialog;
class PictureBox;

class frmrcKDRSM final : public QWidget {
    Q_OBJECT
public:
    explicit frmrcKDRSM(QWidget* parent = nullptr);
    ~frmrcKDRSM() override;

    // The control named `name` (for an option-button array, index `index`);
    // a missing control raises 730.
    QWidget* control(const QString& name, int index = -1) const;
    // The form's control collection, in creation order (containers before
    // their contents; run-time buttons appended as they are created).
    const QList<QWidget*>& controls() const { return controls_; }
    FileDialog& cdSettings() const { return *cdSettings_; }

    // Form events.
    void Form_Load();
    void Form_Unload();
    bool isLoaded() const { return loaded_; }

    // Mouse pointer: 0 default, 11 busy.
    void setMousePointer(int pointer);
    int mousePointer() const { return mousePointer_; }

    // Control reactions (also raised when code changes a value).
    void optRoles_Click(int index);
    void optWeapons_Click(int index);
    void savMaxPingChk_Click();
    void savMinPingChk_Click();
    void savPlayers_Scroll();

    // Button mouse events. Button: 1 left, 2 right, 4 middle.
    void cmdUpdate_MouseDown(qint16 button, qint16 shift, float x, float y);
    void cmdUpdate_MouseUp(qint16 button, qint16 shift, float x, float y);
    void cmdSave_MouseDown(qint16 button, qint16 shift, float x, float y);
    void cmdSave_MouseUp(qint16 button, qint16 shift, float x, float y);
    void cmdLoad_MouseDown(qint16 button, qint16 shift, float x, float y);
    void cmdLoad_MouseUp(qint16 button, qint16 shift, float x, float y);

    // The run-time buttons (null until Form_Load creates them).
    QPointer<QLabel> cmdUpdateImg, cmdSaveImg, cmdLoadImg;
    QPointer<QLabel> cmdUpdate, cmdSave, cmdLoad;

    // Adds a control created at run time to the control collection.
    void registerControl(QWidget* control);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectReactions();
    void routeMouse(QLabel* target, QEvent* event);

    QList<QWidget*> controls_;
    FileDialog* cdSettings_ = nullptr;
    bool loaded_ = false;
    int mousePointer_ = 0;
};

// Appends the numeric pick lists ("1".."50", "1".."100", "0".."120").
void FillNumberLists(frmrcKDRSM& form);

}  // namespace kdrsm
