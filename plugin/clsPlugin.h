#pragma once
// The class the host talks to, late-bound by method name. It has no state of
// its own: every instance works on the module state of its thread. Creating
// the first instance on a thread runs the start-up routine Main.

#include <QObject>
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace kdrsm {

class clsPlugin final : public QObject {
    Q_OBJECT
public:
    explicit clsPlugin(QObject* parent = nullptr);

    Q_INVOKABLE QString dllVersion(const QString& pName);
    Q_INVOKABLE QVariant GetData();
    Q_INVOKABLE void SetPrivis(QObject* NameCol, QObject* ValCol, bool IsSuperAdmin);
    Q_INVOKABLE void LoadInterface(qint32 Index, qint64 pHwnd, const QVariantList& PDAT,
                                   const QString& fName = QString());
    Q_INVOKABLE void RemoteData(const QString& Data);
    Q_INVOKABLE void HideInterface(const QString& fName = QString());
};

}  // namespace kdrsm
