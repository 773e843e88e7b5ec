#pragma once
// Changes typed into the open form and not sent yet. Before they would be
// lost (another server, Refresh, Edit or Remove of the open server,
// quitting) the operator is asked: Update sends them and the step goes on
// only once the server stored them; Discard drops them; Cancel keeps them.
//
// After an outage in which the panel was told that no data came, the panel
// refuses to send until data comes again: once the link is back, the form
// fetches its settings again and the changes not sent are put back over
// them, so that the next Update is sent.

#include <QObject>
#include <QPointer>

#include <optional>

#include "host/console/edit_watch.h"

class QWidget;

namespace jexhost {

class HostSession;

class UnsentEdits final : public QObject {
    Q_OBJECT
public:
    // `window` carries the question; the form lives below `panelHost`.
    UnsentEdits(HostSession& session, EditWatch& edits, QWidget* window, QWidget* panelHost);

    // True when nothing unsent is left: there was none, it was dropped, or
    // it was stored. False when the operator cancels, or the update chosen
    // was not stored (`outcome` says so; `quitting` words it for a quit).
    bool settle(bool quitting = false);

signals:
    void outcome(const QString& text);

private:
    // Presses the panel's Update and waits for the server's answer.
    bool sendAndWait(const QString& id);
    void pressUpdate();
    void missedData(const QString& id);
    void filled(const QString& id, bool settings);

    HostSession& session_;
    EditWatch& edits_;
    QPointer<QWidget> window_;
    QPointer<QWidget> panelHost_;
    bool settling_ = false;
    // Changes to put back over the next fill of this server's form.
    std::optional<std::pair<QString, EditWatch::Held>> putBack_;
};

}  // namespace jexhost
