#pragma once
// The console's keyboard order. Tab goes from the server list to its filter,
// into the panel at its first control, through the panel in the form's own
// TabIndex order, on to the traffic view and round to the list again;
// Shift+Tab goes back the same way. A table is one stop: the arrows walk its
// cells, Tab leaves it. Ctrl+F goes to the filter; when the window first
// shows, the list has the focus.

#include <QObject>
#include <QPointer>

class QAbstractItemView;
class QLineEdit;
class QWidget;

namespace jexhost {

class KeyboardOrder final : public QObject {
    Q_OBJECT
public:
    struct Stops {
        QAbstractItemView* list;
        QLineEdit* filter;
        QWidget* panel;  // the area the panel or its server's state is shown in
        QAbstractItemView* traffic;
    };
    // Watches the key presses of `window`'s widgets; a child of `window`.
    KeyboardOrder(QWidget* window, const Stops& stops);
    ~KeyboardOrder() override;

    // Where Tab (`forward`) or Shift+Tab goes from `from`; null when the
    // window's own order decides (a tool bar, a button outside the stops).
    QWidget* next(QWidget* from, bool forward) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The panel's controls that take the focus, in the order of the Tab key.
    QList<QWidget*> panelStops() const;
    bool takesTab(const QWidget* widget) const;

    QPointer<QWidget> window_;
    QPointer<QAbstractItemView> list_;
    QPointer<QLineEdit> filter_;
    QPointer<QWidget> panel_;
    QPointer<QAbstractItemView> traffic_;
    bool focusPlaced_ = false;
};

}  // namespace jexhost
