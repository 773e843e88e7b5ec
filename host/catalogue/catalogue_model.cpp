#include "host/catalogue/catalogue_model.h"

#include <QFileInfo>

#include <array>

namespace jexhost::catalogue {

namespace {

const std::array<QString, CatalogueModel::ColumnCount> kHeaders{
    QStringLiteral("Name"),  QStringLiteral("Version"),     QStringLiteral("File"),
    QStringLiteral("Games"), QStringLiteral("Description"), QStringLiteral("Author"),
    QStringLiteral("State")};

}  // namespace

CatalogueModel::CatalogueModel(QList<PluginEntry> entries, QObject* parent)
    : QAbstractTableModel(parent), entries_(std::move(entries)) {}

int CatalogueModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(entries_.size());
}

int CatalogueModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString CatalogueModel::text(const PluginEntry& entry, int column) const {
    const Descriptor& d = entry.descriptor;
    switch (column) {
        case Name:
            // A class that never answered GetData is known by its ProgID.
            return d.name.isEmpty() ? entry.progId : d.name;
        case Version:
            return d.version.isEmpty() ? entry.dllVersion : d.version;
        case File:
            return QFileInfo(entry.libraryPath).fileName();
        case Games:
            return d.games.join(QStringLiteral("; "));
        case Description:
            return d.description;
        case Author:
            return d.author;
        case StateColumn:
            return entry.stateText();
    }
    return {};
}

QVariant CatalogueModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= entries_.size()) return {};
    const PluginEntry& entry = entries_[index.row()];
    if (role == Qt::DisplayRole) return text(entry, index.column());
    // The whole library path and the whole reason, which the cells may cut.
    if (role == Qt::ToolTipRole && index.column() == File) return entry.libraryPath;
    if (role == Qt::ToolTipRole && index.column() == StateColumn) return entry.stateText();
    return {};
}

QVariant CatalogueModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ColumnCount)
        return {};
    return kHeaders[section];
}

}  // namespace jexhost::catalogue
