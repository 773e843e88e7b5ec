#include "wire_properties.h"

#include <limits>

#include "exchange/wire/fields.h"
#include "exchange/wire/request.h"
#include "exchange/wire/settings_text.h"
#include "jex/convert.h"
#include "jex/error.h"

namespace kdrsm::wire::properties {

namespace {

bool isNumberForm(ReplyForm form) {
    return form == ReplyForm::ListIndex || form == ReplyForm::ListIndexMinus1 ||
           form == ReplyForm::Check || form == ReplyForm::InvertedCheck;
}

// A conversion of text to a whole number: 13 exactly when the text is not a
// number, 6 exactly when the rounded number is out of range, otherwise the
// rounded number.
template <typename Int>
QString checkWholeNumber(const QString& text, Int (*convert)(QStringView), const char* name) {
    const std::optional<double> number = jex::parseNumber(text);
    const QString what = QString::fromLatin1(name);
    try {
        const Int value = convert(text);
        if (!number) return what + QStringLiteral(" converted a text that is not a number");
        if (value != jex::roundHalfEven(*number))
            return what + QStringLiteral(" gave %1 for %2").arg(value).arg(*number);
    } catch (const jex::Error& e) {
        if (e.number() == jex::err::TypeMismatch) {
            if (number) return what + QStringLiteral(" raised 13 for a number");
        } else if (e.number() == jex::err::Overflow) {
            if (!number) return what + QStringLiteral(" raised 6 for a text that is not a number");
            const double rounded = jex::roundHalfEven(*number);
            if (rounded >= std::numeric_limits<Int>::min() &&
                rounded <= std::numeric_limits<Int>::max())
                return what + QStringLiteral(" raised 6 for %1").arg(*number);
        } else {
            return what + QStringLiteral(" raised %1").arg(e.number());
        }
    }
    return {};
}

QString checkReplyField(const WireField& wireField, const QString& field) {
    if (!isNumberForm(wireField.reply)) {
        (void)textFromReply(wireField.reply, field);
        return {};
    }
    const QString where = QStringLiteral("field %1: ").arg(wireField.index);
    const bool numeric = jex::isNumeric(field);
    try {
        (void)numberFromReply(wireField.reply, field);
        if (!numeric) return where + QStringLiteral("read a text that is not a number");
    } catch (const jex::Error& e) {
        if (e.number() == jex::err::TypeMismatch && numeric)
            return where + QStringLiteral("raised 13 for a number");
        if (e.number() != jex::err::TypeMismatch && e.number() != jex::err::Overflow)
            return where + QStringLiteral("raised %1").arg(e.number());
    }
    return {};
}

}  // namespace

QString textFromInput(QByteArrayView bytes) {
    return QString::fromUtf8(bytes);
}

QString checkSettingsReply(const QString& text) {
    const SettingsReply reply = splitSettingsReply(text);
    if (reply.sectionCount != jex::split(text, kSectionSeparator).size())
        return QStringLiteral("section count %1 is wrong").arg(reply.sectionCount);
    for (const WireField& wireField : kWireFields) {
        if (wireField.index >= reply.fields.size()) break;
        const QString broken = checkReplyField(wireField, reply.fields[wireField.index]);
        if (!broken.isEmpty()) return broken;
    }
    return {};
}

QString checkRequestText(const QString& text) {
    if (const std::optional<Request> request = parseRequestText(text)) {
        const QString rebuilt =
            requestText(request->command, request->hostTag, request->profileIndex, request->data);
        if (rebuilt != text) return QStringLiteral("rebuilt as \"%1\"").arg(rebuilt);
    }
    // Any data text travels unchanged behind a command and tag without "_".
    const qint32 index = text.size() % 2 == 0 ? 0 : -1;
    const QString tag = QStringLiteral("srv-01");
    const std::optional<Request> sent =
        parseRequestText(requestText(kSetSettings, tag, index, text));
    if (!sent || sent->command != kSetSettings || sent->hostTag != tag ||
        sent->profileIndex != index || sent->data != text)
        return QStringLiteral("a request with this text as its data does not read back");
    return {};
}

QString checkUpdateBody(const QString& text) {
    if (const std::optional<UpdateBody> body = parseUpdateBody(text)) {
        if (body->fields.size() != kUpdateFieldCount)
            return QStringLiteral("%1 fields").arg(body->fields.size());
        const QString joined = joinUpdateBody(*body);
        if (joined != text) return QStringLiteral("joined back as \"%1\"").arg(joined);
    }
    return {};
}

QString checkNumbers(const QString& text) {
    const std::optional<double> number = jex::parseNumber(text);
    if (jex::isNumeric(text) != number.has_value())
        return QStringLiteral("isNumeric disagrees with parseNumber");
    const std::optional<double> padded = jex::parseNumber(u' ' + text + u' ');
    if (padded != number) return QStringLiteral("blanks around the text change its number");
    QString broken = checkWholeNumber<qint16>(text, &jex::toInteger, "toInteger");
    if (broken.isEmpty()) broken = checkWholeNumber<qint32>(text, &jex::toLong, "toLong");
    return broken;
}

}  // namespace kdrsm::wire::properties
