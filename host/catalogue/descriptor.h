#pragma once
// A plug-in's descriptor record as the host reads it from GetData: who it is,
// which games it serves, which host menus it joins, its help file and the
// minimum versions it needs of the host.

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace jexhost::catalogue {

struct Descriptor {
    QString name;
    QString file;
    QString version;
    QString author;
    QString description;
    QStringList games;
    bool hasInterface = false;
    bool profileMenu = false;
    bool serverMenu = false;
    bool mainMenu = false;
    QStringList profileMenuItems;
    QStringList serverMenuItems;
    QStringList mainMenuItems;
    QString helpFile;
    // By field name ("MinRCVer" -> "1201"), one entry per row of kHostVersions.
    QHash<QString, QString> minimums;
};

// Reads the record: a gadget (through its meta-object) or a map keyed by field
// name. A missing field keeps its default; a Boolean is True when non-zero; a
// list field may be Empty, one text, or an array of texts. Raises 13 when the
// value is no record or a field has the wrong kind, 6 when a text or list is
// larger than the host accepts.
Descriptor readDescriptor(const QVariant& record);

}  // namespace jexhost::catalogue
