#pragma once
// The entries of the form's lists once the form is loaded, by wire index: the
// fixed entries first, then the numbers the load step appends. A list index
// on the wire names an entry of these lists, so anything that shows a
// settings text outside the form (the host's views) names entries the same
// way.

#include <QString>
#include <QStringList>

#include <array>

namespace kdrsm::wire {

struct ListEntries {
    int index;            // wire index of the field
    const char* control;  // the list's control
    const char* fixed;    // design-time entries, '|'-separated
    int first;            // numbers appended at load: first..last (none when first > last)
    int last;
};

extern const std::array<ListEntries, 9> kListEntries;

// The role list, in list order (role flag and role slot i name entry i).
inline constexpr std::array<const char*, 4> kRoleEntries = {"CQB", "Gunner", "Medic", "Sniper"};

// The country codes of the Country box, in list order: a preset keeps the
// index of the code chosen.
inline constexpr const char* kCountryCodes =
    "AD|AE|AF|AG|AI|AL|AM|AN|AO|AP|AQ|AR|AS|AT|AU|AW|AZ|BA|BB|BD|BE|BF|BG|BH|BI|BJ|BM|BN|BO|"
    "BR|BS|BT|BV|BW|BY|BZ|CA|CD|CF|CG|CH|CI|CK|CL|CM|CN|CO|CR|CU|CV|CY|CZ|DE|DJ|DK|DM|DO|DZ|"
    "EC|EE|EG|ER|ES|ET|EU|FI|FJ|FK|FM|FO|FR|GA|GB|GD|GE|GF|GH|GI|GL|GM|GN|GP|GQ|GR|GU|GW|GY|"
    "HK|HM|HN|HR|HT|HU|ID|IE|IL|IN|IO|IQ|IR|IS|IT|JM|JO|JP|KE|KG|KH|KI|KM|KN|KP|KR|KW|KY|KZ|"
    "LA|LB|LC|LI|LK|LR|LS|LT|LU|LV|LY|MA|MC|MD|ME|MG|MH|MK|ML|MM|MN|MO|MP|MQ|MR|MS|MT|MU|MV|"
    "MW|MX|MY|MZ|NA|NC|NE|NF|NG|NI|NL|NO|NP|NR|NU|NZ|OM|PA|PE|PF|PG|PH|PK|PL|PR|PS|PT|PW|PY|"
    "QA|RE|RO|RS|RU|RW|SA|SB|SC|SD|SE|SG|SI|SK|SL|SM|SN|SO|SR|ST|SV|SY|SZ|TC|TD|TG|TH|TJ|TK|"
    "TM|TN|TO|TR|TT|TV|TW|TZ|UA|UG|UK|UM|US|UY|UZ|VA|VC|VE|VG|VI|VN|VU|WF|WS|YE|YT|ZA|ZM|ZW";

// Every entry of the list of field `index`; empty when the field is no list.
QStringList listEntries(int index);

}  // namespace kdrsm::wire
