#pragma once
// The plug-in catalogue: every plug-in class found in the component folders,
// with its descriptor record and whether this host may run it.
//
// A plug-in class is a class a component library lists in its metadata whose
// ProgID ends in ".clsPlugin" (the library's name, then the class). The
// catalogue creates each one from the library it found it in, calls
// dllVersion and GetData late-bound, and judges the descriptor against the
// host's versions. Nothing a library does here reaches the host as an
// exception: a library that will not load, a class that will not create and a
// call that raises are each listed with their reason.
//
// Panels are opened only through PanelOffer, which the catalogue makes for
// usable plug-ins alone: a refused plug-in cannot be offered by mistake.

#include <QList>
#include <QString>
#include <QStringList>

#include "host/catalogue/descriptor.h"
#include "jex/components.h"

class QObject;

namespace jexhost::catalogue {

enum class State { Usable, Refused, Failed };

struct PluginEntry {
    QString libraryPath;
    QString progId;      // empty when the library could not be read
    QString dllVersion;  // as dllVersion answered
    Descriptor descriptor;
    State state = State::Failed;
    QString reason;  // why it is refused or failed; empty when usable

    bool usable() const { return state == State::Usable; }
    // "usable", "refused: <reason>" or "failed: <reason>".
    QString stateText() const;
};

// A plug-in the host may load into a server's panel.
class PanelOffer {
public:
    const QString& progId() const { return progId_; }
    const QString& name() const { return name_; }

private:
    friend class Catalogue;
    PanelOffer(QString progId, QString name) : progId_(std::move(progId)), name_(std::move(name)) {}
    QString progId_;
    QString name_;
};

// An entry of the host's "Server" menu; choosing it opens that plug-in's
// panel for the selected server.
struct MenuItem {
    QString progId;
    QString plugin;
    QString text;
};

// A plug-in's help file, looked for beside its library.
struct HelpFile {
    QString plugin;
    QString path;
    bool exists = false;
    QString note;  // says why it cannot be offered; empty when it exists
};

// The reason a descriptor may not run in this host (every minimum it fails,
// joined by "; "), or an empty text when it may. An empty minimum asks for
// nothing.
QString refusalOf(const Descriptor& descriptor);

class Catalogue {
public:
    // Scans each folder once (the same folder named twice counts once), in
    // order, its "*.so" files by name.
    static Catalogue scan(const QStringList& folders = jex::componentSearchPath());

    // Lists a plug-in whose descriptor has been read, judging it. A ProgID
    // already listed is refused: the host creates classes by ProgID and would
    // always get the first.
    void add(const QString& libraryPath, const QString& progId, const QString& dllVersion,
             const Descriptor& descriptor);
    // Lists a library or class that could not be read, with the reason.
    void addFailure(const QString& libraryPath, const QString& progId, const QString& reason);

    // Creates `progId` through the library's root object `factory`, asks it
    // for dllVersion and GetData and lists it; whatever fails is listed as the
    // reason. The probe object is released afterwards.
    void probe(const QString& libraryPath, QObject* factory, const QString& progId);

    const QList<PluginEntry>& entries() const { return entries_; }

    // The usable plug-ins with a panel that serve `game`: those with a Game
    // entry that is exactly `game`; else the one plug-in whose entries
    // `game` names as an operator writes it, in any case, with any blanks,
    // maybe only the entry's start up to the end of a word ("delta force"
    // for "Delta Force,  V1.5.0.5"). A name that fits the entries of more
    // than one plug-in names none.
    QList<PanelOffer> offersFor(const QString& game) const;
    // Why no plug-in is offered for `game`, with the games there are.
    QString noOfferText(const QString& game) const;
    // Every Game entry of the usable plug-ins with a panel, each once.
    QStringList games() const;
    // The non-empty ServerMenuItems of usable plug-ins whose ServerMenu is True.
    QList<MenuItem> serverMenu() const;
    // The help files of usable plug-ins that name one.
    QList<HelpFile> helpFiles() const;

private:
    void scanLibrary(const QString& path);

    QList<PluginEntry> entries_;
};

}  // namespace jexhost::catalogue
