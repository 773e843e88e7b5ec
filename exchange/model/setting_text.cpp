#include "exchange/model/setting_text.h"

#include "exchange/model/setting_names.h"
#include "exchange/wire/fields.h"
#include "exchange/wire/list_entries.h"
#include "jex/error.h"

namespace kdrsm::model {

namespace {

using wire::ReplyForm;

QString entryText(int field, int index) {
    if (index == -1) return QStringLiteral("(none)");
    const QStringList entries = wire::listEntries(field);
    if (index < 0 || index >= entries.size()) return QStringLiteral("(entry %1)").arg(index);
    return entries[index];
}

}  // namespace

QString checkText(int value) {
    switch (value) {
        case 0:
            return QStringLiteral("off");
        case 1:
            return QStringLiteral("on");
        case 2:
            return QStringLiteral("greyed");
        default:
            return QStringLiteral("(value %1)").arg(value);
    }
}

QString restrictionText(bool restricted) {
    return restricted ? QStringLiteral("restricted") : QStringLiteral("unrestricted");
}

QString shownField(int field, const QString& stored) {
    if (isSecret(field)) return kHidden;
    const ReplyForm form = wire::kSettings.at(static_cast<size_t>(field)).reply;
    if (form == ReplyForm::Decoded || form == ReplyForm::Text || form == ReplyForm::GamePort)
        return wire::textFromReply(form, stored);
    // Lists and check boxes take the number the panel reads from the field.
    qint16 value = 0;
    try {
        value = wire::numberFromReply(form, stored);
    } catch (const jex::Error& error) {
        return error.number() == jex::err::Overflow ? QStringLiteral("(out of range)")
                                                    : QStringLiteral("(not a number)");
    }
    if (form == ReplyForm::Check || form == ReplyForm::InvertedCheck) return checkText(value);
    return entryText(field, value);
}

QString oneLine(const QString& text, qsizetype limit) {
    if (text.isEmpty()) return QStringLiteral("(empty)");
    QString line = text.size() > limit ? text.left(limit - 1) + QStringLiteral("…") : text;
    for (QChar& c : line)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = u' ';
    return line;
}

}  // namespace kdrsm::model
