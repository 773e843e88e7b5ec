#include "host/console/keyboard_order.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollArea>
#include <QTimer>

namespace jexhost {

KeyboardOrder::KeyboardOrder(QWidget* window, const Stops& stops)
    : QObject(window),
      window_(window),
      list_(stops.list),
      filter_(stops.filter),
      panel_(stops.panel),
      traffic_(stops.traffic) {
    // Tab leaves a table; the arrows still walk its cells.
    list_->setTabKeyNavigation(false);
    traffic_->setTabKeyNavigation(false);
    auto* find = new QAction(window);
    find->setObjectName(QStringLiteral("findServerAction"));
    find->setShortcut(QKeySequence::Find);
    find->setShortcutContext(Qt::WindowShortcut);
    connect(find, &QAction::triggered, this, [this] {
        if (!filter_) return;
        filter_->setFocus(Qt::ShortcutFocusReason);
        filter_->selectAll();
    });
    window->addAction(find);
    qApp->installEventFilter(this);
}

KeyboardOrder::~KeyboardOrder() {
    qApp->removeEventFilter(this);
}

bool KeyboardOrder::takesTab(const QWidget* widget) const {
    return widget && widget->isEnabled() && widget->isVisibleTo(window_) &&
           (widget->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && !widget->focusProxy();
}

// The form lays its controls into the focus chain in TabIndex order as one
// run; the chain is walked from the window so that the run is met whole.
QList<QWidget*> KeyboardOrder::panelStops() const {
    QList<QWidget*> stops;
    if (!panel_ || !window_) return stops;
    for (QWidget* w = window_->nextInFocusChain(); w && w != window_; w = w->nextInFocusChain())
        if (panel_->isAncestorOf(w) && takesTab(w)) stops << w;
    return stops;
}

QWidget* KeyboardOrder::next(QWidget* from, bool forward) const {
    if (!from || !window_ || !list_ || !filter_ || !panel_ || !traffic_) return nullptr;
    const QList<QWidget*> inPanel = panelStops();
    // The ring of stops, the panel's controls standing in for the panel.
    QList<QWidget*> ring{list_, filter_};
    const qsizetype panelAt = ring.size();
    ring += inPanel;
    ring << traffic_;

    qsizetype at = -1;
    for (qsizetype i = 0; i < ring.size() && at < 0; ++i)
        if (ring[i] == from || ring[i]->isAncestorOf(from)) at = i;
    if (at < 0) {
        // A control of the panel that has no place in its order: the panel's start.
        if (!panel_->isAncestorOf(from)) return nullptr;
        at = forward ? panelAt - 1 : panelAt;
    }
    for (qsizetype step = 1; step < ring.size(); ++step) {
        QWidget* candidate = ring[(at + (forward ? step : ring.size() - step)) % ring.size()];
        if (takesTab(candidate)) return candidate;
    }
    return nullptr;
}

bool KeyboardOrder::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && watched == window_ && !focusPlaced_) {
        focusPlaced_ = true;
        // Once the window is up, so that nothing shown with it takes the focus after.
        QTimer::singleShot(0, this, [this] {
            if (list_) list_->setFocus(Qt::OtherFocusReason);
        });
        return false;
    }
    if (event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
    const Qt::KeyboardModifiers others = key->modifiers() & ~Qt::ShiftModifier;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!tab || others != Qt::NoModifier || !widget || !window_ || widget->window() != window_)
        return false;
    const bool forward = key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier);
    QWidget* to = next(widget, forward);
    if (!to) return false;
    to->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    // A control of a panel larger than its area is scrolled into sight.
    for (QWidget* up = to->parentWidget(); up; up = up->parentWidget())
        if (auto* scroll = qobject_cast<QScrollArea*>(up)) scroll->ensureWidgetVisible(to);
    return true;
}

}  // namespace jexhost
