#include "host/console/sync_bar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace jexhost {

SyncBar::SyncBar(QWidget* parent)
    : QFrame(parent),
      text_(new QLabel),
      fetchTheirs_(new QPushButton(tr("Fetch theirs"))),
      keepMine_(new QPushButton(tr("Keep mine"))) {
    setObjectName(QStringLiteral("syncBar"));
    setFrameShape(QFrame::StyledPanel);
    setStyleSheet(QStringLiteral("#syncBar { background: #fff4ce; }"));
    text_->setObjectName(QStringLiteral("syncText"));
    text_->setWordWrap(true);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    text_->setTextFormat(Qt::PlainText);
    fetchTheirs_->setObjectName(QStringLiteral("fetchTheirs"));
    fetchTheirs_->setToolTip(
        tr("Take their values for these settings and store the rest of your update"));
    keepMine_->setObjectName(QStringLiteral("keepMine"));
    keepMine_->setToolTip(tr("Store your update with your values for these settings too"));
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(fetchTheirs_);
    buttons->addWidget(keepMine_);
    buttons->addStretch();
    // A long list of conflicts scrolls rather than push the panel down.
    auto* scroll = new QScrollArea;
    scroll->setWidget(text_);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setMaximumHeight(150);
    scroll->setStyleSheet(QStringLiteral("background: transparent;"));
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(scroll, 1);
    layout->addLayout(buttons);
    hide();
}

void SyncBar::showNotice(const QString& text) {
    text_->setText(text);
    fetchTheirs_->hide();
    keepMine_->hide();
    show();
}

void SyncBar::showConflict(const QString& text) {
    text_->setText(text);
    setBusy(false);
    fetchTheirs_->show();
    keepMine_->show();
    show();
}

void SyncBar::setBusy(bool busy) {
    fetchTheirs_->setEnabled(!busy);
    keepMine_->setEnabled(!busy);
}

}  // namespace jexhost
