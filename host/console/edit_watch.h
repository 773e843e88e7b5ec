#pragma once
// Whether the operator changed the open form since it was last filled with
// its server's settings: the form lives in this process, so its setting
// controls (those named "sav...", the restriction lists and the auto-load box)
// are watched from the moment a fill has been delivered. A new fill, or an update the server
// stored, starts afresh. It also tells which settings differ from the fill: their controls' values
// are noted when it is delivered.

#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QStringList>

class QWidget;

namespace jexhost {

class EditWatch : public QObject {
    Q_OBJECT
public:
    explicit EditWatch(QObject* parent = nullptr) : QObject(parent) {}

    // The form below `area` was just filled: watch its controls from now on.
    void filled(QWidget* area);
    // The form's changes were stored, or dropped: nothing is unsent, and what
    // the form shows now is what later changes are told against.
    void settled();
    // No form is open any longer.
    void stop();
    bool edited() const { return edited_; }
    // The keys of the settings whose controls differ from the fill
    // ("ServerName", "Players"), in the form's order.
    QStringList changedKeys() const;

    // The operator's changes as the controls hold them, by control name, to
    // be put back over a new fill of the same form.
    using Held = QList<QPair<QString, QString>>;
    Held held() const;
    // Puts held changes back into the form below `area`; they count as
    // changes not sent.
    static void putBack(QWidget* area, const Held& held);

private:
    struct Watched {
        QPointer<QWidget> control;
        QString filledValue;
    };
    QList<QMetaObject::Connection> connections_;
    QList<Watched> watched_;
    bool edited_ = false;
};

}  // namespace jexhost
