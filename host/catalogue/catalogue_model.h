#pragma once
// The catalogue as a table for the "Plug-ins" dialog: one row per listed
// plug-in or failed library.

#include <QAbstractTableModel>

#include "host/catalogue/catalogue.h"

namespace jexhost::catalogue {

class CatalogueModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Name, Version, File, Games, Description, Author, StateColumn, ColumnCount };

    explicit CatalogueModel(QList<PluginEntry> entries, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QString text(const PluginEntry& entry, int column) const;

    QList<PluginEntry> entries_;
};

}  // namespace jexhost::catalogue
