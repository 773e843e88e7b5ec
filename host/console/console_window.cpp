#include "host/console/console_window.h"

#include <QCloseEvent>
#include <QDockWidget>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>

#include "host/changes/merge_review.h"
#include "host/changes_ui/review_dialog.h"
#include "host/console/concurrent_edits.h"
#include "host/console/keyboard_order.h"
#include "host/console/link_note.h"
#include "host/console/sync_bar.h"
#include "host/console/unsent_edits.h"
#include "host/games/game_states.h"
#include "host/games/apply_watch.h"
#include "host/games_ui/console_dock.h"
#include "host/games_ui/game_column.h"
#include "host/games_ui/game_controls.h"
#include "host/games_ui/players_dock.h"
#include "host/games_ui/restart_note.h"
#include "host/history_ui/history_dialog.h"
#include "host/host_options.h"
#include "host/host_session.h"
#include "host/relay/link_history_source.h"
#include "host/relay/link_pool.h"
#include "host/relay/request_router.h"
#include "host/servers/server_list_model.h"
#include "host/servers/servers_file.h"
#include "host/servers_ui/server_list_panel.h"
#include "host/traffic/traffic_model.h"
#include "host/traffic_ui/traffic_dock.h"

namespace jexhost {

namespace {

// The panel's own size; it is laid out for this area.
const QSize kPanelSize(760, 430);
// The smallest window: a laptop's 1024x768 or 1280x720 screen holds it with
// room for its frame; the panel area scrolls when it is smaller than the form.
const QSize kMinimumWindow(800, 520);
// The narrowest server list: beside the whole panel on a 1024 wide screen;
// its columns keep their width and the list scrolls.
constexpr int kNarrowList = 230;
// The first start's size, on a screen that has room for it.
const QSize kFirstWindow(1360, 940);
const QString kGeometryKey = QStringLiteral("window/geometry");
const QString kStateKey = QStringLiteral("window/state");
const QString kLastServerKey = QStringLiteral("window/lastServer");
const QString kReviewUpdatesKey = QStringLiteral("console/reviewUpdates");

}  // namespace

ConsoleWindow::ConsoleWindow(HostSession& session, QSettings& settings, QWidget* parent)
    : QMainWindow(parent),
      session_(session),
      settings_(settings),
      panelHost_(new QWidget),
      panelArea_(new QStackedWidget),
      statePage_(new QWidget),
      stateText_(new QLabel),
      stateRetry_(new QPushButton(tr("Retry"))),
      syncBar_(new SyncBar),
      serverList_(new servers::ServerListPanel(session.servers(), session.serversFile())),
      trafficDock_(new traffic::TrafficDock(session.traffic(), this)),
      openLabel_(new QLabel) {
    setWindowTitle(QStringLiteral("jexhost"));
    // The games of the listed servers follow the list, over the links the
    // session keeps open.
    gameStates_ = new games::GameStates(*session_.links(), this);
    const auto followList = [this] {
        gameStates_->setServers(session_.servers()->servers(), session_.serversFile());
    };
    connect(session_.servers(), &QAbstractItemModel::modelReset, gameStates_, followList);
    followList();
    new games_ui::GameColumn(*gameStates_, *session_.servers(), this);
    gameControls_ = new games_ui::GameControls(session_, serverList_, *gameStates_, this);
    connect(new games::ApplyWatch(session_, *gameStates_, this), &games::ApplyWatch::notice, this,
            &ConsoleWindow::showOutcome);

    panelHost_->setObjectName(QStringLiteral("panelHost"));
    panelHost_->setFixedSize(kPanelSize);
    openLabel_->setObjectName(QStringLiteral("heading"));
    stateText_->setObjectName(QStringLiteral("serverState"));
    stateText_->setWordWrap(true);
    stateText_->setAlignment(Qt::AlignCenter);
    stateText_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    stateRetry_->setObjectName(QStringLiteral("stateRetry"));
    auto* stateLayout = new QVBoxLayout(statePage_);
    stateLayout->addStretch();
    stateLayout->addWidget(stateText_);
    stateLayout->addWidget(stateRetry_, 0, Qt::AlignHCenter);
    stateLayout->addStretch();
    panelArea_->setObjectName(QStringLiteral("panelArea"));
    panelArea_->addWidget(statePage_);
    panelArea_->addWidget(panelHost_);
    panelArea_->setFixedSize(kPanelSize);
    auto* centre = new QWidget;
    auto* layout = new QVBoxLayout(centre);
    layout->addWidget(openLabel_);
    syncBar_->setFixedWidth(kPanelSize.width());
    layout->addWidget(syncBar_, 0, Qt::AlignHCenter);
    auto* linkLine = new QLabel;
    linkLine->setFixedWidth(kPanelSize.width());
    layout->addWidget(linkLine, 0, Qt::AlignHCenter);
    connect(new LinkNote(session_, linkLine, panelHost_, this), &LinkNote::outcome, this,
            &ConsoleWindow::showOutcome);
    auto* restartNote = new games_ui::RestartNote(session_, *gameStates_, *gameControls_);
    restartNote->setFixedWidth(kPanelSize.width());
    layout->addWidget(restartNote, 0, Qt::AlignHCenter);
    layout->addWidget(panelArea_, 0, Qt::AlignHCenter | Qt::AlignTop);
    layout->addStretch();
    // The panel keeps its own size; a smaller window scrolls it.
    auto* scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("panelScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(centre);
    setCentralWidget(scroll);
    connect(stateRetry_, &QPushButton::clicked, this, [this] {
        if (!session_.openId().isEmpty()) session_.retry(session_.openId());
    });
    connect(&session_, &HostSession::panelStateChanged, this, &ConsoleWindow::showPanelState);
    concurrent_ = new ConcurrentEdits(session_, edits_, *syncBar_, this);
    connect(concurrent_, &ConcurrentEdits::outcome, this, &ConsoleWindow::showOutcome);
    connect(&session_, &HostSession::answerApplied, this, [this](const QString&, bool settings) {
        if (!settings) return;
        edits_.filled(panelHost_);
        concurrent_->filled();
    });
    connect(&session_, &HostSession::updateStored, this, [this] {
        edits_.settled();
        concurrent_->stored();
    });
    // After the fill: it puts the changes kept through an outage back.
    unsent_ = new UnsentEdits(session_, edits_, this, panelHost_);
    connect(unsent_, &UnsentEdits::outcome, this, &ConsoleWindow::showOutcome);
    showPanelState();

    serverList_->setKnownGames(session.catalogue().games());
    serverList_->setEmbeddedProfiles(session.embeddedProfiles());
    auto* serverDock = new QDockWidget(tr("Servers"), this);
    serverDock->setObjectName(QStringLiteral("serverDock"));
    serverDock->setWidget(serverList_);
    addDockWidget(Qt::LeftDockWidgetArea, serverDock);
    addDockWidget(Qt::BottomDockWidgetArea, trafficDock_);
    consoleDock_ = new games_ui::ConsoleDock(session_, serverList_, *gameStates_, this);
    addDockWidget(Qt::BottomDockWidgetArea, consoleDock_);
    // A tab beside the traffic view: both need the window's whole width.
    tabifyDockWidget(trafficDock_, consoleDock_);
    playersDock_ = new games_ui::PlayersDock(session_, serverList_, this);
    addDockWidget(Qt::BottomDockWidgetArea, playersDock_);
    tabifyDockWidget(consoleDock_, playersDock_);
    trafficDock_->raise();
    serverList_->view()->setMinimumWidth(kNarrowList);

    connect(serverList_, &servers::ServerListPanel::openRequested, this,
            &ConsoleWindow::openServer);
    // Edit... and Remove of the open server first settle its unsent changes.
    serverList_->setChangeGuard(
        [this](const QString& id) { return id != session_.openId() || settleEdits(); });
    connect(serverList_, &servers::ServerListPanel::serverChanged, this, [this](const QString& id) {
        const bool wasOpen = id == session_.openId();
        session_.serversEdited(id);
        if (wasOpen) openServer(id);  // under its new heading, with its new link
    });
    connect(serverList_, &servers::ServerListPanel::serverRemoved, this,
            [this](const QString& id) { session_.serversEdited(id); });
    connect(serverList_, &servers::ServerListPanel::notice, this, &ConsoleWindow::showOutcome);
    connect(&session_, &HostSession::panelOpened, this, [this](const QString& id) {
        if (const auto entry = session_.server(id)) settings_.setValue(kLastServerKey, entry->name);
    });
    connect(&session_, &HostSession::openFailed, this,
            [this](const QString&, const QString& why) { showOutcome(why); });

    buildMenus();
    setReviewUpdates(settings_.value(kReviewUpdatesKey, false).toBool());
    new KeyboardOrder(
        this, {serverList_->view(), serverList_->filterBox(), panelArea_, trafficDock_->table()});
    // The first start: room for the panel, a dozen traffic rows and a server
    // list whose game and remote stay legible beside a Changed mark, as far
    // as the screen has room; the panel comes first.
    setMinimumSize(kMinimumWindow);
    const QSize first =
        screen() ? kFirstWindow.boundedTo(screen()->availableGeometry().size()) : kFirstWindow;
    resize(first);
    resizeDocks({trafficDock_}, {qBound(120, first.height() - 640, 300)}, Qt::Vertical);
    resizeDocks({findChild<QDockWidget*>(QStringLiteral("serverDock"))},
                {qBound(kNarrowList, first.width() - 800, 570)}, Qt::Horizontal);
    restoreGeometry(settings_.value(kGeometryKey).toByteArray());
    restoreState(settings_.value(kStateKey).toByteArray());
}

// The session outlives the window: it stops asking it to review updates.
ConsoleWindow::~ConsoleWindow() {
    if (RequestRouter* router = session_.router()) router->setUpdateReview({});
}

void ConsoleWindow::openServer(const QString& id) {
    if (!settleEdits()) {
        serverList_->selectServer(session_.openId());  // the list keeps showing what is open
        return;
    }
    edits_.stop();
    serverList_->selectServer(id);
    PanelPlace place;
    place.handle = static_cast<qint64>(panelHost_->winId());
    place.pixels = panelHost_->size();
    place.dpiX = panelHost_->logicalDpiX();
    place.dpiY = panelHost_->logicalDpiY();
    session_.openServer(id, place);
}

QString ConsoleWindow::startServer(const QString& name, bool remembered) const {
    const auto list = session_.servers()->servers();
    const QString wanted =
        name.isEmpty() && remembered ? settings_.value(kLastServerKey).toString() : name;
    for (const auto& entry : list)
        if (entry.name == wanted) return entry.id;
    return list.isEmpty() ? QString() : list.first().id;
}

void ConsoleWindow::openSelected() {
    const QString id = serverList_->currentId();
    if (id.isEmpty()) return showOutcome(tr("Select a server first."));
    openServer(id);
}

void ConsoleWindow::refresh() {
    if (session_.openId().isEmpty()) return openSelected();
    if (!settleEdits()) return;
    edits_.stop();
    session_.refresh();
}

bool ConsoleWindow::settleEdits() {
    return unsent_->settle();
}

void ConsoleWindow::showPanelState() {
    const auto entry = session_.server(session_.openId());
    if (entry)
        openLabel_->setText(tr("%1 - %2 (profile %3 on %4)")
                                .arg(entry->name, entry->game)
                                .arg(entry->profile)
                                .arg(entry->remote));
    else
        openLabel_->clear();
    const PanelState state = session_.panelState();
    if (state == PanelState::Shown) return panelArea_->setCurrentWidget(panelHost_);
    stateText_->setText(entry ? session_.panelStateText() : tr("Open a server from the list."));
    stateRetry_->setVisible(entry && panelStateOffersRetry(state));
    panelArea_->setCurrentWidget(statePage_);
}

void ConsoleWindow::retrySelected() {
    const QString id = serverList_->currentId();
    if (id.isEmpty()) return showOutcome(tr("Select a server first."));
    session_.retry(id);
}

history::HistoryDialog* ConsoleWindow::showHistory() {
    const auto entry = session_.server(serverList_->currentId());
    if (!entry) {
        showOutcome(tr("Select a server first."));
        return nullptr;
    }
    auto* source = new LinkHistorySource(*session_.links(), entry->remote,
                                         servers::tokenFilePath(*entry, session_.serversFile()));
    source->setTag(entry->tag);
    source->setTraffic(session_.traffic(), entry->name);
    auto* dialog = new history::HistoryDialog(source, entry->profile, entry->name, this);
    source->setParent(dialog);
    connect(dialog, &history::HistoryDialog::settingPutBack, this,
            [this, id = entry->id, name = entry->name](int, const QString& what) {
                showOutcome(tr("%1: %2 is stored.").arg(name, what));
                storedElsewhere({id});
            });
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // A revert changed the settings behind the open panel: it fetches them again.
    connect(dialog, &history::HistoryDialog::reverted, this,
            [this, id = entry->id, name = entry->name](int, qint64 version) {
                showOutcome(
                    tr("%1: the settings of version %2 are stored again.").arg(name).arg(version));
                if (session_.openId() != id) return;
                edits_.stop();  // the form is filled again with what is stored now
                session_.refresh();
            });
    dialog->open();
    return dialog;
}

void ConsoleWindow::setReviewUpdates(bool on) {
    if (reviewUpdates_->isChecked() != on) return reviewUpdates_->setChecked(on);
    settings_.setValue(kReviewUpdatesKey, on);
    session_.router()->setUpdateReview(
        on ? [this](
                 const servers::ServerEntry& server, const QString& body,
                 const QString& currentReply) { return reviewUpdate(server, body, currentReply); }
           : RequestRouter::UpdateReview());
}

// The update against what was fetched, merged with what the server holds
// now (or with the fetch itself, when the server could not be asked).
bool ConsoleWindow::reviewUpdate(const servers::ServerEntry& server, const QString& body,
                                 const QString& currentReply) {
    const servers::ServerLedger& ledger = session_.ledger();
    const changes::Snapshot fetched = ledger.lastSeen(server.id);
    changes::Snapshot current = changes::snapshotOfReply(currentReply);
    changes::OthersSince others{ledger.noticesSinceHanded(server.id), false};
    if (current.fault()) {
        current = fetched;
        others.unchecked = true;
    }
    return changes::reviewUpdate(
        this,
        changes::reviewMerge(fetched, current, changes::snapshotOfUpdate(body, fetched), others));
}

void ConsoleWindow::storedElsewhere(const QStringList& ids) {
    if (!ids.contains(session_.openId())) return;
    if (edits_.edited())
        return showOutcome(
            tr("The open server's settings changed on its remote side; your "
               "changes are not sent yet. Refresh shows what is stored."));
    edits_.stop();  // the form is filled again with what is stored now
    session_.refresh();
}

void ConsoleWindow::showOutcome(const QString& text) {
    statusBar()->showMessage(text, 10000);
}

// An update chosen in the question goes first; the window closes once it is
// stored, and stays with the changes when it is not.
void ConsoleWindow::closeEvent(QCloseEvent* event) {
    if (!unsent_->settle(true)) return event->ignore();
    settings_.setValue(kGeometryKey, saveGeometry());
    settings_.setValue(kStateKey, saveState());
    settings_.sync();
    QMainWindow::closeEvent(event);
}

}  // namespace jexhost
