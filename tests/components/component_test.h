#pragma once
// Helpers for tests that use the sibling components the way the plug-in
// does: created by ProgID, every operation called late-bound by name.

#include <QByteArray>
#include <QObject>
#include <QStringList>

#include <memory>

#include "jex/components.h"
#include "runtime/raises.h"

namespace jextest {

inline std::unique_ptr<QObject> createComponent(const char* progId) {
    return std::unique_ptr<QObject>(jex::createObject(QString::fromLatin1(progId)));
}

// The lines of a text that are not blank, without their line breaks: what
// an INI file says, whatever its layout.
inline QStringList nonBlankLines(const QByteArray& text) {
    QStringList lines;
    for (const QByteArray& line : text.split('\n')) {
        const QString trimmed = QString::fromUtf8(line).trimmed();
        if (!trimmed.isEmpty()) lines << trimmed;
    }
    return lines;
}

}  // namespace jextest
