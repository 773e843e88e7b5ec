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

namespace {

// Whether `word` starts one of the words of `text`: "47" finds port 4711,
// "71" does not, nor does "ta" find "Delta".
bool startsAWord(const QString& text, const QString& word) {
    for (qsizetype at = text.indexOf(word, 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(word, at + 1, Qt::CaseInsensitive))
        if (at == 0 || !text.at(at - 1).isLetterOrNumber()) return true;
    return false;
}

}  // namespace

bool ServerFilter::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    if (words_.isEmpty()) return true;
    const auto* list = qobject_cast<const ServerListModel*>(sourceModel());
    if (!list || sourceParent.isValid()) return true;
    const ServerEntry& entry = list->server(sourceRow);
    const QString state = linkStatusText(list->linkStatus(sourceRow));
    const QString remote = QStringLiteral("%1, profile %2").arg(entry.remote).arg(entry.profile);
    for (const QString& word : words_) {
        const bool found = startsAWord(entry.name, word) || startsAWord(entry.game, word) ||
                           startsAWord(remote, word) || startsAWord(state, word);
        if (!found) return false;
    }
    return true;
}

}  // namespace jexhost::servers
