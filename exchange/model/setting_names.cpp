#include "exchange/model/setting_names.h"

namespace kdrsm::model {

namespace {

const wire::Setting& row(int field) {
    return wire::kSettings.at(static_cast<size_t>(field));
}

// The key is the control's name without its "sav".
QLatin1StringView keyOf(const wire::Setting& setting) {
    return QLatin1StringView(setting.control).sliced(3);
}

}  // namespace

QString settingKey(int field) {
    return keyOf(row(field)).toString();
}

QString settingLabel(int field) {
    return QString::fromLatin1(row(field).caption);
}

bool isSecret(int field) {
    return field >= 0 && field < kSettingCount && row(field).secret;
}

int fieldOfKey(QStringView key) {
    for (const wire::Setting& setting : wire::kSettings)
        if (key == keyOf(setting)) return setting.index;
    return -1;
}

QString labelOfKey(QStringView key) {
    const int field = fieldOfKey(key);
    if (field >= 0) return settingLabel(field);
    if (key == QLatin1StringView(kRolesKey)) return QString::fromLatin1(kRolesLabel);
    if (key == QLatin1StringView(kWeaponsKey)) return QString::fromLatin1(kWeaponsLabel);
    if (key == QLatin1StringView(kAutoLoadKey)) return QString::fromLatin1(kAutoLoadLabel);
    return {};
}

QString captionWords(QStringView caption) {
    return (caption.endsWith(u':') ? caption.chopped(1) : caption).toString();
}

}  // namespace kdrsm::model
