#pragma once
// A keyed collection: ordered items with optional text keys compared without
// regard to case. It is a QObject so that it can be handed across the
// late-bound boundary like any other object (hosts pass privileges in one).

#include <QHash>
#include <QList>
#include <QObject>
#include <QVariant>

#include "jex/export.h"

namespace jex {

class JEX_RUNTIME_EXPORT Collection : public QObject {
    Q_OBJECT
public:
    explicit Collection(QObject* parent = nullptr);

    // Direct C++ use; these raise jex::Error.
    void add(const QVariant& item, const QString& key = QString());  // key present: 457
    QVariant item(const QString& key) const;                         // key missing: 5
    QVariant itemAt(qint32 position) const;                          // 1-based; outside: 9
    qint32 count() const { return static_cast<qint32>(items_.size()); }

    // Late-bound use, by name; errors travel to the caller of jex::call.
    Q_INVOKABLE void Add(const QVariant& item, const QString& key = QString());
    Q_INVOKABLE QVariant Item(const QString& key) const;
    Q_INVOKABLE QVariant ItemAt(qint32 position) const;
    Q_INVOKABLE qint32 Count() const { return count(); }

private:
    QList<QVariant> items_;
    QHash<QString, qsizetype> byKey_;  // case-folded key -> index
};

}  // namespace jex
