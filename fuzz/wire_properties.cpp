#include "wire_properties.h"

#include <functional>
#include <optional>

#include "exchange/wire/fields.h"
#include "exchange/wire/request.h"
#include "exchange/wire/settings_text.h"
#include "jex/convert.h"
#include "jex/error.h"

namespace kdrsm::wire::properties {

namespace {

// Reading text as a number fails only as "type mismatch" or "overflow".
QString raisesOnlyMismatchOrOverflow(const std::function<void()>& read, const QString& what) {
    try {
        read();
    } catch (const jex::Error& e) {
        if (e.number() != jex::err::TypeMismatch && e.number() != jex::err::Overflow)
            return what + QStringLiteral(" raised %1").arg(e.number());
    }
    return {};
}

}  // namespace

QString textFromInput(QByteArrayView bytes) {
    return QString::fromUtf8(bytes);
}

QString checkSettingsReply(const QString& text) {
    const SettingsReply reply = splitSettingsReply(text);
    for (const Setting& wireField : kSettings) {
        if (wireField.index >= reply.fields.size()) break;
        const QString& field = reply.fields[wireField.index];
        const QString broken = raisesOnlyMismatchOrOverflow(
            [&] {
                if (wireField.reply == ReplyForm::ListIndex ||
                    wireField.reply == ReplyForm::ListIndexMinus1 ||
                    wireField.reply == ReplyForm::Check ||
                    wireField.reply == ReplyForm::InvertedCheck)
                    (void)numberFromReply(wireField.reply, field);
                else
                    (void)textFromReply(wireField.reply, field);
            },
            QStringLiteral("field %1").arg(wireField.index));
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
    const std::optional<double> padded = jex::parseNumber(u' ' + text + u' ');
    if (padded != number) return QStringLiteral("blanks around the text change its number");
    // A text that fits an Integer reads the same as a Long.
    std::optional<qint32> asInteger;
    std::optional<qint32> asLong;
    QString broken = raisesOnlyMismatchOrOverflow([&] { asInteger = jex::toInteger(text); },
                                                  QStringLiteral("toInteger"));
    if (broken.isEmpty())
        broken = raisesOnlyMismatchOrOverflow([&] { asLong = jex::toLong(text); },
                                              QStringLiteral("toLong"));
    if (broken.isEmpty() && asInteger && asInteger != asLong)
        broken = QStringLiteral("toInteger gave %1, toLong did not").arg(*asInteger);
    return broken;
}

}  // namespace kdrsm::wire::properties
