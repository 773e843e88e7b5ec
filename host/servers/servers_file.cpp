#include "host/servers/servers_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QStringDecoder>

#include <optional>

#include "host/servers/server_rules.h"

#include "jex/durable_file.h"

namespace jexhost::servers {

namespace {

constexpr QByteArrayView kUtf8Bom("\xEF\xBB\xBF");

// The first start's file. Profile 1 of the embedded remote side is seeded
// with settings of its own (embedded_profiles.h).
constexpr char kDefaultText[] = R"(# The servers of this console, one section per server.
#   Name       shown in the server list
#   Game       the game, as the plug-ins name it
#   Remote     embedded (this console's own remote side), ws://HOST:PORT or wss://HOST:PORT
#   TokenFile  for ws:// and wss://: the file holding the token for that remote
#   Profile    the server's profile on its remote
#   Tag        the panel's host tag for this server
[lobby]
Name=Delta Force lobby
Game=Delta Force,  V1.5.0.5
Remote=embedded
Profile=0
Tag=desk0

[affiliate]
Name=NovaWorld affiliate
Game=Delta Force, NovaWorld Affiliate Server V1.5.0.11A
Remote=embedded
Profile=1
Tag=desk1
)";

struct Section {
    QString id;
    int header = 0;    // line index of "[id]"
    int lastLine = 0;  // line index of its last key line (the header when it has none)
    // A handful of keys each: small maps, where a hash per section would
    // cost thousands of servers a bucket table each.
    QMap<QString, int> keyLines;
    QMap<QString, QString> values;
};

// The file as lines, kept so that an edit changes only the lines it must.
struct Document {
    QStringList lines;  // without line ends; a final newline leaves an empty last line
    QString lineEnd = QStringLiteral("\n");
    bool bom = false;
    QList<Section> sections;
    QHash<QString, int> sectionOfId;
    QList<ServerEntry> servers;  // one per section, in order
};

QString at(const QString& file, int lineIndex, const QString& problem) {
    return QStringLiteral("%1:%2: %3").arg(file).arg(lineIndex + 1).arg(problem);
}

bool isCommentOrBlank(const QString& trimmed) {
    return trimmed.isEmpty() || trimmed.startsWith(u';') || trimmed.startsWith(u'#');
}

// Splits the text into lines and finds the sections and their keys; the
// first structural fault otherwise.
std::optional<QString> readLines(const QByteArray& text, const QString& file, Document* doc) {
    QByteArrayView body(text);
    if (body.startsWith(kUtf8Bom)) {
        doc->bom = true;
        body = body.sliced(kUtf8Bom.size());
    }
    if (body.contains("\r\n")) doc->lineEnd = QStringLiteral("\r\n");
    const QList<QByteArray> raw = body.toByteArray().split('\n');
    for (int n = 0; n < raw.size(); ++n) {
        QByteArray bytes = raw[n];
        if (bytes.endsWith('\r')) bytes.chop(1);
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString line = utf8(bytes);
        if (utf8.hasError()) return at(file, n, QStringLiteral("not UTF-8 text"));
        doc->lines << line;

        const QString trimmed = line.trimmed();
        if (isCommentOrBlank(trimmed)) continue;
        if (trimmed.startsWith(u'[') && trimmed.endsWith(u']')) {
            const QString id = trimmed.mid(1, trimmed.size() - 2).trimmed();
            if (const QString fault = idFault(id); !fault.isEmpty()) return at(file, n, fault);
            if (doc->sectionOfId.contains(id))
                return at(file, n, QStringLiteral("[%1] a second time").arg(id));
            if (doc->sections.size() == kMaxServers)
                return at(file, n, QStringLiteral("more than %1 servers").arg(kMaxServers));
            doc->sectionOfId.insert(id, int(doc->sections.size()));
            doc->sections.append({id, n, n, {}, {}});
            continue;
        }
        const qsizetype equals = trimmed.indexOf(u'=');
        if (equals <= 0)
            return at(file, n, QStringLiteral("neither [section], Key=value nor a comment"));
        if (doc->sections.isEmpty())
            return at(file, n, QStringLiteral("a key before the first server's section"));
        Section& section = doc->sections.last();
        const QString key = trimmed.left(equals).trimmed();
        if (section.keyLines.contains(key))
            return at(file, n, QStringLiteral("[%1] %2 a second time").arg(section.id, key));
        section.keyLines.insert(key, n);
        section.values.insert(key, trimmed.mid(equals + 1).trimmed());
        section.lastLine = n;
    }
    return std::nullopt;
}

// Turns each section into a server by the key rules.
std::optional<QString> readServers(const QString& file, Document* doc) {
    ClashIndex clashes;
    for (const Section& section : doc->sections) {
        ServerEntry entry;
        entry.id = section.id;
        const auto fault = [&](const QString& key, const QString& reason) {
            return at(file, section.keyLines.value(key, section.header),
                      QStringLiteral("[%1] %2: %3").arg(section.id, key, reason));
        };
        for (const KeyRule& rule : kKeyRules) {
            const QString key = QString::fromLatin1(rule.key);
            if (!section.values.contains(key)) {
                if (rule.required) return fault(key, QStringLiteral("missing"));
                continue;
            }
            const QString value = section.values.value(key);
            if (const QString reason = rule.fault(value); !reason.isEmpty())
                return fault(key, reason);
            rule.set(entry, value);
        }
        if (const auto f = entryFault(entry)) return fault(f->key, f->reason);
        if (const auto f = clashes.fault(entry)) return fault(f->key, f->reason);
        clashes.add(entry);
        doc->servers.append(entry);
    }
    return std::nullopt;
}

std::optional<QString> parse(const QByteArray& text, const QString& file, Document* doc) {
    if (auto fault = readLines(text, file, doc)) return fault;
    return readServers(file, doc);
}

std::optional<QByteArray> readBounded(const QString& path, QString* error) {
    const QFileInfo info(path);
    if (!info.exists()) {
        *error = QStringLiteral("%1: no such file").arg(path);
        return std::nullopt;
    }
    if (!info.isFile()) {
        *error = QStringLiteral("%1: not a file").arg(path);
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1: cannot read: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    const QByteArray text = file.read(kMaxServersFileBytes + 1);
    if (text.size() > kMaxServersFileBytes) {
        *error = QStringLiteral("%1: larger than %2 bytes").arg(path).arg(kMaxServersFileBytes);
        return std::nullopt;
    }
    return text;
}

bool writeAtomically(const QString& path, const QByteArray& text, QString* error) {
    const auto failure = jex::fs::writeFileDurably(path, text);
    if (failure) *error = QStringLiteral("%1: cannot write: %2").arg(path, failure->reason);
    return !failure;
}

QByteArray documentText(const Document& doc) {
    QByteArray text = doc.lines.join(doc.lineEnd).toUtf8();
    return doc.bom ? kUtf8Bom.toByteArray() + text : text;
}

QString keyLine(const KeyRule& rule, const ServerEntry& entry) {
    return QString::fromLatin1(rule.key) + u'=' + rule.get(entry);
}

// Reads the file for an edit; the edit is refused while the file is broken.
std::optional<Document> loadForEdit(const QString& path, QString* error) {
    const auto text = readBounded(path, error);
    if (!text) return std::nullopt;
    Document doc;
    if (auto fault = parse(*text, path, &doc)) {
        *error = *fault;
        return std::nullopt;
    }
    return doc;
}

bool checkEntry(const QString& path, const ServerEntry& entry, const Document& doc,
                QString* error) {
    std::optional<Fault> fault;
    if (const QString reason = idFault(entry.id); !reason.isEmpty())
        fault = Fault{QString(), reason};
    if (!fault) fault = entryFault(entry);
    if (!fault) fault = clashFault(entry, doc.servers);
    if (fault) {
        *error =
            fault->key.isEmpty()
                ? QStringLiteral("%1: [%2] %3").arg(path, entry.id, fault->reason)
                : QStringLiteral("%1: [%2] %3: %4").arg(path, entry.id, fault->key, fault->reason);
    }
    return !fault;
}

int sectionOf(const Document& doc, const QString& id) {
    for (int i = 0; i < doc.sections.size(); ++i)
        if (doc.sections[i].id == id) return i;
    return -1;
}

// Where new lines go at the end: before the empty line a final newline leaves.
int endOfText(const Document& doc) {
    const bool finalNewline = !doc.lines.isEmpty() && doc.lines.last().isEmpty();
    return finalNewline ? doc.lines.size() - 1 : doc.lines.size();
}

}  // namespace

QString serversFilePath(const QString& hostRoot) {
    return hostRoot + QStringLiteral("/settings/servers.ini");
}

QByteArray defaultServersText() {
    return QByteArray(kDefaultText);
}

ServersRead parseServersText(const QByteArray& text, const QString& fileName) {
    Document doc;
    if (auto fault = parse(text, fileName, &doc)) return {{}, *fault};
    return {doc.servers, {}};
}

ServersRead readServersFile(const QString& path) {
    QString error;
    const auto text = readBounded(path, &error);
    if (!text) return {{}, error};
    return parseServersText(*text, path);
}

ServersRead openServersFile(const QString& path) {
    // A dangling link is something the user made: never written through.
    const QFileInfo info(path);
    if (info.exists() || info.isSymLink()) return readServersFile(path);
    QString error;
    if (!QDir().mkpath(info.absolutePath()) || !writeAtomically(path, defaultServersText(), &error))
        return {{},
                error.isEmpty() ? QStringLiteral("%1: cannot create its folder").arg(path) : error};
    ServersRead read = readServersFile(path);
    read.created = read.ok();
    return read;
}

bool addServer(const QString& path, ServerEntry* entry, QString* error) {
    QList<ServerEntry> one{*entry};
    if (!addServers(path, &one, error)) return false;
    *entry = one.first();
    return true;
}

bool addServers(const QString& path, QList<ServerEntry>* entries, QString* error) {
    auto doc = loadForEdit(path, error);
    if (!doc) return false;
    if (doc->servers.size() + entries->size() > kMaxServers) {
        *error = QStringLiteral("%1: already %2 servers, at most %3")
                     .arg(path)
                     .arg(doc->servers.size())
                     .arg(kMaxServers);
        return false;
    }
    QList<ServerEntry> added = *entries;
    QStringList lines;
    int end = endOfText(*doc);
    if (end > 0 && !doc->lines[end - 1].trimmed().isEmpty()) lines << QString();
    for (qsizetype i = 0; i < added.size(); ++i) {
        ServerEntry& entry = added[i];
        for (int n = 1; entry.id.isEmpty(); ++n) {
            const QString id = QStringLiteral("server-%1").arg(n);
            if (sectionOf(*doc, id) < 0) entry.id = id;
        }
        if (sectionOf(*doc, entry.id) >= 0) {
            *error = QStringLiteral("%1: [%2] a second time").arg(path, entry.id);
            return false;
        }
        if (!checkEntry(path, entry, *doc, error)) return false;
        // The next one is checked against this one too.
        Section section;
        section.id = entry.id;
        doc->sections.append(section);
        doc->servers << entry;
        if (i > 0) lines << QString();
        lines << u'[' + entry.id + u']';
        for (const KeyRule& rule : kKeyRules)
            if (rule.required || !rule.get(entry).isEmpty()) lines << keyLine(rule, entry);
    }
    if (end == doc->lines.size()) lines << QString();  // the file ends with a line end again
    for (const QString& line : lines) doc->lines.insert(end++, line);
    if (!writeAtomically(path, documentText(*doc), error)) return false;
    *entries = added;
    return true;
}

bool updateServer(const QString& path, const ServerEntry& entry, QString* error) {
    auto doc = loadForEdit(path, error);
    if (!doc) return false;
    const int index = sectionOf(*doc, entry.id);
    if (index < 0) {
        *error = QStringLiteral("%1: no server [%2]").arg(path, entry.id);
        return false;
    }
    if (!checkEntry(path, entry, *doc, error)) return false;

    const Section& section = doc->sections[index];
    QStringList missing;
    for (const KeyRule& rule : kKeyRules) {
        const QString key = QString::fromLatin1(rule.key);
        if (section.keyLines.contains(key))
            doc->lines[section.keyLines.value(key)] = keyLine(rule, entry);
        else if (!rule.get(entry).isEmpty())
            missing << keyLine(rule, entry);
    }
    for (int i = 0; i < missing.size(); ++i)
        doc->lines.insert(section.lastLine + 1 + i, missing[i]);
    return writeAtomically(path, documentText(*doc), error);
}

bool removeServer(const QString& path, const QString& id, QString* error) {
    auto doc = loadForEdit(path, error);
    if (!doc) return false;
    const int index = sectionOf(*doc, id);
    if (index < 0) {
        *error = QStringLiteral("%1: no server [%2]").arg(path, id);
        return false;
    }
    // The section's own lines go, with one blank line after them; comments
    // above the next section stay with it.
    const Section& section = doc->sections[index];
    int last = section.lastLine;
    if (last + 1 < endOfText(*doc) && doc->lines[last + 1].trimmed().isEmpty()) ++last;
    doc->lines.remove(section.header, last - section.header + 1);
    return writeAtomically(path, documentText(*doc), error);
}

QString tokenFilePath(const ServerEntry& entry, const QString& serversFile) {
    if (entry.tokenFile.isEmpty()) return {};
    return QFileInfo(serversFile).dir().absoluteFilePath(entry.tokenFile);
}

}  // namespace jexhost::servers
