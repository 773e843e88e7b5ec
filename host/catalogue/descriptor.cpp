#include "host/catalogue/descriptor.h"

#include <QMetaProperty>

#include "host/catalogue/host_versions.h"
#include "jex/error.h"

namespace jexhost::catalogue {

namespace {

// Bounds on what a plug-in may hand the host's menus and views.
constexpr qsizetype kMaxTextLength = 1024;
constexpr qsizetype kMaxListEntries = 64;

class RecordReader {
public:
    explicit RecordReader(const QVariant& record) : record_(record) {
        meta_ = record.metaType().metaObject();
        if (!meta_ && record.metaType() != QMetaType::fromType<QVariantMap>())
            jex::raise(jex::err::TypeMismatch, QStringLiteral("GetData returned no record"));
    }

    QString text(const char* name) const {
        const QVariant value = field(name);
        if (!value.isValid()) return {};
        if (value.metaType() != QMetaType::fromType<QString>()) wrongKind(name, "a text");
        return bounded(name, value.toString());
    }

    bool flag(const char* name) const {
        const QVariant value = field(name);
        if (!value.isValid()) return false;
        bool ok = false;
        const int number = value.toInt(&ok);
        if (!ok) wrongKind(name, "a Boolean");
        return number != 0;
    }

    QStringList texts(const char* name) const {
        const QVariant value = field(name);
        if (!value.isValid()) return {};
        if (value.metaType() == QMetaType::fromType<QString>())
            return {bounded(name, value.toString())};
        if (value.metaType() != QMetaType::fromType<QStringList>() &&
            value.metaType() != QMetaType::fromType<QVariantList>())
            wrongKind(name, "a list of texts");
        const QVariantList items = value.toList();
        if (items.size() > kMaxListEntries)
            jex::raise(jex::err::Overflow, QStringLiteral("%1 has more than %2 entries")
                                               .arg(QLatin1String(name))
                                               .arg(kMaxListEntries));
        QStringList result;
        for (const QVariant& item : items) {
            if (item.isValid() && item.metaType() != QMetaType::fromType<QString>())
                wrongKind(name, "a list of texts");
            result << bounded(name, item.toString());
        }
        return result;
    }

private:
    QVariant field(const char* name) const {
        if (!meta_) return record_.toMap().value(QLatin1String(name));
        const int index = meta_->indexOfProperty(name);
        if (index < 0) return {};
        return meta_->property(index).readOnGadget(record_.constData());
    }

    static QString bounded(const char* name, const QString& value) {
        if (value.size() > kMaxTextLength)
            jex::raise(jex::err::Overflow, QStringLiteral("%1 is longer than %2 characters")
                                               .arg(QLatin1String(name))
                                               .arg(kMaxTextLength));
        return value;
    }

    [[noreturn]] static void wrongKind(const char* name, const char* expected) {
        jex::raise(
            jex::err::TypeMismatch,
            QStringLiteral("%1 is not %2").arg(QLatin1String(name), QLatin1String(expected)));
    }

    const QVariant& record_;
    const QMetaObject* meta_ = nullptr;
};

}  // namespace

Descriptor readDescriptor(const QVariant& record) {
    const RecordReader read(record);
    Descriptor d;
    d.name = read.text("Name");
    d.file = read.text("File");
    d.version = read.text("Version");
    d.author = read.text("Author");
    d.description = read.text("Description");
    d.games = read.texts("Game");
    d.hasInterface = read.flag("HasInterface");
    d.profileMenu = read.flag("ProfileMenu");
    d.serverMenu = read.flag("ServerMenu");
    d.mainMenu = read.flag("MainMenu");
    d.profileMenuItems = read.texts("ProfileMenuItems");
    d.serverMenuItems = read.texts("ServerMenuItems");
    d.mainMenuItems = read.texts("MainMenuItems");
    d.helpFile = read.text("HelpFile");
    for (const HostVersion& row : kHostVersions) d.minimums.insert(row.field, read.text(row.field));
    return d;
}

}  // namespace jexhost::catalogue
