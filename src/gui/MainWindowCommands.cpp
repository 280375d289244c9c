// The main window's commands and the session list page.
#include "gui/MainWindow.h"
#include "gui/dialogs/ClientLibraryDialog.h"
#include "gui/dialogs/KillProcessDialog.h"
#include "gui/dialogs/ManualViewer.h"
#include "gui/dialogs/OptionsDialog.h"
#include "gui/dialogs/SendMessageDialog.h"
#include "gui/pages/DetailPages.h"
#include "gui/views/SessionListView.h"
#include "history/ActivitySampler.h"
#include "monitor/RememberedSettings.h"
#include "monitor/SessionControl.h"
#include "oradb/OraSession.h"
#include "oradb/oci/OciSession.h"
#include "util/MessengerSend.h"
#include "util/Version.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QShortcut>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>
#include <stdexcept>

namespace gui {

namespace {
QString qs(const std::string& s) {
    return QString::fromStdString(s);
}
} // namespace

void TFrmMain::onRefresh() {
    // Without a connection there is no query to run the refresh on.
    if (!monitor_.Connected())
        return;
    monitor_.Refresh();
}

void TFrmMain::onOptions() {
    monitor::TFrmOptions dialog(this);
    dialog.LoadFrom(monitor_);
    dialog.LoadHistory(activitySampler_->Options());
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The history's options first: they cannot fail, the display options' interval text can.
    activitySampler_->SetOptions(dialog.HistoryValues());
    history::SaveHistoryOptions(dialog.HistoryValues());
    monitor::ApplyOptions(monitor_, dialog.Values());
    monitor::SaveDisplayOptions(monitor_);
}

void TFrmMain::onKillSession(TSessionCommand command) {
    monitor::CollectSelectedSessions(monitor_, sessionListModel_, SelectedSessionRows());
    RunSessionCommand(command);
}

void TFrmMain::ShowKilledProcesses(const std::vector<monitor::TBasicFieldArray>& sessions) {
    std::vector<std::string> spids;
    for (const auto& s : sessions)
        spids.push_back(
            monitor::ServerProcessId(monitor_, s[monitor::bfSid], s[monitor::bfSerial]));
    TFrmKillProcess dialog(sessions, spids, this);
    dialog.exec();
}

void TFrmMain::onCancelSql() {
    monitor::CollectSelectedSessions(monitor_, sessionListModel_, SelectedSessionRows());
    RunSessionCommand(TSessionCommand::CancelSql);
}

void TFrmMain::RunSessionCommand(TSessionCommand command) {
    if (monitor_.SelectedSessions.empty())
        return;
    const bool kill = command != TSessionCommand::CancelSql;
    const monitor::TKillKind kind =
        command == TSessionCommand::KillImmediate         ? monitor::TKillKind::KillImmediate
        : command == TSessionCommand::DisconnectImmediate ? monitor::TKillKind::DisconnectImmediate
                                                          : monitor::TKillKind::Kill;
    if (!kill && !monitor::CanCancelSql(monitor_.InstanceVersion))
        throw std::runtime_error(monitor::CancelSqlUnavailableReason(monitor_.InstanceVersion));
    // The automatic refresh waits while the question is open, so that the list the user reads
    // stays as it is; it resumes afterwards whatever the answer or a failure.
    QTimer& refreshTimer = monitor_.RefreshTimer();
    const bool refreshing = refreshTimer.isActive();
    refreshTimer.stop();
    struct ResumeRefresh {
        QTimer& timer;
        bool resume;
        ~ResumeRefresh() {
            if (resume)
                timer.start();
        }
    } resumeRefresh{refreshTimer, refreshing};
    // A session marked KILLED that has not ended: no statement reaches it any more, only the end
    // of its server process.
    if (kill) {
        const auto killed = monitor::TakeKilledSessions(monitor_);
        if (!killed.empty())
            ShowKilledProcesses(killed);
        if (monitor_.SelectedSessions.empty())
            return;
    }
    auto confirm = [this, kill, kind] {
        QMessageBox box(QMessageBox::Question, QApplication::applicationDisplayName(),
                        qs(kill ? monitor::KillConfirmationText(monitor_.SelectedSessions, kind)
                                : monitor::CancelSqlConfirmationText(monitor_.SelectedSessions)),
                        QMessageBox::Yes | QMessageBox::No, this);
        box.setObjectName(kill ? QStringLiteral("killConfirmation")
                               : QStringLiteral("cancelSqlConfirmation"));
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes;
    };
    const bool done = kill ? monitor::KillSelectedSessions(monitor_, confirm, kind)
                           : monitor::CancelSqlOfSelectedSessions(monitor_, confirm);
    if (!done)
        return;
    // The sessions show their new state at once.
    monitor_.Refresh();
    QMessageBox::information(this, QApplication::applicationDisplayName(),
                             command == TSessionCommand::DisconnectImmediate
                                 ? QStringLiteral("Session has been disconnected")
                             : kill ? QStringLiteral("Session has been killed Successfully")
                                    : QStringLiteral("The running statement has been cancelled; "
                                                     "the session stays connected."));
}

void TFrmMain::onSendMessage() {
    util::TFrmSendMsg dialog(this);
    monitor::CollectSelectedSessions(monitor_, sessionListModel_, SelectedSessionRows());
    QStringList machines;
    for (const auto& s : monitor_.SelectedSessions) {
        const QString machine = qs(s[monitor::bfMachine]);
        if (!machine.isEmpty() && !machines.contains(machine, Qt::CaseInsensitive))
            machines << machine;
    }
    if (machines.isEmpty())
        return;
    dialog.SetMachines(machines);
    dialog.SetMessage(QString());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const std::string text = dialog.Message().toStdString();
    for (const QString& machine : dialog.Machines()) {
        // A domain prefix ("DOM\PC1") leaves the host name.
        const QString host = machine.mid(machine.lastIndexOf(QLatin1Char('\\')) + 1);
        util::SendMessageTo(host.toStdString(), "QBY", "Oracle Client", text);
    }
    // A datagram is never acknowledged: say what was done, not that it arrived.
    QMessageBox::information(
        this, QApplication::applicationDisplayName(),
        QStringLiteral("The message has been sent to %1. Delivery is not confirmed.")
            .arg(dialog.Machines().join(QStringLiteral(", "))));
}

void TFrmMain::onContents() {
    QFile manual(ManualPath);
    if (!manual.open(QIODevice::ReadOnly)) {
        QMessageBox::critical(this, QApplication::applicationDisplayName(),
                              QStringLiteral("The manual file %1 cannot be opened: %2.")
                                  .arg(QDir::toNativeSeparators(ManualPath), manual.errorString()));
        return;
    }
    manual.close();
    if (OpenWithDesktop && OpenWithDesktop(QUrl::fromLocalFile(ManualPath)))
        return;
    // No desktop handler for HTML files: the manual opens in a viewer of our own.
    if (!manualViewer_)
        manualViewer_ = new TManualViewer(this);
    manualViewer_->Show(ManualPath);
}

void TFrmMain::onOracleClient() {
    util::TFrmClientInfo dialog(this);
    dialog.SetOracleHomeIndex(monitor_.OracleHome);
    if (dialog.exec() == QDialog::Accepted)
        monitor_.OracleHome = dialog.OracleHomeIndex();
}

QString TFrmMain::ClientLibraryText() const {
    const oradb::TOraSession* session = monitor_.Session();
    if (session == nullptr || !session->Connected())
        return QStringLiteral("none (not connected)");
    std::shared_ptr<oradb::IDriverSession> driver;
    try {
        driver = session->driver();
    } catch (const std::exception&) {
        return QStringLiteral("none (not connected)");
    }
    if (dynamic_cast<const oradb::oci::OciSession*>(driver.get()) == nullptr)
        return QStringLiteral("embedded sandbox");
    try {
        const oradb::oci::TOciClientInfo info =
            oradb::oci::detectClient(monitor_.OracleHome, oradb::oci::TOciSearchPlaces::system());
        return QStringLiteral("%1, version %2")
            .arg(QDir::toNativeSeparators(QString::fromStdString(info.libraryPath)),
                 QString::fromStdString(info.version));
    } catch (const std::exception& e) {
        return QStringLiteral("Oracle client (%1)").arg(QString::fromStdString(e.what()));
    }
}

QString TFrmMain::AboutText() const {
    return QStringLiteral("<b>%1</b><p>A monitor for one Oracle database instance: its sessions, "
                          "their statistics, waits, SQL and locks, and the instance's parameters "
                          "and memory.</p>"
                          "<table>"
                          "<tr><td>Version:</td><td>%2</td></tr>"
                          "<tr><td>Qt:</td><td>%3</td></tr>"
                          "<tr><td>Client library:</td><td>%4</td></tr>"
                          "<tr><td>Licence:</td><td>GNU General Public License, version 3 or "
                          "later (GPL-3.0-or-later)</td></tr>"
                          "</table>"
                          "<p>Quenby is free software: you may share and change it under the "
                          "terms of that licence. It comes with no warranty.</p>")
        .arg(QString::fromLatin1(kApplicationTitle), QString::fromLatin1(util::kProgramVersion),
             QString::fromLatin1(qVersion()), ClientLibraryText().toHtmlEscaped());
}

void TFrmMain::onAbout() {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("About Quenby"), AboutText(),
                    QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("AboutBox"));
    box.setIconPixmap(windowIcon().pixmap(64, 64));
    box.exec();
}

void TFrmMain::ShowDetailPage(TPage page) {
    detailPages_->OpenDetailPage(page);
}

void TFrmMain::onWaitingObject() {
    QMessageBox::information(this, QApplication::applicationDisplayName(),
                             qs(monitor::WaitingObjectText(monitor_)));
}

// ---- the session list page ----

void TFrmMain::SessionListSelectionChanged(const QItemSelection& selected) {
    // The row most recently selected is the monitor's selected session.
    const QModelIndexList rows = selected.indexes();
    if (rows.isEmpty()) {
        if (SelectedSessionRows().empty()) {
            waitingObjectItem_->setVisible(false);
            waitingObjectSeparator_->setVisible(false);
        }
        return;
    }
    const int sourceRow = sessionList_->Filter().SourceRow(rows.last().row());
    if (sourceRow < 0)
        return;
    // "Waiting Object" is offered for a session that waits for a lock.
    const bool waits = sessionListModel_.Image(sourceRow) == monitor::kImageLockWait;
    waitingObjectItem_->setVisible(waits);
    waitingObjectSeparator_->setVisible(waits);
    const std::string sid = sessionListModel_.Caption(sourceRow);
    const std::string serial = sessionListModel_.Serial(sourceRow);
    if (sid == monitor_.SelectedSid && serial == monitor_.SelectedSerial())
        return;
    monitor_.SelectSession(sid, serial);
    if (!monitor_.Running(monitor::wkList))
        monitor_.RefreshShownView();
}

void TFrmMain::SessionListDoubleClicked() {
    if (!SelectedSessionRows().empty())
        ShowDetailPage(SessionDetailsPage);
}

void TFrmMain::SessionListContextMenu(const QPoint& pos) {
    if (SelectedSessionRows().empty())
        return;
    UpdateActions();
    sessionListMenu_->popup(sessionList_->viewport()->mapToGlobal(pos));
}

void TFrmMain::CreateSessionFilterBar(QWidget* page, QLayout* layout) {
    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(4, 4, 4, 2);
    sessionFilterEdit_ = new QLineEdit(page);
    sessionFilterEdit_->setObjectName(QStringLiteral("sessionFilterEdit"));
    sessionFilterEdit_->setPlaceholderText(
        QStringLiteral("Filter by SID, user, machine, program, SQL id... (Ctrl+F)"));
    sessionFilterEdit_->setToolTip(
        QStringLiteral("Shows the sessions whose SID, user, schema, OS user, machine, program, "
                       "module, status or SQL id contains the text (Esc clears it)"));
    sessionFilterEdit_->setClearButtonEnabled(true);
    activeOnlyCheck_ = new QCheckBox(QStringLiteral("Active only"), page);
    activeOnlyCheck_->setObjectName(QStringLiteral("activeOnlyCheck"));
    userOnlyCheck_ = new QCheckBox(QStringLiteral("User sessions only"), page);
    userOnlyCheck_->setObjectName(QStringLiteral("userSessionsOnlyCheck"));
    bar->addWidget(sessionFilterEdit_, 1);
    bar->addWidget(activeOnlyCheck_);
    bar->addWidget(userOnlyCheck_);
    if (auto* box = qobject_cast<QBoxLayout*>(layout))
        box->addLayout(bar);

    monitor::TSessionFilterModel& filter = sessionList_->Filter();
    connect(sessionFilterEdit_, &QLineEdit::textChanged, this,
            [&filter](const QString& text) { filter.SetText(text); });
    connect(activeOnlyCheck_, &QCheckBox::toggled, this,
            [&filter](bool on) { filter.SetActiveOnly(on); });
    connect(userOnlyCheck_, &QCheckBox::toggled, this,
            [&filter](bool on) { filter.SetUserOnly(on); });
    connect(&filter, &monitor::TSessionFilterModel::filterChanged, this,
            [this] { SessionFilterChanged(); });

    // Ctrl+F goes to the filter from anywhere in the window; Esc in it clears it.
    auto* find = new QShortcut(QKeySequence::Find, this);
    find->setContext(Qt::WindowShortcut);
    connect(find, &QShortcut::activated, this, [this] {
        if (!monitor_.Connected())
            return;
        pageTabs_->setCurrentIndex(SessionListPage);
        sessionFilterEdit_->setFocus(Qt::ShortcutFocusReason);
        sessionFilterEdit_->selectAll();
    });
    auto* clear = new QShortcut(QKeySequence(Qt::Key_Escape), sessionFilterEdit_);
    clear->setContext(Qt::WidgetShortcut);
    connect(clear, &QShortcut::activated, sessionFilterEdit_, &QLineEdit::clear);
}

void TFrmMain::SessionFilterChanged() {
    if (monitor_.Connected())
        SetStatusPanel(2, sessionList_->Filter().CountText());
    // The selected session stays selected while it still matches.
    if (monitor_.SelectedIndex < 0)
        return;
    const int row = sessionListModel_.RowOfSession(monitor_.SelectedSid, monitor_.SelectedSerial());
    if (row >= 0 && sessionList_->SelectedRows().empty())
        sessionList_->SelectRow(row);
}

void TFrmMain::SessionListColumnClicked(int column) {
    SortAscending = !SortAscending;
    SortColumn = column;
    // The view sorts by the column's own order (SID and the statistic as numbers, Logon_time as
    // date-times, the rest as text) and keeps sorting so through refreshes.
    sessionList_->SortBy(column, SortAscending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

} // namespace gui
