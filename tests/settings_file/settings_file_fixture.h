#pragma once
// Fixture for the settings files: a form filled by a settings reply, the
// profile folder present, and helpers to drive the file dialog and read the
// saved file.

#include <QMap>
#include <QStringList>

#include "panel_support/panel_fixture.h"

namespace jextest {

// One section of an INI file: its keys in file order and their values.
struct IniSection {
    QStringList keys;
    QStringList lines;  // "key=value" as written
    QMap<QString, QString> values;
};

// The sections of an INI file in file order, values as the lines spell them.
struct IniText {
    QStringList order;
    QMap<QString, IniSection> sections;
    // The section of that name; an empty one when the file lacks it.
    const IniSection& operator[](const QString& name) const;
};

// Reads an INI file by plain text (independent of the component that wrote
// it).
IniText readIni(const QByteArray& content);

class SettingsFileTest : public PanelTest {
protected:
    void SetUp() override;

    QString settingsFolder() const { return host.path("profiles/2/settings"); }
    QString settingsPath(const QString& name) const { return settingsFolder() + '/' + name; }

    // Presses Save or Load with the dialog answered by choosing `path`
    // ("" cancels). Records the dialog that was shown.
    void save(const QString& path, qint16 button = 1);
    void load(const QString& path, qint16 button = 1);

    // What the last file dialog looked like when it was shown.
    struct DialogSeen {
        bool shown = false;
        QString title;
        QString directory;
        QStringList nameFilters;
        bool saving = false;
        bool confirmsOverwrite = true;
    } dialog;

private:
    void answerWith(const QString& path);
};

}  // namespace jextest
