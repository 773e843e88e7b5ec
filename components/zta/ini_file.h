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
// neither a section, a key nor a comment are dropped. Values keep their inner text byte for byte;
// blanks around a value are not part of it (an INI line cannot hold them). Files are written in
// UTF-8 with the line breaks (and byte-order mark) they had.

#include <QByteArray>
#include <QString>

#include <memory>

namespace zta {

class IniFile {
public:
    // Reads the file; a missing file is an empty one. A file that exists but
    // cannot be read raises 70 (permission) or 75.
    explicit IniFile(const QString& path);
    ~IniFile();
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    QString value(const QString& section, const QString& key) const;

    // Stores the value under section and key, replacing every earlier value
    // of the key. Names and values that an INI line cannot hold raise 5: an
    // empty section or key, a line break, "]" in a section, "=" in a key or
    // a key that would read as a comment or a section.
    void setValue(const QString& section, const QString& key, const QString& value);

    // Writes the file atomically (see writeFileAtomically for the errors).
    void save() const;

private:
    struct Data;
    std::unique_ptr<Data> d_;
};

}  // namespace zta
