#include "exchange/wire/list_entries.h"

namespace kdrsm::wire {

QStringList listEntries(int index) {
    if (index < 0 || index >= kSettingCount) return {};
    const Setting& setting = kSettings[static_cast<size_t>(index)];
    if (setting.kind != SettingKind::List && setting.kind != SettingKind::Code) return {};
    QStringList entries;
    const QString fixed = QString::fromLatin1(setting.entries);
    if (!fixed.isEmpty()) entries = fixed.split(u'|');
    for (int n = setting.first; n <= setting.last; ++n) entries << QString::number(n);
    return entries;
}

}  // namespace kdrsm::wire
