#include "form/settings_file.h"

#include <functional>

#include "diagnostics/error_trap.h"
#include "diagnostics/messages.h"
#include "form/controls.h"
#include "form/file_dialog.h"
#include "form/frmrcKDRSM.h"
#include "jex/convert.h"
#include "jex/filesystem.h"
#include "jex/latebound.h"
#include "plugin/module_state.h"

namespace kdrsm {

namespace {

const QString kServer = QStringLiteral("Server");
const QString kSettingPrefix = QStringLiteral("sav");

// Hide read-only, allow multi-select, path must exist, no long names,
// explorer style: the flags both dialogs are shown with.
constexpr qint32 kDialogFlags = 0xC0A04;

// Line markers of the steps of Save and Load.
constexpr qint32 kLineRefusal = 10;
constexpr qint32 kLineFolder = 20;
constexpr qint32 kLineDialog = 30;
constexpr qint32 kLineServer = 100;
constexpr qint32 kLineRoles = 200;
constexpr qint32 kLineWeapons = 300;
constexpr qint32 kLineVerify = 400;
constexpr qint32 kLineLoaded = 400;

// The two lists whose entries' selection a settings file keeps, each in a
// section named like the list's contents.
struct EntryList {
    QString section;
    QString list;
    qint32 line;
};
const EntryList kEntryLists[] = {
    {QStringLiteral("Roles"), QStringLiteral("lstRoles"), kLineRoles},
    {QStringLiteral("Weapons"), QStringLiteral("lstWeapons"), kLineWeapons},
};

QString settingKey(const QWidget* control) {
    return control->objectName().mid(kSettingPrefix.size());
}

bool isSetting(const QWidget* control) {
    return control->objectName().startsWith(kSettingPrefix, Qt::CaseSensitive);
}

// Creates the settings folder (last level only) and lets the operator pick a
// file in it. "" when cancelled.
QString chooseFile(frmrcKDRSM& form, ErrorTrap& trap, const QString& title, bool save) {
    const QString folder = settingsFolder();
    trap.step(kLineFolder, [&] {
        if (!jex::fs::folderExists(folder)) jex::fs::createFolder(folder);
    });
    QString chosen;
    trap.step(kLineDialog, [&] {
        FileDialog& dialog = form.cdSettings();
        dialog.FileName = QString();
        dialog.InitDir = folder;
        dialog.CancelError = false;
        dialog.Filter = QStringLiteral("Server Settings File (*.ssf)|*.ssf");
        dialog.Flags = kDialogFlags;
        dialog.DialogTitle = title;
        save ? dialog.ShowSave() : dialog.ShowOpen();
        chosen = dialog.FileName;
    });
    return trap.ended() ? QString() : chosen;
}

// The value a setting control writes, by its type name; nothing for types
// that are not settings.
std::optional<QString> settingValue(const QWidget* control) {
    const QString type = ctl::typeName(control);
    if (type == QStringLiteral("TextBox")) return ctl::text(control);
    if (type == QStringLiteral("ComboBox") || type == QStringLiteral("ListBox"))
        return QString::number(ctl::listIndex(control));
    if (type == QStringLiteral("CheckBox")) return QString::number(ctl::checkValue(control));
    return std::nullopt;
}

void putSettingValue(QWidget* control, const QString& value) {
    const QString type = ctl::typeName(control);
    if (type == QStringLiteral("TextBox"))
        ctl::setText(control, value);
    else if (type == QStringLiteral("ComboBox") || type == QStringLiteral("ListBox"))
        ctl::setListIndex(control, jex::toInteger(value));
    else if (type == QStringLiteral("CheckBox"))
        ctl::setCheckValue(control, jex::toInteger(value));
}

void writeKey(const QString& section, const QString& key, const QString& value,
              const QString& file) {
    jex::call(mdl().objMFD, "WriteIniKey", {section, key, value, file});
}

QString readKey(const QString& section, const QString& key, const QString& file) {
    return jex::call(mdl().objMFD, "GetIniKey", {section, key, file}).toString();
}

// Runs `entry` for every entry of a list with check boxes, one step each.
void forEachEntry(ErrorTrap& trap, qint32 line, QWidget* list,
                  const std::function<void(qint32)>& entry) {
    const qint32 count = ctl::listCount(list);
    for (qint32 i = 0; i < count; ++i) trap.step(line, [&] { entry(i); });
}

}  // namespace

QString settingsFolder() {
    return mdl().HostRoot + QStringLiteral("/profiles/") + QString::number(mdl().ProfileIndex) +
           QStringLiteral("/settings");
}

void saveSettingsFile(frmrcKDRSM& form) {
    ErrorTrap trap(QStringLiteral("cmdSave"));
    if (mdl().NoDataReceived) {
        trap.step(kLineRefusal,
                  [] { showNoDataRefusal(QStringLiteral("Unable to save server settings!")); });
        return;
    }
    const QString file = chooseFile(form, trap, QStringLiteral("Save Server Settings"), true);
    if (file.isEmpty()) return;

    // The file is written only key by key: a first key that cannot be written
    // leaves no file behind. A new file is the owner's alone (it holds
    // passwords in plain text): objMFD creates every new file so.
    for (QWidget* control : form.controls()) {
        if (!isSetting(control)) continue;
        trap.step(kLineServer, [&] {
            if (const auto value = settingValue(control))
                writeKey(kServer, settingKey(control), *value, file);
        });
    }
    for (const EntryList& entryList : kEntryLists) {
        QWidget* entries = nullptr;
        if (!trap.step(entryList.line, [&] { entries = form.control(entryList.list); })) return;
        forEachEntry(trap, entryList.line, entries, [&](qint32 i) {
            writeKey(entryList.section, ctl::listText(entries, i),
                     ctl::selected(entries, i) ? QStringLiteral("1") : QStringLiteral("0"), file);
        });
    }
    // Judged by the file itself, not by the write calls.
    trap.step(kLineVerify, [&] {
        if (!jex::fs::fileExists(file))
            ShowMessage(msg::Failure, QStringLiteral("Failed to Save Server Settings!."));
        else if (jex::fs::fileSize(file) == 0)
            ShowMessage(msg::Failure,
                        QStringLiteral("Failed to Write Data to Server Settings File!."));
        else
            ShowMessage(msg::Success, QStringLiteral("Server Settings Saved Successfully."));
    });
}

void loadSettingsFile(frmrcKDRSM& form) {
    ErrorTrap trap(QStringLiteral("cmdLoad"), jex::err::ControlNotFound);
    const QString file =
        chooseFile(form, trap, QStringLiteral("Load Saved Server Settings"), false);
    if (file.isEmpty()) return;

    for (QWidget* control : form.controls()) {
        if (!isSetting(control)) continue;
        trap.step(kLineServer,
                  [&] { putSettingValue(control, readKey(kServer, settingKey(control), file)); });
    }
    // The lists stay as they are; only their entries' selection is read back.
    for (const EntryList& entryList : kEntryLists) {
        QWidget* entries = nullptr;
        trap.step(entryList.line, [&] { entries = form.control(entryList.list); });
        if (!entries) continue;
        forEachEntry(trap, entryList.line, entries, [&](qint32 i) {
            const QString value = readKey(entryList.section, ctl::listText(entries, i), file);
            ctl::setSelected(entries, i, value == QStringLiteral("1"));
        });
    }
    trap.step(kLineLoaded,
              [] { ShowMessage(msg::Success, QStringLiteral("Server Settings Loaded.")); });
}

}  // namespace kdrsm
