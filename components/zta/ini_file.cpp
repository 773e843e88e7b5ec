#include "ini_file.h"

#include <QFile>
#include <QFileInfo>

#include <string>

#include "atomic_file.h"
#include "jex/convert.h"
#include "jex/error.h"

// SimpleIni is used header-only, on UTF-8 bytes, without its converters.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

namespace zta {

namespace {

constexpr QByteArrayView kUtf8Bom("\xEF\xBB\xBF");

QByteArray readExisting(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists()) return {};
    if (!info.isFile()) jex::raise(jex::err::PathFileAccess);  // a folder, device or pipe
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        jex::raise(file.error() == QFileDevice::PermissionsError ? jex::err::PermissionDenied
                                                                 : jex::err::PathFileAccess);
    }
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) jex::raise(jex::err::PathFileAccess);
    return content;
}

// The offset just past the last line that is neither blank nor a comment.
// SimpleIni drops the comment lines that follow the last entry, so they are
// kept aside and written back after it.
qsizetype endOfLastEntry(const QByteArray& text) {
    qsizetype end = 0;
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype newline = text.indexOf('\n', pos);
        const qsizetype next = newline < 0 ? text.size() : newline + 1;
        const QByteArray line = text.mid(pos, next - pos).trimmed();
        if (!line.isEmpty() && line.front() != ';' && line.front() != '#') end = next;
        pos = next;
    }
    return end;
}

// Blanks around names and values are not part of them when the file is read
// (the parser's notion of a blank: space and tab, line breaks aside).
QString withoutOuterBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    const auto blank = [&](qsizetype i) { return text[i] == u' ' || text[i] == u'\t'; };
    while (begin < end && blank(begin)) ++begin;
    while (end > begin && blank(end - 1)) --end;
    return text.mid(begin, end - begin);
}

bool hasLineBreakOrNul(const QString& text) {
    return text.contains(u'\n') || text.contains(u'\r') || text.contains(QChar(0));
}

void checkSection(const QString& section) {
    if (section.isEmpty() || hasLineBreakOrNul(section) || section.contains(u']'))
        jex::raise(jex::err::InvalidCall);
}

void checkKey(const QString& key) {
    if (key.isEmpty() || hasLineBreakOrNul(key) || key.contains(u'=') || key.front() == u'[' ||
        key.front() == u';' || key.front() == u'#')
        jex::raise(jex::err::InvalidCall);
}

// SimpleIni, set up for classic INI files: UTF-8, a key that occurs twice
// kept as it is (the first one is read), no multi-line values (a value
// "<<<..." is plain text), "key=value" without blanks.
class Entries {
public:
    Entries() { ini_.SetSpaces(false); }

    void load(const QByteArray& text) {
        if (ini_.LoadData(text.constData(), static_cast<size_t>(text.size())) < 0)
            jex::raise(jex::err::OutOfMemory);
    }

    bool hasSection(const char* section) const { return ini_.GetSectionSize(section) >= 0; }

    const char* value(const char* section, const char* key) const {
        return ini_.GetValue(section, key, nullptr);
    }

    // Replaces every value of the key, keeping the spelling the file uses
    // for it and the place and comment of its first occurrence.
    void setValue(const char* section, const char* key, const char* value) {
        if (ini_.SetValue(section, storedKey(section, key), value, nullptr, true) < 0)
            jex::raise(jex::err::OutOfMemory);
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
    const char* storedKey(const char* section, const char* key) const {
        CSimpleIniA::TNamesDepend keys;
        ini_.GetAllKeys(section, keys);
        const SI_NoCase<char> less;
        for (const auto& entry : keys) {
            if (!less(entry.pItem, key) && !less(key, entry.pItem)) return entry.pItem;
        }
        return key;
    }

    CSimpleIniA ini_{true, true, false};
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
    const QByteArray entry = withoutOuterBlanks(key).toUtf8();
    const Entries& holder = d_->entries.hasSection(name.constData()) ? d_->entries : d_->added;
    const char* stored = holder.value(name.constData(), entry.constData());
    return stored ? jex::textFromBytes(stored) : QString();
}

void IniFile::setValue(const QString& section, const QString& key, const QString& value) {
    const QString name = withoutOuterBlanks(section);
    const QString entry = withoutOuterBlanks(key);
    checkSection(name);
    checkKey(entry);
    if (hasLineBreakOrNul(value)) jex::raise(jex::err::InvalidCall);

    const QByteArray sectionBytes = name.toUtf8();
    const QByteArray keyBytes = entry.toUtf8();
    const QByteArray valueBytes = withoutOuterBlanks(value).toUtf8();
    Entries& holder = d_->entries.hasSection(sectionBytes.constData()) ? d_->entries : d_->added;
    holder.setValue(sectionBytes.constData(), keyBytes.constData(), valueBytes.constData());
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
