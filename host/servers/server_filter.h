#pragma once
// The server list narrowed by what the operator types: each word of the text
// must start a word, in any case, of the server's name, game, remote or link
// state ("delta unreach" keeps the Delta Force servers whose remote cannot be
// reached; "71" is no match for port 4711). Empty text keeps every server.
// Sorted by a column header, the list keeps the servers file's order until
// the operator clicks one.

#include <QSortFilterProxyModel>
#include <QStringList>

namespace jexhost::servers {

class ServerFilter final : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit ServerFilter(QObject* parent = nullptr);

    void setText(const QString& text);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    QStringList words_;
};

}  // namespace jexhost::servers
