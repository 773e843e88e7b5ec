#include "panel_support/panel_fixture.h"

#include <QComboBox>
#include <QDir>

#include "form/controls.h"
#include "form/frmrcKDRSM.h"
#include "plugin/module_state.h"
#include "plugin/startup.h"

namespace jextest {

QString shown(QWidget* control) {
    namespace ctl = kdrsm::ctl;
    const QString type = ctl::typeName(control);
    const auto* combo = qobject_cast<QComboBox*>(control);
    if (type == "TextBox" || (combo && combo->isEditable())) return ctl::text(control);
    if (type == "CheckBox") return QString::number(ctl::checkValue(control));
    const int index = ctl::listIndex(control);
    return index < 0 ? QStringLiteral("(none)") : ctl::listText(control, index);
}

void PanelTest::SetUp() {
    kdrsm::unloadForm();
    delete kdrsm::mdl().objMFD;
    delete kdrsm::mdl().objMemory;
    kdrsm::mdl() = kdrsm::ModuleState{};
    kdrsm::ensureStarted();  // HostRoot from JEX_HOST_ROOT, set by TempHost
    ASSERT_EQ(kdrsm::mdl().HostRoot, host.root());
    ASSERT_NE(kdrsm::mdl().objMFD, nullptr);
    ASSERT_NE(kdrsm::mdl().objMemory, nullptr);
}

void PanelTest::TearDown() {
    kdrsm::unloadForm();
}

kdrsm::frmrcKDRSM& PanelTest::form() {
    return kdrsm::formInstance();
}

QWidget* PanelTest::control(const QString& name) {
    return form().control(name);
}

void PanelTest::setReportErrors(const QString& value) {
    host.write(QStringLiteral("settings/config.ini"),
               QStringLiteral("[Settings]\nReportErrors=%1\n").arg(value).toUtf8());
}

QStringList PanelTest::errorLogLines() const {
    QStringList lines;
    const QDir logs(host.path(QStringLiteral("logs")));
    for (const QString& file : logs.entryList(QDir::Files))
        lines << QString::fromUtf8(host.read(QStringLiteral("logs/") + file))
                     .split(u'\n', Qt::SkipEmptyParts);
    return lines;
}

}  // namespace jextest
