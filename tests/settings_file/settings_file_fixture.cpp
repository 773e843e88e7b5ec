#include "settings_file_fixture.h"

#include <QDir>

#include "exchange/reply.h"
#include "form/frmrcKDRSM.h"
#include "panel_support/server_state.h"
#include "plugin/module_state.h"

namespace jextest {

const IniSection& IniText::operator[](const QString& name) const {
    static const IniSection none;
    const auto found = sections.constFind(name);
    return found == sections.cend() ? none : *found;
}

IniText readIni(const QByteArray& content) {
    IniText ini;
    QMap<QString, IniSection>& sections = ini.sections;
    QString current;
    for (QString line : QString::fromUtf8(content).split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#')) continue;
        if (line.startsWith('[') && line.endsWith(']')) {
            current = line.mid(1, line.size() - 2);
            if (!sections.contains(current)) ini.order << current;
            sections[current];
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (equals < 0) continue;
        const QString key = line.left(equals).trimmed();
        sections[current].keys << key;
        sections[current].lines << line;
        sections[current].values[key] = line.mid(equals + 1).trimmed();
    }
    return ini;
}

void SettingsFileTest::SetUp() {
    PanelTest::SetUp();
    setReportErrors("0");
    kdrsm::mdl().ProfileIndex = 2;
    QDir().mkpath(host.path("profiles/2"));
    kdrsm::mdl().PendingCommand = "LoadForm";
    kdrsm::handleRemoteData(ServerState::typical().reply());
    ASSERT_TRUE(modals.boxes().isEmpty());
}

void SettingsFileTest::answerWith(const QString& path) {
    dialog = DialogSeen{};
    modals.onFileDialog = [this, path](QFileDialog* d) {
        dialog.shown = true;
        dialog.title = d->windowTitle();
        dialog.directory = d->directory().absolutePath();
        dialog.nameFilters = d->nameFilters();
        dialog.saving = d->acceptMode() == QFileDialog::AcceptSave;
        dialog.confirmsOverwrite = !d->testOption(QFileDialog::DontConfirmOverwrite);
        if (path.isEmpty()) {
            d->reject();
        } else {
            d->selectFile(path);
            static_cast<QDialog*>(d)->accept();
        }
    };
}

void SettingsFileTest::save(const QString& path, qint16 button) {
    answerWith(path);
    form().cmdSave_MouseDown(button, 0, 5, 5);
    form().cmdSave_MouseUp(button, 0, 5, 5);
}

void SettingsFileTest::load(const QString& path, qint16 button) {
    answerWith(path);
    form().cmdLoad_MouseDown(button, 0, 5, 5);
    form().cmdLoad_MouseUp(button, 0, 5, 5);
}

}  // namespace jextest
