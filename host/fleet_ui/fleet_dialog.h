#pragma once
// "Apply preset to servers" and "Copy settings to servers": the operator
// ticks the settings to carry over (in the form's words; the server's name
// and the three passwords start unticked), previews what each server would
// get, then applies. The preview fetches every server and marks, before
// anything is sent, those where nothing changes, those that cannot be
// reached and those whose operator lacks a privilege. Apply runs a batch:
// a progress bar, and an outcome per server as it settles.

#include <QDialog>
#include <QList>
#include <QPointer>

#include "host/fleet/fleet_settings.h"
#include "host/fleet_ui/fleet_context.h"
#include "host/servers/server_entry.h"

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace jexhost::fleet {
class FleetRun;
}

namespace jexhost::fleet_ui {

class OutcomeTable;

class FleetDialog final : public QDialog {
    Q_OBJECT
public:
    FleetDialog(const FleetContext& context, fleet::SettingsSource source,
                QList<servers::ServerEntry> servers, QWidget* parent = nullptr);
    ~FleetDialog() override;

    // The ticked settings' keys, in the form's order.
    QStringList chosenKeys() const;
    QCheckBox* choice(const QString& key) const;
    OutcomeTable* table() const { return table_; }
    QPushButton* previewButton() const { return preview_; }
    QPushButton* applyButton() const { return apply_; }
    QProgressBar* progress() const { return progress_; }
    QLabel* status() const { return status_; }
    // The batch of the last apply; empty before one.
    const QString& batchId() const { return batchId_; }

public slots:
    void startPreview();
    void startApply();

signals:
    // A run settled every server (tests and the console wait on it).
    void runFinished();
    // An apply stored settings on these servers (their open panels fetch again).
    void applied(const QStringList& serverIds);

private:
    enum class Stage { Choosing, Previewing, Previewed, Applying, Done };
    fleet::FleetRun* newRun();
    void choicesChanged();
    void settle(const QString& error);
    void updateButtons();

    FleetContext context_;
    fleet::SettingsSource source_;
    QList<servers::ServerEntry> servers_;
    QList<QCheckBox*> choices_;
    QPointer<fleet::FleetRun> run_;
    Stage stage_ = Stage::Choosing;
    QString batchId_;
    OutcomeTable* table_;
    QLabel* status_;
    QProgressBar* progress_;
    QPushButton* preview_;
    QPushButton* apply_;
};

}  // namespace jexhost::fleet_ui
