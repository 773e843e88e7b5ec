#include "ini_file.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "atomic_file.h"
#include "ini_quoting.h"
#include "jex/convert.h"
#include "jex/error.h"

// SimpleIni is used header-only, on UTF-8 bytes, without its converters.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

namespace zta {

namespace {

constexpr QByteArrayView kUtf8Bom("\xEF\xBB\xBF");

// Far beyond any settings file (a 4 MB message and 100 000 weapons fit many
// times over); larger ones are refused rather than read into memory.
constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;

QByteArray readExisting(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists()) return {};
    if (!info.isFile()) jex::raise(jex::err::PathFileAccess);  // a folder, device or pipe
    if (info.size() > kMaxFileSize) jex::raise(jex::err::OutOfMemory);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        jex::raise(file.error() == QFileDevice::PermissionsError ? jex::err::PermissionDenied
                                                                 : jex::err::PathFileAccess);
    }
    // Sized by the file, not by the limit: a read of the limit sets aside
    // 64 MB for every small file. A file grown since reads on to the limit.
    QByteArray content = file.read(std::min(file.size(), kMaxFileSize));
    if (!file.peek(1).isEmpty()) content += file.read(kMaxFileSize + 1 - content.size());
    if (file.error() != QFileDevice::NoError) jex::raise(jex::err::PathFileAccess);
    if (content.size() > kMaxFileSize) jex::raise(jex::err::OutOfMemory);
    return content;
}

// The offset just past the last line that is neither blank nor a comment.
// SimpleIni drops the comment lines that follow the last entry, so they are
// kept aside and written back after it.
qsizetype endOfLastEntry(const QByteArray& text) {
    qsizetype end = 0;
    qsizetype pos = 0;
    while (pos < text.size()) {
        // A line ends at LF, CR LF or a lone CR, as it does for the parser.
        qsizetype next = pos;
        while (next < text.size() && text[next] != '\n' && text[next] != '\r') ++next;
        if (next < text.size()) next += text.mid(next, 2) == "\r\n" ? 2 : 1;
        const QByteArray line = text.mid(pos, next - pos).trimmed();
        if (!line.isEmpty() && line.front() != ';' && line.front() != '#') end = next;
        pos = next;
    }
    return end;
}

// Blanks around a section's name are not part of it (the parser's notion of
// a blank: space and tab, line breaks aside).
QString withoutOuterBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    const auto blank = [&](qsizetype i) { return text[i] == u' ' || text[i] == u'\t'; };
    while (begin < end && blank(begin)) ++begin;
    while (end > begin && blank(end - 1)) --end;
    return text.mid(begin, end - begin);
}

void checkSection(const QString& section) {
    if (section.isEmpty() || section.contains(u']') || section.contains(u'\n') ||
        section.contains(u'\r') || section.contains(QChar(0)))
        jex::raise(jex::err::InvalidCall);
}

// Names match the classic way: ASCII letters without regard to case.
QString folded(const QString& name) {
    QString text = name;
    for (QChar& c : text) {
        if (c >= u'A' && c <= u'Z') c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return text;
}

QString readBack(const char* spelling) {
    return ini_quoting::readBack(jex::textFromBytes(spelling));
}

// SimpleIni, set up for classic INI files: UTF-8, a key that occurs twice
// kept as it is (the first one is read), no multi-line values (a value
// "<<<..." is plain text), "key=value" without blanks. It holds names and
// values as the file spells them; this class speaks in their texts.
class Entries {
public:
    Entries() { ini_.SetSpaces(false); }

    void load(const QByteArray& text) {
        if (ini_.LoadData(text.constData(), static_cast<size_t>(text.size())) < 0)
            jex::raise(jex::err::OutOfMemory);
    }

    bool hasSection(const char* section) const { return ini_.GetSection(section) != nullptr; }

    // The value of the key, or nothing when the section lacks it.
    std::optional<QString> value(const char* section, const QString& key) const {
        const std::optional<Stored> stored = find(section, key);
        if (!stored) return std::nullopt;
        return readBack(stored->value);
    }

    // Replaces every value of the key, keeping the spelling the file uses
    // for it and the place and comment of its first occurrence.
    void setValue(const char* section, const QString& key, const QString& value) {
        const std::optional<Stored> stored = find(section, key);
        const QByteArray spelling = stored ? stored->spelling : ini_quoting::keyText(key).toUtf8();
        const QByteArray text = ini_quoting::valueText(value).toUtf8();
        if (ini_.SetValue(section, spelling.constData(), text.constData(), nullptr, true) < 0)
            jex::raise(jex::err::OutOfMemory);
        byName_.remove(folded(QString::fromUtf8(section)));
    }

    // The entries as text, with single blank lines between sections (the
    // library separates them by two).
    QByteArray text() const {
        std::string saved;
        if (ini_.Save(saved, false) < 0) jex::raise(jex::err::OutOfMemory);
        QByteArray text = QByteArray::fromStdString(saved);
        while (text.contains("\n\n\n")) text.replace("\n\n\n", "\n\n");
        return text;
    }

private:
    // A key as the file spells it, and its value.
    struct Stored {
        QByteArray spelling;
        const char* value;
    };
    using Names = QHash<QString, Stored>;  // by folded name

    // Written keys have one spelling, so a key is looked up by it first; a
    // hand-written one (quoted where it need not be, say) is found through
    // the section's names.
    std::optional<Stored> find(const char* section, const QString& key) const {
        const CSimpleIniA::TKeyVal* keys = ini_.GetSection(section);
        if (!keys) return std::nullopt;
        const QString name = folded(key);
        const QByteArray usual = ini_quoting::keyText(key).toUtf8();
        const auto [first, last] = keys->equal_range(CSimpleIniA::Entry(usual.constData()));
        for (auto entry = first; entry != last; ++entry) {
            if (folded(readBack(entry->first.pItem)) == name)
                return Stored{entry->first.pItem, entry->second};
        }
        const Names& names = namesOf(section, *keys);
        const auto stored = names.constFind(name);
        if (stored == names.cend()) return std::nullopt;
        return *stored;
    }

    // Built once per section, the first spelling in file order winning.
    const Names& namesOf(const char* section, const CSimpleIniA::TKeyVal& keys) const {
        const QString sectionName = folded(QString::fromUtf8(section));
        const auto built = byName_.constFind(sectionName);
        if (built != byName_.cend()) return *built;
        std::vector<const CSimpleIniA::TKeyVal::value_type*> inOrder;
        inOrder.reserve(keys.size());
        for (const auto& entry : keys) inOrder.push_back(&entry);
        std::sort(inOrder.begin(), inOrder.end(),
                  [](auto* a, auto* b) { return a->first.nOrder < b->first.nOrder; });
        Names names;
        for (const auto* entry : inOrder) {
            const QString name = folded(readBack(entry->first.pItem));
            if (!names.contains(name))
                names.insert(name, Stored{entry->first.pItem, entry->second});
        }
        return byName_[sectionName] = std::move(names);
    }

    CSimpleIniA ini_{true, true, false};
    mutable QHash<QString, Names> byName_;  // by folded section name
};

}  // namespace

struct IniFile::Data {
    QString path;
    QByteArray head;  // a file of comments only, kept before everything
    Entries entries;  // the sections the file had
    QByteArray tail;  // comment lines after its last entry
    Entries added;    // sections new to the file, written after the tail
    bool bom = false;
    bool crlf = false;
    bool hasNul = false;  // not a text file: never rewritten
};

IniFile::IniFile(const QString& path) : d_(std::make_unique<Data>()) {
    d_->path = path;
    QByteArray content = readExisting(path);
    d_->bom = content.startsWith(kUtf8Bom);
    if (d_->bom) content.remove(0, kUtf8Bom.size());
    d_->crlf = content.contains("\r\n");
    d_->hasNul = content.contains('\0');

    const qsizetype end = endOfLastEntry(content);
    if (end == 0) {
        d_->head = content;
        return;
    }
    d_->tail = content.mid(end);
    content.truncate(end);
    d_->entries.load(content);
}

IniFile::~IniFile() = default;

QString IniFile::value(const QString& section, const QString& key) const {
    const QByteArray name = withoutOuterBlanks(section).toUtf8();
    const Entries& holder = d_->entries.hasSection(name.constData()) ? d_->entries : d_->added;
    return holder.value(name.constData(), key).value_or(QString());
}

bool IniFile::hasSection(const QString& section) const {
    const QByteArray name = withoutOuterBlanks(section).toUtf8();
    return d_->entries.hasSection(name.constData()) || d_->added.hasSection(name.constData());
}

bool IniFile::contains(const QString& section, const QString& key) const {
    const QByteArray name = withoutOuterBlanks(section).toUtf8();
    const Entries& holder = d_->entries.hasSection(name.constData()) ? d_->entries : d_->added;
    return holder.value(name.constData(), key).has_value();
}

void IniFile::setValue(const QString& section, const QString& key, const QString& value) {
    const QString name = withoutOuterBlanks(section);
    checkSection(name);
    const QByteArray sectionBytes = name.toUtf8();
    Entries& holder = d_->entries.hasSection(sectionBytes.constData()) ? d_->entries : d_->added;
    holder.setValue(sectionBytes.constData(), key, value);
}

void IniFile::save() const {
    if (d_->hasNul) jex::raise(jex::err::PathFileAccess);
    QByteArray text = d_->head + d_->entries.text() + d_->tail;
    const QByteArray added = d_->added.text();
    if (!text.isEmpty() && !added.isEmpty()) {
        // New sections start after one blank line.
        if (!text.endsWith('\n')) text += '\n';
        if (!text.endsWith("\n\n") && !text.endsWith("\n\r\n")) text += '\n';
    }
    text += added;
    if (d_->crlf) {
        // The file's own lines keep their breaks; new ones follow them.
        text.replace("\r\n", "\n");
        text.replace("\n", "\r\n");
    }
    if (d_->bom) text.prepend(kUtf8Bom.data(), kUtf8Bom.size());
    writeFileAtomically(d_->path, text);
}

}  // namespace zta
