#include "gui/pages/CapturePage.h"

#include "gui/MainWindow.h"
#include "gui/dialogs/AddSqlCollectorDialog.h"
#include "gui/dialogs/ServerComponentDialog.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace gui {

TCapturePage::TCapturePage(TFrmMain& main, QWidget* page)
    : QObject(&main), main_(main), capture_(main.Monitor()) {
    auto make = [this](const char* name, const char* text) {
        auto* a = new QAction(QString::fromLatin1(text), this);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    AcAddCaptureSql = make("AcAddCaptureSql", "&Add");
    AcModifyCaptureSql = make("AcModifyCaptureSql", "&Modify");
    AcDeleteCaptureSql = make("AcDeleteCaptureSql", "&Delete");
    AcEnableCaptureSql = make("AcEnableCaptureSql", capture::TCaptureSql::kEnableCaption);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* tools = new QHBoxLayout;
    auto button = [&](QAction* action, const char* name) {
        auto* b = new QPushButton(action->text(), page);
        b->setObjectName(QString::fromLatin1(name));
        connect(b, &QPushButton::clicked, action, &QAction::trigger);
        connect(action, &QAction::changed, b, [b, action] {
            b->setEnabled(action->isEnabled());
            b->setText(action->text());
        });
        tools->addWidget(b);
        return b;
    };
    button(AcAddCaptureSql, "BtnAddCapturesql");
    button(AcModifyCaptureSql, "BtnModifyCapturesql");
    button(AcDeleteCaptureSql, "BtnDeleteCapturesql");
    BtnEnableCapturesql = button(AcEnableCaptureSql, "BtnEnableCapturesql");
    tools->addStretch();
    layout->addLayout(tools);

    lvsqlcollector = new QTreeView(page);
    lvsqlcollector->setObjectName(QStringLiteral("lvsqlcollector"));
    lvsqlcollector->setRootIsDecorated(false);
    lvsqlcollector->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvsqlcollector->setSelectionMode(QAbstractItemView::SingleSelection);
    lvsqlcollector->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvsqlcollector->setModel(&capture_.Rows());
    for (int c = 0; c < capture::TSqlCollectorListModel::colCount; ++c)
        if (capture::TSqlCollectorListModel::ColumnWidth(c) > 0)
            lvsqlcollector->setColumnWidth(c, capture::TSqlCollectorListModel::ColumnWidth(c));
    layout->addWidget(lvsqlcollector);

    capture_.ShowWarning = [this](const std::string& text) {
        QMessageBox::warning(&main_, QApplication::applicationDisplayName(),
                             QString::fromStdString(text), QMessageBox::Ok);
    };
    capture_.ShowMessage = [this](const std::string& text) {
        QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(),
                        QString::fromStdString(text), QMessageBox::Ok, &main_);
        box.exec();
    };
    connect(&capture_, &capture::TCaptureSql::captureToggled, this, [this](bool enabled) {
        AcEnableCaptureSql->setText(
            QString::fromLatin1(enabled ? capture::TCaptureSql::kDisableCaption
                                        : capture::TCaptureSql::kEnableCaption));
    });

    auto guarded = [this](QAction* action, void (TCapturePage::*command)()) {
        connect(action, &QAction::triggered, this, [this, command] {
            try {
                (this->*command)();
            } catch (const std::exception& e) {
                QMessageBox::critical(&main_, QApplication::applicationDisplayName(),
                                      QString::fromUtf8(e.what()));
            }
            main_.UpdateActions();
        });
    };
    guarded(AcAddCaptureSql, &TCapturePage::AcAddCaptureSqlExecute);
    guarded(AcModifyCaptureSql, &TCapturePage::AcModifyCaptureSqlExecute);
    guarded(AcDeleteCaptureSql, &TCapturePage::AcDeleteCaptureSqlExecute);
    guarded(AcEnableCaptureSql, &TCapturePage::AcEnableCaptureSqlExecute);
    guarded(main.captureSqlAction, &TCapturePage::AcCapturesqlExecute);
    guarded(main.serverComponentAction, &TCapturePage::AcServersideCaptureSqlExecute);
    connect(lvsqlcollector, &QAbstractItemView::doubleClicked, this,
            [this] { AcModifyCaptureSql->trigger(); });
}

TCapturePage::~TCapturePage() {
    capture_.Stop();
}

capture::TFrmAddSqlcollector& TCapturePage::AddDialog() {
    if (!addDialog_)
        addDialog_ = std::make_unique<capture::TFrmAddSqlcollector>(&main_);
    return *addDialog_;
}

capture::TFrmServersidesetup& TCapturePage::ServerDialog() {
    if (!serverDialog_)
        serverDialog_ = std::make_unique<capture::TFrmServersidesetup>(&main_);
    return *serverDialog_;
}

void TCapturePage::BeforeLogin() {
    capture_.NewList();
}

void TCapturePage::AfterLogin() {
    capture_.LoadCollectors();
}

bool TCapturePage::CanClose() {
    return capture_.CanClose();
}

void TCapturePage::Stop() {
    capture_.Stop();
}

int TCapturePage::SelectedRow() const {
    const QModelIndexList rows = lvsqlcollector->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void TCapturePage::UpdateActions(bool connected) {
    const bool add = capture_.Present && connected;
    main_.captureSqlAction->setEnabled(add);
    main_.serverComponentAction->setEnabled(connected);
    AcAddCaptureSql->setEnabled(add);
    AcModifyCaptureSql->setEnabled(add && SelectedRow() >= 0);
    AcDeleteCaptureSql->setEnabled(add && SelectedRow() >= 0);
    AcEnableCaptureSql->setEnabled(capture_.Present && capture_.Rows().rowCount() > 0);
}

void TCapturePage::AcCapturesqlExecute() {
    capture_.RebuildRows();
    main_.ShowPage(CaptureSqlPage);
}

void TCapturePage::AcServersideCaptureSqlExecute() {
    ServerDialog().Execute(main_.Monitor().Session(), capture_.Present);
}

void TCapturePage::AcAddCaptureSqlExecute() {
    capture::TFrmAddSqlcollector& dialog = AddDialog();
    dialog.PrepareAdd(main_.Monitor().Session());
    if (dialog.exec() != QDialog::Accepted)
        return;
    capture_.AddCollector(dialog.Definition());
}

void TCapturePage::AcModifyCaptureSqlExecute() {
    const int row = SelectedRow();
    if (row < 0)
        return;
    capture::TFrmAddSqlcollector& dialog = AddDialog();
    dialog.PrepareModify(main_.Monitor().Session(), *capture_.Rows().Collector(row));
    if (dialog.exec() != QDialog::Accepted)
        return;
    capture_.ModifyCollector(row, dialog.Definition());
}

void TCapturePage::AcDeleteCaptureSqlExecute() {
    const int row = SelectedRow();
    if (row >= 0)
        capture_.DeleteCollector(row);
}

void TCapturePage::AcEnableCaptureSqlExecute() {
    capture_.ToggleCapture();
}

} // namespace gui
