#include "jex/collection.h"

#include "jex/boundary.h"
#include "jex/error.h"

namespace jex {

Collection::Collection(QObject* parent) : QObject(parent) {}

void Collection::add(const QVariant& item, const QString& key) {
    if (!key.isEmpty()) {
        const QString folded = key.toCaseFolded();
        if (byKey_.contains(folded)) raise(err::DuplicateKey);
        byKey_.insert(folded, items_.size());
    }
    items_.append(item);
}

QVariant Collection::item(const QString& key) const {
    const auto it = byKey_.constFind(key.toCaseFolded());
    if (it == byKey_.constEnd()) raise(err::InvalidCall);
    return items_.at(*it);
}

QVariant Collection::itemAt(qint32 position) const {
    if (position < 1 || position > items_.size()) raise(err::SubscriptOutOfRange);
    return items_.at(position - 1);
}

void Collection::Add(const QVariant& item, const QString& key) {
    boundary([&] { add(item, key); });
}
QVariant Collection::Item(const QString& key) const {
    return boundary([&] { return item(key); });
}
QVariant Collection::ItemAt(qint32 position) const {
    return boundary([&] { return itemAt(position); });
}

}  // namespace jex
