#pragma once
// Readable test failure messages for Qt's text types.

#include <QString>
#include <QStringList>

#include <cctype>
#include <ostream>
#include <string>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList& list, std::ostream* out) {
    *out << '{';
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (i) *out << ", ";
        PrintTo(list[i], out);
    }
    *out << '}';
}

inline void PrintTo(const QByteArray& bytes, std::ostream* out) {
    *out << '"' << bytes.toStdString() << '"';
}

namespace jextest {

// A table row's name as its test's name, other than letters and digits as '_'.
struct RowName {
    template <typename Info>
    std::string operator()(const Info& info) const {
        std::string name(info.param.name);
        for (char& c : name)
            if (!isalnum(static_cast<unsigned char>(c))) c = '_';
        return name;
    }
};

}  // namespace jextest
