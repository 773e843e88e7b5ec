#include "plugin/embedding.h"

#include <QTabWidget>

#include "diagnostics/error_trap.h"
#include "exchange/send_request.h"
#include "exchange/wire/request.h"
#include "form/controls.h"
#include "form/frmrcKDRSM.h"
#include "jex/convert.h"
#include "jex/error.h"
#include "plugin/module_state.h"

namespace kdrsm {

namespace {

constexpr int kLeft = 2;
constexpr int kTop = 30;
constexpr int kHeightReduction = 28;

const QVariant& element(const QVariantList& list, qsizetype index) {
    if (index < 0 || index >= list.size()) jex::raise(jex::err::SubscriptOutOfRange);
    return list[index];
}

// The host window a winId names; an unknown handle is an invalid argument.
QWidget* hostWidget(qint64 handle) {
    QWidget* widget = QWidget::find(static_cast<WId>(handle));
    if (!widget) jex::raise(jex::err::InvalidCall, QStringLiteral("Invalid window handle"));
    return widget;
}

double twipsOf(const QVariant& value) {
    return value.metaType().id() == QMetaType::QString ? jex::toDouble(value.toString())
                                                       : jex::numberOf(value);
}

}  // namespace

void loadInterface(qint32 index, qint64 hostWindow, const QVariantList& pdat) {
    ModuleState& state = mdl();
    ErrorTrap trap(QStringLiteral("LoadInterface"), jex::err::ObjectAlreadyLoaded);
    trap.step(10, [&] { state.ProfileIndex = index; });
    trap.step(20, [&] { state.HostTag = element(pdat, 0).toString(); });
    trap.step(30, [&] {
        frmrcKDRSM& form = formInstance();
        QWidget* parent = hostWidget(hostWindow);
        if (form.parentWidget() != parent) form.setParent(parent);
    });
    trap.step(40, [&] {
        const int width = jex::integerDivide(twipsOf(element(pdat, 3)), ctl::twipsPerPixelX());
        const int height =
            jex::integerDivide(twipsOf(element(pdat, 2)), ctl::twipsPerPixelY()) - kHeightReduction;
        QWidget& form = formInstance();
        form.setGeometry(kLeft, kTop, width, height);
        form.repaint();
    });
    trap.step(50, [&] { state.PendingCommand = QStringLiteral("LoadForm"); });
    trap.step(60, [&] { SendRequest(wire::kGetSettings, QString()); });
    trap.step(70, [&] {
        auto* tabs = qobject_cast<QTabWidget*>(formInstance().control(QStringLiteral("SSTab2")));
        if (tabs) tabs->setCurrentIndex(0);
    });
    trap.step(80, [&] { formInstance().show(); });
}

void hideInterface() {
    formInstance().hide();
}

}  // namespace kdrsm
