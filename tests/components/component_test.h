#pragma once
// Helpers for tests that use the sibling components the way the plug-in
// does: created by ProgID, every operation called late-bound by name.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QObject>
#include <QStringList>

#include <memory>

#include "jex/components.h"
#include "jex/latebound.h"
#include "support/raises.h"
#include "support/temp_host.h"

namespace jextest {

inline std::unique_ptr<QObject> createComponent(const char* progId) {
    return std::unique_ptr<QObject>(jex::createObject(QString::fromLatin1(progId)));
}

// The lines of a text that are not blank, trimmed and joined by "\n": what
// an INI file says, whatever its layout.
inline QString nonBlankLines(const QByteArray& text) {
    QStringList lines;
    for (const QByteArray& line : text.split('\n')) {
        const QString trimmed = QString::fromUtf8(line).trimmed();
        if (!trimmed.isEmpty()) lines << trimmed;
    }
    return lines.join(u'\n');
}

// A temporary host and the file helper component, as the plug-in has them.
class MfdTest : public testing::Test {
protected:
    TempHost host;
    std::unique_ptr<QObject> mfd = createComponent("jexrcZTA.clsMFD");
};

}  // namespace jextest
