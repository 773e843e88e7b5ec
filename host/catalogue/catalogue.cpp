#include "host/catalogue/catalogue.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QPluginLoader>

#include <algorithm>
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

namespace {

// A game's name with its blanks evened out, for a comparison in any case.
QString evened(const QString& name) {
    return name.simplified();
}

// Whether `written` (evened) is the evened `game`, or its start up to the end of a word.
bool names(const QString& written, const QString& game, bool wholeOnly) {
    const QString entry = evened(game);
    if (written.isEmpty() || !entry.startsWith(written, Qt::CaseInsensitive)) return false;
    if (entry.size() == written.size()) return true;
    return !wholeOnly && !entry.at(written.size()).isLetterOrNumber() &&
           written.back().isLetterOrNumber();
}

}  // namespace

QList<PanelOffer> Catalogue::offersFor(const QString& game) const {
    const auto panels = [this](const auto& serves) {
        QList<PanelOffer> offers;
        for (const PluginEntry& entry : entries_)
            if (entry.usable() && entry.descriptor.hasInterface &&
                std::any_of(entry.descriptor.games.begin(), entry.descriptor.games.end(), serves))
                offers << PanelOffer(entry.progId, entry.descriptor.name);
        return offers;
    };
    QList<PanelOffer> offers = panels([&](const QString& entry) { return entry == game; });
    if (!offers.isEmpty()) return offers;
    const QString written = evened(game);
    for (const bool wholeOnly : {true, false}) {
        offers = panels([&](const QString& entry) { return names(written, entry, wholeOnly); });
        if (!offers.isEmpty()) return offers.size() == 1 ? offers : QList<PanelOffer>();
    }
    return {};
}

QString Catalogue::noOfferText(const QString& game) const {
    QStringList named;
    QStringList quoted;
    for (const QString& entry : games()) {
        quoted << u'"' + entry + u'"';
        if (names(evened(game), entry, false)) named << u'"' + entry + u'"';
    }
    if (quoted.isEmpty())
        return QStringLiteral("no plug-in serves %1: no plug-in with a panel was found").arg(game);
    if (named.size() > 1)
        return QStringLiteral("%1 names the games of more than one plug-in: %2")
            .arg(game, named.join(QStringLiteral(", ")));
    return QStringLiteral("no plug-in serves %1; the plug-ins found serve %2")
        .arg(game, quoted.join(QStringLiteral(", ")));
}

QStringList Catalogue::games() const {
    QStringList games;
    for (const PluginEntry& entry : entries_)
        if (entry.usable() && entry.descriptor.hasInterface)
            for (const QString& game : entry.descriptor.games)
                if (!game.isEmpty() && !games.contains(game)) games << game;
    return games;
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
