#pragma once
// Whether the operator changed the open form since it was last filled with
// its server's settings: the form lives in this process, so its setting
// controls (those named "sav...") are watched from the moment a fill has been
// delivered. A new fill, or an update the server stored, starts afresh.

#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QPointer>

class QWidget;

namespace jexhost {

class EditWatch : public QObject {
    Q_OBJECT
public:
    explicit EditWatch(QObject* parent = nullptr) : QObject(parent) {}

    // The form below `area` was just filled: watch its controls from now on.
    void filled(QWidget* area);
    // The form's changes were stored, or dropped: nothing is unsent.
    void settled() { edited_ = false; }
    // No form is open any longer.
    void stop();
    bool edited() const { return edited_; }

private:
    QList<QMetaObject::Connection> connections_;
    bool edited_ = false;
};

}  // namespace jexhost
