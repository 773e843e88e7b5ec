#include "host/catalogue_ui/plugins_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QTableView>
#include <QVBoxLayout>

#include "host/catalogue/catalogue_model.h"

namespace jexhost::catalogue {

PluginsDialog::PluginsDialog(const Catalogue& catalogue, QWidget* parent)
    : QDialog(parent), table_(new QTableView(this)) {
    setWindowTitle(QStringLiteral("Plug-ins"));
    table_->setModel(new CatalogueModel(catalogue.entries(), table_));
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->resizeColumnsToContents();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addWidget(buttons);
    resize(900, 300);
}

}  // namespace jexhost::catalogue
