#include "host/fleet_ui/outcome_table.h"

#include <QHeaderView>

#include "host/fleet_ui/outcome_text.h"

namespace jexhost::fleet_ui {

using fleet::Outcome;

OutcomeTable::OutcomeTable(QWidget* parent) : QTableWidget(0, ColumnCount, parent) {
    setObjectName(QStringLiteral("outcomes"));
    setHorizontalHeaderLabels({tr("Server"), tr("Changes"), tr("Preview"), tr("Outcome")});
    setEditTriggers(NoEditTriggers);
    setSelectionBehavior(SelectRows);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView* header = horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setSectionResizeMode(ChangesColumn, QHeaderView::Stretch);
    header->resizeSection(ServerColumn, 170);
    header->resizeSection(PreviewColumn, 190);
    header->resizeSection(OutcomeColumn, 190);
}

void OutcomeTable::setServers(const QStringList& names) {
    clearContents();
    setRowCount(int(names.size()));
    for (int row = 0; row < names.size(); ++row)
        setCell(row, ServerColumn, names[row], Outcome::Waiting);
}

void OutcomeTable::showPreview(int row, const fleet::ServerOutcome& outcome) {
    if (row < 0 || row >= rowCount()) return;
    setCell(row, ChangesColumn, changesText(outcome.changes), outcome.outcome);
    setCell(row, PreviewColumn, previewText(outcome), outcome.outcome);
}

void OutcomeTable::showOutcome(int row, const fleet::ServerOutcome& outcome) {
    if (row < 0 || row >= rowCount()) return;
    if (!outcome.changes.isEmpty())
        setCell(row, ChangesColumn, changesText(outcome.changes), outcome.outcome);
    setCell(row, OutcomeColumn, outcomeText(outcome), outcome.outcome);
}

void OutcomeTable::showOutcomeText(int row, const QString& text, Outcome tone) {
    if (row >= 0 && row < rowCount()) setCell(row, OutcomeColumn, text, tone);
}

void OutcomeTable::clearOutcomes(bool sending) {
    for (int row = 0; row < rowCount(); ++row)
        setCell(row, OutcomeColumn, sending ? QStringLiteral("sending…") : QString(),
                Outcome::Waiting);
}

void OutcomeTable::clearPreview() {
    for (int row = 0; row < rowCount(); ++row) {
        setCell(row, ChangesColumn, {}, Outcome::Waiting);
        setCell(row, PreviewColumn, {}, Outcome::Waiting);
    }
}

QString OutcomeTable::cell(int row, Column column) const {
    const QTableWidgetItem* it = item(row, column);
    return it ? it->text() : QString();
}

void OutcomeTable::setCell(int row, Column column, const QString& text, Outcome tone) {
    auto* cell = new QTableWidgetItem(text);
    cell->setToolTip(QString(text).replace(QStringLiteral("; "), QStringLiteral("\n")));
    if (column != ServerColumn) {
        if (isTrouble(tone)) cell->setForeground(QColor(0xb0, 0x20, 0x20));
        if (tone == Outcome::Unchanged)
            cell->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
    }
    setItem(row, column, cell);
}

}  // namespace jexhost::fleet_ui
