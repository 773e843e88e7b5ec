#include "host/servers/server_rules.h"

#include <QRegularExpression>
#include <QUrl>

#include <algorithm>

namespace jexhost::servers {

namespace {

// One line of the file holds a value: no control characters, and blanks at
// either end would not survive the read.
QString plainTextFault(const QString& text, int maxLength) {
    if (text.size() > maxLength) return QStringLiteral("longer than %1 characters").arg(maxLength);
    for (const QChar c : text)
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("holds a control character");
    if (text != text.trimmed()) return QStringLiteral("starts or ends with a blank");
    return {};
}

QString requiredTextFault(const QString& text, int maxLength) {
    if (text.isEmpty()) return QStringLiteral("empty");
    return plainTextFault(text, maxLength);
}

QString nameFault(const QString& text) {
    return requiredTextFault(text, 64);
}

QString gameFault(const QString& text) {
    return requiredTextFault(text, 100);
}

QString remoteFault(const QString& text) {
    if (const QString fault = requiredTextFault(text, 256); !fault.isEmpty()) return fault;
    if (text == kEmbeddedRemote) return {};
    // A port out of range would make the whole address unreadable: name it.
    static const QRegularExpression portPart(
        QStringLiteral("^wss?://(\\[[^\\]]*\\]|[^/:?#\\[@]*):([^/?#@]*)(?:[/?#]|$)"));
    if (const auto port = portPart.match(text); port.hasMatch()) {
        bool number = false;
        const int value = port.captured(2).toInt(&number);
        if (!number || value < 1 || value > 65535 || port.captured(2).startsWith(u'+'))
            return QStringLiteral("port \"%1\" is not a port number (1 to 65535)")
                .arg(port.captured(2));
    }
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || (url.scheme() != u"ws" && url.scheme() != u"wss"))
        return QStringLiteral("neither \"embedded\" nor a ws:// or wss:// address");
    if (url.host().isEmpty()) return QStringLiteral("names no host");
    // A password in the address would end up in the list and the logs.
    if (!url.userInfo().isEmpty()) return QStringLiteral("holds a user name or password");
    return {};
}

QString tokenFileFault(const QString& text) {
    return plainTextFault(text, 1024);
}

// Plain decimal, no sign, no leading zero: what the remote side's state file
// names accept.
QString profileFault(const QString& text) {
    const bool digits =
        !text.isEmpty() && text.size() <= 9 &&
        std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (!digits || (text.size() > 1 && text[0] == u'0'))
        return QStringLiteral("not a whole number from 0 to 999999999");
    return {};
}

// The panel puts the tag into its request text before "_VB6_<profile>_".
QString tagFault(const QString& text) {
    if (const QString fault = plainTextFault(text, 64); !fault.isEmpty()) return fault;
    if (text.contains(QStringLiteral("_VB6_"))) return QStringLiteral("holds \"_VB6_\"");
    return {};
}

}  // namespace

// clang-format off
const std::array<KeyRule, 6> kKeyRules{{
    {"Name", true, nameFault,
     [](const ServerEntry& e) { return e.name; },
     [](ServerEntry& e, const QString& t) { e.name = t; }},
    {"Game", true, gameFault,
     [](const ServerEntry& e) { return e.game; },
     [](ServerEntry& e, const QString& t) { e.game = t; }},
    {"Remote", true, remoteFault,
     [](const ServerEntry& e) { return e.remote; },
     [](ServerEntry& e, const QString& t) { e.remote = t; }},
    {"TokenFile", false, tokenFileFault,
     [](const ServerEntry& e) { return e.tokenFile; },
     [](ServerEntry& e, const QString& t) { e.tokenFile = t; }},
    {"Profile", true, profileFault,
     [](const ServerEntry& e) { return QString::number(e.profile); },
     [](ServerEntry& e, const QString& t) { e.profile = t.toInt(); }},
    {"Tag", true, tagFault,
     [](const ServerEntry& e) { return e.tag; },
     [](ServerEntry& e, const QString& t) { e.tag = t; }},
}};
// clang-format on

QString idFault(const QString& id) {
    if (id.isEmpty() || id.size() > kMaxIdLength)
        return QStringLiteral("a server's section name takes 1 to %1 characters").arg(kMaxIdLength);
    for (const QChar c : id) {
        const bool allowed = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                             (c >= u'0' && c <= u'9') || c == u'-' || c == u'_' || c == u'.';
        if (!allowed) return QStringLiteral("a server's section name takes only A-Z a-z 0-9 - _ .");
    }
    return {};
}

std::optional<Fault> entryFault(const ServerEntry& entry) {
    for (const KeyRule& rule : kKeyRules) {
        const QString reason = rule.fault(rule.get(entry));
        if (!reason.isEmpty()) return Fault{QString::fromLatin1(rule.key), reason};
    }
    if (!entry.isEmbedded() && entry.tokenFile.isEmpty())
        return Fault{QStringLiteral("TokenFile"),
                     QStringLiteral("needed for a ws:// or wss:// remote")};
    return std::nullopt;
}

namespace {

QString routeOf(const ServerEntry& entry) {
    return QString::number(entry.profile) + u' ' + entry.tag;
}

}  // namespace

std::optional<Fault> ClashIndex::fault(const ServerEntry& entry) const {
    if (const QString other = idOfName_.value(entry.name); !other.isNull() && other != entry.id)
        return Fault{QStringLiteral("Name"),
                     QStringLiteral("\"%1\" is already the name of [%2]").arg(entry.name, other)};
    if (const QString other = idOfRoute_.value(routeOf(entry));
        !other.isNull() && other != entry.id)
        return Fault{QStringLiteral("Tag"),
                     QStringLiteral("tag \"%1\" with profile %2 is already used by [%3]")
                         .arg(entry.tag)
                         .arg(entry.profile)
                         .arg(other)};
    return std::nullopt;
}

void ClashIndex::add(const ServerEntry& entry) {
    idOfName_.insert(entry.name, entry.id);
    idOfRoute_.insert(routeOf(entry), entry.id);
}

std::optional<Fault> clashFault(const ServerEntry& entry, const QList<ServerEntry>& others) {
    ClashIndex index;
    for (const ServerEntry& other : others)
        if (other.id != entry.id) index.add(other);
    return index.fault(entry);
}

}  // namespace jexhost::servers
