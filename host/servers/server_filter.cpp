#include "host/servers/server_filter.h"

#include "host/servers/server_list_model.h"

namespace jexhost::servers {

ServerFilter::ServerFilter(QObject* parent) : QSortFilterProxyModel(parent) {
    // A link that changes state is filtered again, row by row.
    setDynamicSortFilter(true);
}

void ServerFilter::setText(const QString& text) {
    const QStringList words = text.split(u' ', Qt::SkipEmptyParts);
    if (words == words_) return;
    words_ = words;
    invalidateRowsFilter();
}

bool ServerFilter::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    if (words_.isEmpty()) return true;
    const auto* list = qobject_cast<const ServerListModel*>(sourceModel());
    if (!list || sourceParent.isValid()) return true;
    const ServerEntry& entry = list->server(sourceRow);
    const QString state = linkStatusText(list->linkStatus(sourceRow));
    const QString remote = QStringLiteral("%1, profile %2").arg(entry.remote).arg(entry.profile);
    for (const QString& word : words_) {
        const bool found = entry.name.contains(word, Qt::CaseInsensitive) ||
                           entry.game.contains(word, Qt::CaseInsensitive) ||
                           remote.contains(word, Qt::CaseInsensitive) ||
                           state.contains(word, Qt::CaseInsensitive);
        if (!found) return false;
    }
    return true;
}

}  // namespace jexhost::servers
