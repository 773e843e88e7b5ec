#include "host/console/unsent_edits.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

#include "exchange/wire/request.h"
#include "host/host_session.h"
#include "host/relay/request_carrier.h"

namespace jexhost {

UnsentEdits::UnsentEdits(HostSession& session, EditWatch& edits, QWidget* window,
                         QWidget* panelHost)
    : QObject(window), session_(session), edits_(edits), window_(window), panelHost_(panelHost) {
    connect(&session_, &HostSession::panelMissedData, this, &UnsentEdits::missedData);
    connect(&session_, &HostSession::answerApplied, this, &UnsentEdits::filled);
    connect(&session_, &HostSession::panelOpened, this, [this](const QString& id) {
        if (putBack_ && putBack_->first != id) putBack_.reset();
    });
}

bool UnsentEdits::settle(bool quitting) {
    if (!edits_.edited()) return true;
    if (settling_) return false;  // asked already; that question decides
    settling_ = true;
    const QString id = session_.openId();
    const auto entry = session_.server(id);
    const QString name = entry ? entry->name : tr("the open server");
    auto* box =
        new QMessageBox(QMessageBox::Question, tr("Changes not sent"),
                        tr("The settings of %1 were changed and not sent to the server.").arg(name),
                        QMessageBox::NoButton, window_);
    box->setAttribute(Qt::WA_DeleteOnClose, false);
    box->setObjectName(QStringLiteral("unsentEdits"));
    box->setInformativeText(tr("Update sends them now; Discard drops them."));
    QPushButton* update = box->addButton(tr("Update"), QMessageBox::AcceptRole);
    QPushButton* discard = box->addButton(QMessageBox::Discard);
    QPushButton* cancel = box->addButton(QMessageBox::Cancel);
    box->setDefaultButton(update);
    box->setEscapeButton(cancel);
    QPointer<QMessageBox> guard(box);
    box->exec();
    const QAbstractButton* chosen = guard ? guard->clickedButton() : nullptr;
    const bool toUpdate = chosen && chosen == update;
    const bool toDiscard = chosen && chosen == discard;
    delete guard.data();
    settling_ = false;
    // The box's loop may have closed or replaced the panel meanwhile.
    if (session_.openId() != id) return false;
    if (toDiscard) {
        edits_.settled();
        return true;
    }
    if (!toUpdate) return false;
    if (sendAndWait(id)) return true;
    emit outcome((quitting ? tr("Not quitting: the update of %1 was not stored; ")
                           : tr("The update of %1 was not stored; "))
                     .arg(name) +
                 tr("your changes are still in the form."));
    return false;
}

// The panel writes its request before the press returns; no file means it
// refused to send, and its own box said why. The answer always comes (the
// link answers every request, empty when it must); the wait also ends when
// the panel goes, and at a last-resort bound.
bool UnsentEdits::sendAndWait(const QString& id) {
    const QString request =
        session_.carrier()->folder() + QStringLiteral("/reply_jexKDRSM_SetSettingsRem.txt");
    pressUpdate();
    if (!QFileInfo::exists(request)) return false;
    QEventLoop loop;
    bool stored = false;
    connect(&session_, &HostSession::updateAnswered, &loop, [&](const QString& to, bool ok) {
        if (to != id) return;
        stored = ok;
        loop.quit();
    });
    connect(&session_, &HostSession::panelStateChanged, &loop, [&] {
        if (session_.openId() != id) loop.quit();
    });
    QTimer::singleShot(std::max(60000, 3 * session_.options().timeoutMs), &loop, &QEventLoop::quit);
    settling_ = true;
    loop.exec();
    settling_ = false;
    if (stored) edits_.settled();
    return stored;
}

// As the operator does it: the panel acts when the mouse is released over
// its Update button.
void UnsentEdits::pressUpdate() {
    auto* button =
        panelHost_ ? panelHost_->findChild<QWidget*>(QStringLiteral("cmdUpdate")) : nullptr;
    if (!button) return;
    const QPointF centre = QRectF(button->rect()).center();
    const QPointF global = button->mapToGlobal(centre);
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, centre, global, Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(button, &event);
    }
}

// The form is filled afresh; what the operator changed is kept aside and put
// back once the new settings are in.
void UnsentEdits::missedData(const QString& id) {
    if (edits_.edited()) putBack_ = std::make_pair(id, edits_.held());
    edits_.stop();
    session_.refresh();
}

void UnsentEdits::filled(const QString& id, bool settings) {
    if (!settings || !putBack_ || putBack_->first != id || !panelHost_) return;
    const EditWatch::Held held = std::exchange(putBack_, std::nullopt)->second;
    EditWatch::putBack(panelHost_, held);
    if (const auto entry = session_.server(id))
        emit outcome(tr("The settings of %1 were fetched again after the outage; your changes "
                        "not sent are kept in the form.")
                         .arg(entry->name));
}

}  // namespace jexhost
