#include "host/catalogue/catalogue.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QPluginLoader>

#include <memory>

#include "host/catalogue/host_versions.h"
#include "host/catalogue/version_text.h"
#include "jex/component_factory.h"
#include "jex/error.h"
#include "jex/latebound.h"

namespace jexhost::catalogue {

namespace {

// A folder holding more libraries than this is not a component folder; the
// rest are left out rather than loaded.
constexpr qsizetype kMaxLibrariesPerFolder = 256;
// The name the host gives itself when it asks a plug-in for its version.
const QString kHostName = QStringLiteral("jexhost");

bool isPluginClass(const QString& progId) {
    static const QString suffix = QStringLiteral(".clsPlugin");
    return progId.size() > suffix.size() && progId.endsWith(suffix);
}

QStringList distinctFolders(const QStringList& folders) {
    QStringList result;
    for (const QString& folder : folders) {
        const QString canonical = QFileInfo(folder).canonicalFilePath();
        if (!canonical.isEmpty() && !result.contains(canonical)) result << canonical;
    }
    return result;
}

// The refusal for one row of the host's versions, or an empty text.
QString refusalFor(const HostVersion& row, const QString& minimum) {
    if (minimum.isEmpty()) return {};
    const auto needed = parseVersion(minimum);
    if (!needed)
        return QStringLiteral("%1 \"%2\" is not a version number")
            .arg(QLatin1String(row.field), minimum);
    const auto found = parseVersion(QLatin1String(row.version));
    if (!found)
        return QStringLiteral("this host's %1 version \"%2\" is not a version number")
            .arg(QLatin1String(row.part), QLatin1String(row.version));
    if (compareVersions(*needed, *found) <= 0) return {};
    return QStringLiteral("needs %1 %2 or newer (%3), this host has %4")
        .arg(QLatin1String(row.part), minimum, QLatin1String(row.field),
             QLatin1String(row.version));
}

}  // namespace

QString PluginEntry::stateText() const {
    switch (state) {
        case State::Usable:
            return QStringLiteral("usable");
        case State::Refused:
            return QStringLiteral("refused: ") + reason;
        case State::Failed:
            break;
    }
    return QStringLiteral("failed: ") + reason;
}

QString refusalOf(const Descriptor& descriptor) {
    QStringList reasons;
    for (const HostVersion& row : kHostVersions) {
        const QString reason = refusalFor(row, descriptor.minimums.value(row.field));
        if (!reason.isEmpty()) reasons << reason;
    }
    return reasons.join(QStringLiteral("; "));
}

Catalogue Catalogue::scan(const QStringList& folders) {
    Catalogue catalogue;
    for (const QString& folder : distinctFolders(folders)) {
        const QDir dir(folder);
        const QStringList files = dir.entryList({QStringLiteral("*.so")}, QDir::Files, QDir::Name)
                                      .mid(0, kMaxLibrariesPerFolder);
        for (const QString& file : files) catalogue.scanLibrary(dir.absoluteFilePath(file));
    }
    return catalogue;
}

void Catalogue::scanLibrary(const QString& path) {
    // The metadata is read without loading the library; only libraries that
    // offer a plug-in class are loaded.
    QPluginLoader loader(path);
    const QJsonObject metadata = loader.metaData();
    if (metadata.value(QStringLiteral("IID")).toString() != QLatin1String(JEX_COMPONENT_IID)) {
        addFailure(path, {}, QStringLiteral("not a component library"));
        return;
    }
    const QJsonArray classes = metadata.value(QStringLiteral("MetaData"))
                                   .toObject()
                                   .value(QStringLiteral("classes"))
                                   .toArray();
    for (const QJsonValue& cls : classes) {
        const QString progId = cls.toObject().value(QStringLiteral("progId")).toString();
        if (!isPluginClass(progId)) continue;
        QObject* factory = loader.instance();
        if (!factory) {
            addFailure(path, progId,
                       QStringLiteral("the library did not load: ") + loader.errorString());
            continue;
        }
        probe(path, factory, progId);
    }
}

void Catalogue::probe(const QString& libraryPath, QObject* factory, const QString& progId) {
    QString step = QStringLiteral("creating the class");
    try {
        const std::unique_ptr<QObject> plugin(
            jex::call(factory, "create", {progId}).value<QObject*>());
        if (!plugin) {
            addFailure(libraryPath, progId, QStringLiteral("the library created no object"));
            return;
        }
        step = QStringLiteral("dllVersion");
        const QString version = jex::call(plugin.get(), "dllVersion", {kHostName}).toString();
        step = QStringLiteral("GetData");
        const QVariant record = jex::call(plugin.get(), "GetData");
        step = QStringLiteral("reading the descriptor record");
        add(libraryPath, progId, version, readDescriptor(record));
    } catch (const jex::Error& error) {
        addFailure(libraryPath, progId,
                   QStringLiteral("%1 raised error %2: %3")
                       .arg(step)
                       .arg(error.number())
                       .arg(error.description()));
    } catch (const std::exception& error) {
        addFailure(libraryPath, progId,
                   QStringLiteral("%1 failed: %2").arg(step, QString::fromLocal8Bit(error.what())));
    }
}

void Catalogue::add(const QString& libraryPath, const QString& progId, const QString& dllVersion,
                    const Descriptor& descriptor) {
    PluginEntry entry{libraryPath, progId, dllVersion, descriptor, State::Usable, {}};
    for (const PluginEntry& earlier : entries_) {
        if (earlier.progId == progId) {
            entry.state = State::Refused;
            entry.reason =
                QStringLiteral("%1 is already offered by %2").arg(progId, earlier.libraryPath);
            break;
        }
    }
    if (entry.usable()) {
        entry.reason = refusalOf(descriptor);
        if (!entry.reason.isEmpty()) entry.state = State::Refused;
    }
    entries_ << entry;
}

void Catalogue::addFailure(const QString& libraryPath, const QString& progId,
                           const QString& reason) {
    entries_ << PluginEntry{libraryPath, progId, {}, {}, State::Failed, reason};
}

QList<PanelOffer> Catalogue::offersFor(const QString& game) const {
    QList<PanelOffer> offers;
    for (const PluginEntry& entry : entries_) {
        if (entry.usable() && entry.descriptor.hasInterface &&
            entry.descriptor.games.contains(game))
            offers << PanelOffer(entry.progId, entry.descriptor.name);
    }
    return offers;
}

QList<MenuItem> Catalogue::serverMenu() const {
    QList<MenuItem> items;
    for (const PluginEntry& entry : entries_) {
        if (!entry.usable() || !entry.descriptor.serverMenu) continue;
        for (const QString& text : entry.descriptor.serverMenuItems)
            if (!text.isEmpty()) items << MenuItem{entry.progId, entry.descriptor.name, text};
    }
    return items;
}

QList<HelpFile> Catalogue::helpFiles() const {
    QList<HelpFile> files;
    for (const PluginEntry& entry : entries_) {
        const QString& name = entry.descriptor.helpFile;
        if (!entry.usable() || name.isEmpty()) continue;
        const QFileInfo library(entry.libraryPath);
        HelpFile help{entry.descriptor.name, library.dir().filePath(name), false, {}};
        // Only a plain file name: a plug-in may not point the host elsewhere.
        if (name.contains(u'/') || name.contains(u'\\') || name == QLatin1String(".") ||
            name == QLatin1String("..")) {
            help.path.clear();
            help.note =
                QStringLiteral("The help file name \"%1\" is not a plain file name.").arg(name);
        } else if (QFileInfo(help.path).isFile()) {
            help.exists = true;
        } else {
            help.note = QStringLiteral("The help file %1 was not found beside %2 in %3.")
                            .arg(name, library.fileName(), library.absolutePath());
        }
        files << help;
    }
    return files;
}

}  // namespace jexhost::catalogue
