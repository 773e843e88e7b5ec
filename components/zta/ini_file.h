#pragma once
// One INI file, read and changed the classic Windows way: sections and keys
// match without regard to case (ASCII letters), a missing file, section or
// key reads as empty text, and writing a key keeps the rest of the file:
// other sections, keys and their comments stay in their order, a new key
// goes to the end of its section and a new section to the end of the file.
//
// Comment lines before an entry stay with it, those after the last entry stay
// after it (new sections follow them). Layout is the parser's: one blank line
// between sections, "key=value" without blanks around "=", and lines that are
// neither a section, a key nor a comment are dropped. Files are written in
// UTF-8 with the line breaks (and byte-order mark) they had.
//
// Keys and values are any text and read back exactly. Most are written as
// they are (Dedicated=1). One that a plain line would change is written in
// double quotes, with \\ \" \n \r \t \0 for backslash, quote, LF, CR, tab
// and NUL, \xHH for any other control character (and for "=" in a key), and
// \uHHHH for half of a surrogate pair standing alone. A value needs this
// when it starts or ends with a blank (space, tab), starts with a quote, or
// holds a control character or a lone surrogate; a key also when it is
// empty, holds "=" or starts with "[", ";" or "#". So "a<CR><LF>b" is
// written Message="a\r\nb", and an empty weapon name ""=1.
//
// Reading undoes exactly that: a name or value that starts and ends with a
// quote and whose inside uses only those escapes (no bare quote, no other
// backslash) stands for its inside; anything else is taken as it stands.
// Blanks around a name or value on a line are not part of it, so a
// hand-written `Name = A` still reads as A, and " M4 " and M4 are two keys.
// Files written before quoting existed read as they did, except a value
// that was itself a well-formed quoted text ("Hi" comes back as Hi), which
// no plain text box value of those files is likely to be.

#include <QByteArray>
#include <QString>

#include <memory>

namespace zta {

class IniFile {
public:
    // Reads the file; a missing file is an empty one. A file that exists but
    // cannot be read raises 70 (permission) or 75, one over 64 MiB raises 7.
    explicit IniFile(const QString& path);
    ~IniFile();
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    QString value(const QString& section, const QString& key) const;
    // Whether the file has the section, or the key in it (an empty value counts).
    bool hasSection(const QString& section) const;
    bool contains(const QString& section, const QString& key) const;

    // Stores the value under section and key, replacing every earlier value
    // of the key. A section name that a "[...]" line cannot hold (empty,
    // blank, with "]", a line break or NUL) raises 5.
    void setValue(const QString& section, const QString& key, const QString& value);

    // Writes the file atomically (see writeFileAtomically for the errors).
    void save() const;

private:
    struct Data;
    std::unique_ptr<Data> d_;
};

}  // namespace zta
