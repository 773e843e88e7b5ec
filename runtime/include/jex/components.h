#pragma once
// Components created by class name. Each component library is a Qt plugin
// whose metadata lists the classes it offers ({"classes": [{"progId", "guid"}]})
// and whose root object offers `Q_INVOKABLE QObject* create(const QString&)`.

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QStringList>

#include "jex/export.h"

namespace jex {

// The folders searched for component libraries, in order: the host's
// component folder (components/ beside the host executable), then the
// folders of the colon-separated environment variable JEX_COMPONENT_PATH.
JEX_RUNTIME_EXPORT QStringList componentSearchPath();

// Finds the library offering `progId` by reading plugin metadata (without
// loading the other libraries), loads it once and creates the object; the
// caller owns it. An unknown class, or a library that will not load or
// create, raises 429.
JEX_RUNTIME_EXPORT QObject* createObject(const QString& progId);

// The ProgIDs offered by the component library at `path` (empty when it is
// not a component library).
JEX_RUNTIME_EXPORT QStringList componentClasses(const QString& path);

// The metadata object of the library offering `progId` (empty when none).
JEX_RUNTIME_EXPORT QJsonObject componentMetadata(const QString& progId);

}  // namespace jex
