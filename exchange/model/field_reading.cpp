#include "exchange/model/field_reading.h"

#include "exchange/model/setting_names.h"
#include "exchange/wire/fields.h"
#include "jex/error.h"
#include "jex/text64.h"

namespace kdrsm::model {

Read<QString> decodedField(int field, const QString& encoded) {
    if (auto text = jex::decodeText64(encoded)) return *text;
    return Fault{field, settingKey(field), QStringLiteral("not Base64")};
}

std::optional<Fault> numberFault(int field, const QString& text) {
    const wire::ReplyForm form = wire::kSettings.at(static_cast<size_t>(field)).reply;
    if (form != wire::ReplyForm::ListIndex && form != wire::ReplyForm::ListIndexMinus1 &&
        form != wire::ReplyForm::Check && form != wire::ReplyForm::InvertedCheck)
        return std::nullopt;
    try {
        wire::numberFromReply(form, text);
        return std::nullopt;
    } catch (const jex::Error& error) {
        return Fault{field, settingKey(field),
                     error.number() == jex::err::Overflow ? QStringLiteral("out of range")
                                                          : QStringLiteral("not a number")};
    }
}

}  // namespace kdrsm::model
