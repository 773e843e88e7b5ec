#pragma once
// The plug-in as the host drives it: created by class name and called only
// late-bound, by method name. Errors a call raises are logged, never thrown
// at the host's user interface.

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

#include "jex/collection.h"
#include "link/link_messages.h"

namespace jexhost {

inline const QString kPanelProgId = QStringLiteral("jexrcKDRSM.clsPlugin");

// What the host shows of the plug-in's descriptor record.
struct PluginDescriptor {
    QString name;
    QString version;
    QString description;
    QStringList games;
    bool hasInterface = false;
};

// Pixels to twips, the unit of the panel's available height and width.
qint32 pixelsToTwips(int pixels, int dotsPerInch);

class PluginClient {
public:
    // Creates the plug-in; raises jex::Error (429) when it cannot be created.
    explicit PluginClient(const QString& progId = kPanelProgId);
    ~PluginClient();

    QObject* object() const { return object_.get(); }
    PluginDescriptor descriptor();
    // The operator's privileges as the remote side granted them in its
    // welcome: a collection keyed by the five privilege names.
    void setPrivileges(const jexlink::Welcome& welcome);
    void loadInterface(qint32 index, qint64 parentHandle, const QString& tag, qint32 heightTwips,
                       qint32 widthTwips);
    void hideInterface();
    void remoteData(const QString& answer);

private:
    void handOver(const jexlink::Welcome& welcome);
    QVariant invoke(const char* method, const QVariantList& args = {});

    std::unique_ptr<QObject> object_;
    // The collections handed to SetPrivis; the plug-in keeps the latest.
    std::unique_ptr<jex::Collection> privileges_;
    jex::Collection values_;
};

}  // namespace jexhost
