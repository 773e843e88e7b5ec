#include "host/fleet_ui/fleet_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "host/fleet/fleet_run.h"
#include "host/fleet_ui/outcome_table.h"
#include "host/fleet_ui/outcome_text.h"

namespace jexhost::fleet_ui {

namespace {

constexpr int kChoiceColumns = 4;
constexpr const char* kKeyProperty = "settingKey";

QString serversText(qsizetype count) {
    return count == 1 ? QStringLiteral("1 server") : QStringLiteral("%1 servers").arg(count);
}

QMap<fleet::Outcome, int> countOf(const QList<fleet::ServerOutcome>& outcomes) {
    QMap<fleet::Outcome, int> counts;
    for (const fleet::ServerOutcome& outcome : outcomes) ++counts[outcome.outcome];
    return counts;
}

}  // namespace

FleetDialog::FleetDialog(const FleetContext& context, fleet::SettingsSource source,
                         QList<servers::ServerEntry> servers, QWidget* parent)
    : QDialog(parent),
      context_(context),
      source_(std::move(source)),
      servers_(std::move(servers)),
      table_(new OutcomeTable),
      status_(new QLabel),
      progress_(new QProgressBar),
      preview_(new QPushButton(tr("&Preview"))),
      apply_(new QPushButton(tr("&Apply"))) {
    setObjectName(QStringLiteral("fleetDialog"));
    setWindowTitle(tr("Settings to %1").arg(serversText(servers_.size())));

    auto* heading = new QLabel(tr("From %1 to %2. Tick the settings to carry over:")
                                   .arg(source_.name(), serversText(servers_.size())));
    heading->setWordWrap(true);
    auto* box = new QGroupBox(tr("Settings"));
    auto* grid = new QGridLayout(box);
    const QStringList ticked = source_.defaultKeys();
    for (const fleet::SettingChoice& choice : fleet::settingChoices()) {
        if (!source_.heldKeys().contains(choice.key)) continue;
        auto* check = new QCheckBox(choice.label);
        check->setObjectName(QStringLiteral("setting_") + choice.key);
        check->setProperty(kKeyProperty, choice.key);
        check->setChecked(ticked.contains(choice.key));
        connect(check, &QCheckBox::toggled, this, &FleetDialog::choicesChanged);
        const int at = int(choices_.size());
        grid->addWidget(check, at / kChoiceColumns, at % kChoiceColumns);
        choices_ << check;
    }

    QStringList names;
    for (const servers::ServerEntry& server : servers_) names << server.name;
    table_->setServers(names);
    progress_->setRange(0, int(servers_.size()));
    progress_->setValue(0);
    status_->setObjectName(QStringLiteral("fleetStatus"));
    status_->setWordWrap(true);
    status_->setText(tr("Preview shows what each server would get; nothing is sent before Apply."));

    preview_->setObjectName(QStringLiteral("preview"));
    apply_->setObjectName(QStringLiteral("apply"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->addButton(preview_, QDialogButtonBox::ActionRole);
    buttons->addButton(apply_, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(preview_, &QPushButton::clicked, this, &FleetDialog::startPreview);
    connect(apply_, &QPushButton::clicked, this, &FleetDialog::startApply);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(box);
    layout->addWidget(table_, 1);
    layout->addWidget(progress_);
    layout->addWidget(status_);
    layout->addWidget(buttons);
    resize(1100, 640);
    updateButtons();
}

FleetDialog::~FleetDialog() = default;

QStringList FleetDialog::chosenKeys() const {
    QStringList keys;
    for (const QCheckBox* check : choices_)
        if (check->isChecked()) keys << check->property(kKeyProperty).toString();
    return keys;
}

QCheckBox* FleetDialog::choice(const QString& key) const {
    for (QCheckBox* check : choices_)
        if (check->property(kKeyProperty).toString() == key) return check;
    return nullptr;
}

fleet::FleetRun* FleetDialog::newRun() {
    if (run_) run_->deleteLater();
    run_ = fleet_ui::newRun(context_, progress_, this);
    connect(run_, &fleet::FleetRun::serverFinished, this,
            [this](int row, const fleet::ServerOutcome& outcome) {
                if (stage_ == Stage::Previewing)
                    table_->showPreview(row, outcome);
                else
                    table_->showOutcome(row, outcome);
            });
    connect(run_, &fleet::FleetRun::finished, this, &FleetDialog::settle);
    return run_;
}

void FleetDialog::startPreview() {
    if (stage_ == Stage::Previewing || stage_ == Stage::Applying) return;
    const QStringList keys = chosenKeys();
    if (keys.isEmpty()) {
        status_->setText(tr("Tick at least one setting."));
        return;
    }
    stage_ = Stage::Previewing;
    table_->clearPreview();
    table_->clearOutcomes(false);
    progress_->setValue(0);
    status_->setText(tr("Fetching the settings of every server…"));
    updateButtons();
    newRun()->preview(servers_, source_, keys);
}

void FleetDialog::startApply() {
    if (stage_ != Stage::Previewed) return;
    stage_ = Stage::Applying;
    table_->clearOutcomes(true);
    progress_->setValue(0);
    status_->setText(tr("Applying…"));
    updateButtons();
    newRun()->apply(servers_, source_, chosenKeys());
}

void FleetDialog::settle(const QString& error) {
    const QList<fleet::ServerOutcome> outcomes =
        run_ ? run_->outcomes() : QList<fleet::ServerOutcome>{};
    const QString counts = countsText(countOf(outcomes));
    if (stage_ == Stage::Previewing) {
        stage_ = Stage::Previewed;
        status_->setText(error.isEmpty() ? tr("Preview: %1. Nothing has been sent.").arg(counts)
                                         : tr("The preview stopped: %1").arg(error));
    } else if (stage_ == Stage::Applying) {
        stage_ = Stage::Done;
        batchId_ = run_ ? run_->batchId() : QString();
        QStringList stored;
        for (const fleet::ServerOutcome& outcome : outcomes)
            if (outcome.outcome == fleet::Outcome::Applied) stored << outcome.server.id;
        status_->setText(batchId_.isEmpty() ? counts : tr("Batch %1: %2.").arg(batchId_, counts));
        if (!error.isEmpty()) QMessageBox::warning(this, windowTitle(), error);
        if (!stored.isEmpty()) emit applied(stored);
    }
    updateButtons();
    emit runFinished();
}

void FleetDialog::choicesChanged() {
    if (stage_ != Stage::Previewed && stage_ != Stage::Done) return updateButtons();
    // What was previewed is no longer what would be sent.
    stage_ = Stage::Choosing;
    table_->clearPreview();
    table_->clearOutcomes(false);
    status_->setText(tr("The choice changed: Preview again before Apply."));
    updateButtons();
}

void FleetDialog::updateButtons() {
    const bool running = stage_ == Stage::Previewing || stage_ == Stage::Applying;
    bool changes = false;
    if (stage_ == Stage::Previewed && run_)
        for (const fleet::ServerOutcome& outcome : run_->outcomes())
            changes = changes || outcome.outcome == fleet::Outcome::DryRun;
    preview_->setEnabled(!running && !choices_.isEmpty());
    apply_->setEnabled(stage_ == Stage::Previewed && changes);
    for (QCheckBox* check : choices_) check->setEnabled(!running);
}

}  // namespace jexhost::fleet_ui
