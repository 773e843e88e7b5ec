#include "host/console/link_note.h"

#include <QLabel>
#include <QWidget>

#include "host/host_session.h"
#include "host/servers/server_list_model.h"

namespace jexhost {

namespace {

// The controls that change the form or send it; Save stays, to keep the
// changes as a preset.
bool changesTheForm(const QString& name) {
    for (const char* prefix : {"sav", "lst", "chk", "opt", "cmdUpdate", "cmdLoad"})
        if (name.startsWith(QLatin1String(prefix))) return true;
    return false;
}

}  // namespace

LinkNote::LinkNote(HostSession& session, QLabel* line, QWidget* panelHost, QObject* parent)
    : QObject(parent), session_(session), line_(line), panelHost_(panelHost) {
    line_->setObjectName(QStringLiteral("linkNote"));
    line_->setWordWrap(true);
    line_->hide();
    connect(&session_, &HostSession::openLinkChanged, this, &LinkNote::update);
    connect(&session_, &HostSession::panelStateChanged, this, &LinkNote::update);
    connect(&session_, &HostSession::answerApplied, this, &LinkNote::update);
    connect(&session_, &HostSession::privilegesLowered, this,
            [this](const QString& id, const QStringList& names) {
                const auto entry = session_.server(id);
                if (!entry) return;
                emit outcome(tr("Your privileges on %1 were lowered: %2 no longer granted; "
                                "those controls are greyed.")
                                 .arg(entry->name, names.join(QStringLiteral(", "))));
            });
}

void LinkNote::update() {
    const auto entry = session_.server(session_.openId());
    const servers::LinkStatus status = entry ? session_.linkStatus(*entry) : servers::LinkStatus{};
    const bool removed = entry && session_.panelState() == PanelState::Shown &&
                         status.state == servers::LinkState::Refused && status.removed;
    if (removed)
        line_->setText(tr("%1: %2. This form is read-only; Save keeps your changes as a preset, "
                          "Retry tries the link again.")
                           .arg(entry->remote, status.refusal));
    line_->setVisible(removed);
    setReadOnly(removed);
}

void LinkNote::setReadOnly(bool readOnly) {
    if (!readOnly) {
        for (const QPointer<QWidget>& control : std::as_const(disabled_))
            if (control) control->setEnabled(true);
        disabled_.clear();
        return;
    }
    if (!panelHost_ || !disabled_.isEmpty()) return;
    for (QWidget* control : panelHost_->findChildren<QWidget*>())
        if (changesTheForm(control->objectName()) && control->isEnabled()) {
            control->setEnabled(false);
            disabled_ << control;
        }
}

}  // namespace jexhost
