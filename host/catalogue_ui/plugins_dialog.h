#pragma once
// The "Plug-ins" dialog: the catalogue as a read-only table.

#include <QDialog>

#include "host/catalogue/catalogue.h"

class QTableView;

namespace jexhost::catalogue {

class PluginsDialog final : public QDialog {
    Q_OBJECT
public:
    explicit PluginsDialog(const Catalogue& catalogue, QWidget* parent = nullptr);

    QTableView* table() const { return table_; }

private:
    QTableView* table_;
};

}  // namespace jexhost::catalogue
