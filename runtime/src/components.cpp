#include "jex/components.h"

#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <QJsonArray>
#include <QMutex>
#include <QPluginLoader>

#include <map>
#include <memory>

#include "jex/error.h"
#include "jex/hostpaths.h"
#include "jex/latebound.h"

namespace jex {

namespace {

QJsonObject metadataOf(const QPluginLoader& loader) {
    return loader.metaData().value(QStringLiteral("MetaData")).toObject();
}

// Loaders are kept for the life of the process: component code may be
// referenced by objects created from it at any time.
struct Registry {
    QMutex mutex;
    std::map<QString, std::unique_ptr<QPluginLoader>> loaded;  // by library path
};

Registry& registry() {
    static Registry instance;
    return instance;
}

// The library offering progId, with its metadata, or an empty path.
QString findLibrary(const QString& progId, QJsonObject* metadata) {
    for (const QString& folder : componentSearchPath()) {
        const QDir dir(folder);
        const QStringList files = dir.entryList({QStringLiteral("*.so")}, QDir::Files, QDir::Name);
        for (const QString& file : files) {
            const QString path = dir.absoluteFilePath(file);
            QPluginLoader loader(path);
            const QJsonObject meta = metadataOf(loader);
            for (const QJsonValue& cls : meta.value(QStringLiteral("classes")).toArray()) {
                if (cls.toObject().value(QStringLiteral("progId")).toString() == progId) {
                    if (metadata) *metadata = meta;
                    return path;
                }
            }
        }
    }
    return {};
}

}  // namespace

QStringList componentSearchPath() {
    QStringList folders;
    folders << hostExecutableFolder() + QStringLiteral("/components");
    const QString extra = qEnvironmentVariable("JEX_COMPONENT_PATH");
    for (const QString& folder : extra.split(u':', Qt::SkipEmptyParts)) folders << folder;
    return folders;
}

QStringList componentClasses(const QString& path) {
    QStringList classes;
    QPluginLoader loader(path);
    for (const QJsonValue& cls : metadataOf(loader).value(QStringLiteral("classes")).toArray())
        classes << cls.toObject().value(QStringLiteral("progId")).toString();
    return classes;
}

QJsonObject componentMetadata(const QString& progId) {
    QJsonObject metadata;
    findLibrary(progId, &metadata);
    return metadata;
}

QObject* createObject(const QString& progId) {
    const QString path = findLibrary(progId, nullptr);
    if (path.isEmpty()) raise(err::CantCreateObject);

    QObject* factory = nullptr;
    {
        Registry& reg = registry();
        QMutexLocker lock(&reg.mutex);
        std::unique_ptr<QPluginLoader>& loader = reg.loaded[path];
        if (!loader) loader = std::make_unique<QPluginLoader>(path);
        factory = loader->instance();
        if (!factory) {
            reg.loaded.erase(path);
            raise(err::CantCreateObject, QStringLiteral("ActiveX component can't create object"));
        }
    }
    const QVariant created = call(factory, "create", {progId});
    QObject* object = created.value<QObject*>();
    if (!object) raise(err::CantCreateObject);
    return object;
}

}  // namespace jex
