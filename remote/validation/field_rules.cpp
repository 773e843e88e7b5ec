#include "remote/validation/field_rules.h"

#include "exchange/wire/setting_schema.h"
#include "jex/convert.h"

namespace jexremote {

namespace {

using K = FieldKind;

// Plain decimal as the panel writes a number: an optional minus sign and up
// to six digits, no leading zero, nothing else.
std::optional<int> plainDecimal(const QString& text) {
    const int digitsFrom = text.startsWith(u'-') ? 1 : 0;
    if (text.size() <= digitsFrom || text.size() > digitsFrom + 6) return std::nullopt;
    if (text[digitsFrom] == u'0' && text.size() > 1) return std::nullopt;
    for (int i = digitsFrom; i < text.size(); ++i)
        if (!text[i].isDigit() || text[i].unicode() > '9') return std::nullopt;
    return text.toInt();
}

// A new server's values, in wire order.
// clang-format off
constexpr std::array<const char*, kdrsm::wire::kSettingCount> kInitialValues = {
    "Delta Force Server", "US", "0", "", "31", "30", "2", "2", "8", "1", "1", "0", "0",
    "Welcome! Play fair and have fun.", "", "", "1", "6", "1", "1", "15", "210", "100",
    "1", "1", "0", "0", "0", "0", "15000", "0", "0", "1", "17479"};
// clang-format on

// The rule of a setting, from its row: text is bounded by the longest text
// its box takes; a list holds an index into its entries, or the entry's
// number where the wire carries one higher; a check holds a check value,
// the inverted auto balance only 0 or 1.
constexpr FieldRule ruleOf(const kdrsm::wire::Setting& setting) {
    using kdrsm::wire::SettingKind;
    using kdrsm::wire::UpdateForm;
    FieldRule rule{kInitialValues[static_cast<size_t>(setting.index)], K::FreeText};
    switch (setting.kind) {
        case SettingKind::Text:
        case SettingKind::Code:
            rule.maxLength = setting.maxLength;
            break;
        case SettingKind::Number:
            rule.kind = K::NumericText;
            rule.maxLength = setting.maxLength;
            break;
        case SettingKind::List: {
            rule.kind = K::WholeNumber;
            rule.low = setting.update == UpdateForm::ListIndexPlus1 ? 1 : 0;
            rule.high = rule.low + kdrsm::wire::entryCount(setting) - 1;
            break;
        }
        case SettingKind::Check:
            rule.kind = K::WholeNumber;
            rule.high = setting.update == UpdateForm::InvertedCheck ? 1 : 2;
            break;
    }
    return rule;
}

}  // namespace

constinit const std::array<FieldRule, kdrsm::wire::kSettingCount> kFieldRules = [] {
    std::array<FieldRule, kdrsm::wire::kSettingCount> rules{};
    for (const kdrsm::wire::Setting& setting : kdrsm::wire::kSettings)
        rules[static_cast<size_t>(setting.index)] = ruleOf(setting);
    return rules;
}();

QString fieldFault(int field, const QString& text) {
    const FieldRule& rule = kFieldRules.at(field);
    switch (rule.kind) {
        case K::FreeText:
            if (text.size() > rule.maxLength)
                return QStringLiteral("longer than %1 characters").arg(rule.maxLength);
            return {};
        case K::WholeNumber: {
            const auto number = plainDecimal(text);
            if (!number) return QStringLiteral("not a whole number");
            if (*number < rule.low || *number > rule.high)
                return QStringLiteral("outside %1 to %2").arg(rule.low).arg(rule.high);
            return {};
        }
        case K::NumericText:
            if (text.size() > rule.maxLength)
                return QStringLiteral("longer than %1 characters").arg(rule.maxLength);
            if (!jex::isNumeric(text)) return QStringLiteral("not a number");
            return {};
    }
    return QStringLiteral("unknown field");
}

}  // namespace jexremote
