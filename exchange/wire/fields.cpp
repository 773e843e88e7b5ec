#include "exchange/wire/fields.h"

#include "jex/convert.h"
#include "jex/error.h"

namespace kdrsm::wire {

using C = Correction;
using R = ReplyForm;

// Name; country and password; session; players; time, delay, maps, respawn;
// message and team passwords; friendly kills and takeover time; flag return
// and lives; the two pings; auto balance last.
const std::array<int, 19> kUpdatePreparationOrder = {0,  1,  3,  2,  4,  5,  6,  7,  8, 13,
                                                     14, 15, 17, 20, 21, 22, 27, 29, 12};

qint16 numberFromReply(ReplyForm form, const QString& field) {
    switch (form) {
        case R::ListIndex:
        case R::Check:
            return jex::toInteger(field);
        case R::ListIndexMinus1:
            return jex::toInteger(jex::toDouble(field) - 1.0);
        case R::InvertedCheck:
            return jex::equalsNumber(field, 1.0) ? 0 : 1;
        default:
            jex::raise(jex::err::TypeMismatch);
    }
}

QString textFromReply(ReplyForm form, const QString& field) {
    if (form == R::GamePort && jex::trimBlanks(field) == QStringLiteral("0"))
        return QStringLiteral("17479");
    return field;
}

int listIndexInRange(const Setting& field, int index) {
    return index > field.high || index < field.low ? field.reset : index;
}

QString correctedText(const Setting& field, const QString& text) {
    const bool keep = field.correction == C::BlankText ? !jex::isBlank(text) : jex::isNumeric(text);
    return keep ? text : QString::fromLatin1(field.text);
}

QString textOrDefault(const Setting& field, const QString& text) {
    return jex::isNumeric(text) ? text : QString::fromLatin1(field.text);
}

}  // namespace kdrsm::wire
