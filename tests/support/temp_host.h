#pragma once
// A temporary host root folder for one test: everything a test writes goes
// below it, and it is removed afterwards.

#include <QByteArray>
#include <QMap>
#include <QString>

#include <QTemporaryDir>
#include "support/printers.h"

namespace jextest {

// Every file below `folder`, hidden ones too, by its path from there ("a/b.txt").
QMap<QString, QByteArray> filesBelow(const QString& folder);

class TempHost {
public:
    TempHost();
    ~TempHost();
    const QString& root() const { return root_; }
    QString path(const QString& relative) const { return root_ + u'/' + relative; }
    // Writes a file below the root, creating its folders.
    void write(const QString& relative, const QByteArray& content) const;
    QByteArray read(const QString& relative) const;
    bool exists(const QString& relative) const;

private:
    QTemporaryDir dir_;
    QString root_;
    QByteArray previousRootVariable_;
};

}  // namespace jextest
