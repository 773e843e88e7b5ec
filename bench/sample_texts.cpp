#include "sample_texts.h"

#include <QByteArray>

#include <array>

namespace kdrsm::bench {

namespace {

const std::array<const char*, 20> kWeaponNames = {
    "M4",          "M16",     "CAR-15",       "M60",       "M249 SAW",      "M21",  "M24",
    "Barrett .50", "MP5",     "Colt .45",     "G3",        "AK-47",         "M203", "LAW",
    "Claymore",    "Satchel", "Frag Grenade", "Flashbang", "Smoke Grenade", "Knife"};

// Section 0 of a reply in wire order; texts that travel encoded are marked.
struct SampleField {
    const char* text;
    bool encode;
};
// clang-format off
const std::array<SampleField, 34> kReplyFields = {{
    {"Delta Force Night Ops", true}, {"Germany", true}, {"1", false}, {"s3cret", true},
    {"15", false}, {"30", false}, {"2", false}, {"2", false}, {"8", false},
    {"1", false}, {"0", false}, {"1", false}, {"0", false},
    {"Welcome! No camping, no team killing.", true}, {"blue pw", true}, {"red pw", true},
    {"1", false}, {"6", false}, {"1", false}, {"1", false}, {"15", false},
    {"210", false}, {"100", false}, {"1", false}, {"0", false}, {"1", false},
    {"1", false}, {"0", false}, {"1", false}, {"15000", false},
    {"0", false}, {"0", false}, {"1", false}, {"17479", false},
}};
// clang-format on

QStringList replyFields() {
    QStringList fields;
    for (const SampleField& field : kReplyFields) {
        const QString text = QString::fromUtf8(field.text);
        fields << (field.encode ? encoded(text) : text);
    }
    return fields;
}

}  // namespace

QString encoded(const QString& text) {
    return QString::fromLatin1(text.toUtf8().toBase64());
}

QString weaponName(int i) {
    const auto count = static_cast<int>(kWeaponNames.size());
    const QString name = QString::fromUtf8(kWeaponNames[static_cast<size_t>(i % count)]);
    return i < count ? name : name + u' ' + QString::number(i / count + 1);
}

QString sampleSettingsReply(int weaponCount) {
    QList<wire::WeaponEntry> weapons;
    for (int i = 0; i < weaponCount; ++i) weapons.append({encoded(weaponName(i)), i % 3 != 0});
    return wire::joinSettingsReply(replyFields(), {true, true, false, true}, weapons, true);
}

wire::UpdateBody sampleUpdateBody(int weaponCount) {
    wire::UpdateBody body;
    body.fields = replyFields().mid(0, wire::kUpdateFieldCount);
    for (int i = 0; i < weaponCount; i += 2) body.encodedWeapons << encoded(weaponName(i));
    body.roleSlots = {QStringLiteral("CQB"), QStringLiteral("Gunner"), QString(),
                      QStringLiteral("Sniper")};
    body.autoLoad = QStringLiteral("1");
    return body;
}

QStringList sampleFieldTexts() {
    return {QStringLiteral("0"),     QStringLiteral("15"),       QStringLiteral("17479"),
            QStringLiteral(" 45 "),  QStringLiteral("2.5"),      QStringLiteral("-1"),
            QStringLiteral("1E3"),   QStringLiteral("abc"),      QStringLiteral(""),
            QStringLiteral("15000"), QStringLiteral("RGVsdGE="), QStringLiteral("99999")};
}

}  // namespace kdrsm::bench
