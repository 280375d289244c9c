#include "gui/pages/CapturePage.h"

#include "gui/MainWindow.h"
#include "gui/dialogs/AddSqlCollectorDialog.h"
#include "gui/dialogs/ServerComponentDialog.h"
#include "gui/views/ListHeaderKeeper.h"

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
    addCollectorAction = make("AcAddCaptureSql", "&Add");
    modifyCollectorAction = make("AcModifyCaptureSql", "&Modify");
    deleteCollectorAction = make("AcDeleteCaptureSql", "&Delete");
    enableCaptureAction = make("AcEnableCaptureSql", capture::TCaptureSql::kEnableCaption);

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
    button(addCollectorAction, "addCollectorButton");
    button(modifyCollectorAction, "modifyCollectorButton");
    button(deleteCollectorAction, "deleteCollectorButton");
    enableCaptureButton = button(enableCaptureAction, "enableCaptureButton");
    tools->addStretch();
    layout->addLayout(tools);

    collectorList = new QTreeView(page);
    collectorList->setObjectName(QStringLiteral("collectorList"));
    collectorList->setRootIsDecorated(false);
    collectorList->setAlternatingRowColors(true);
    collectorList->setSelectionBehavior(QAbstractItemView::SelectRows);
    collectorList->setSelectionMode(QAbstractItemView::SingleSelection);
    collectorList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    collectorList->setModel(&capture_.Rows());
    for (int c = 0; c < capture::TSqlCollectorListModel::colCount; ++c)
        if (capture::TSqlCollectorListModel::ColumnWidth(c) > 0)
            collectorList->setColumnWidth(c, capture::TSqlCollectorListModel::ColumnWidth(c));
    new TListHeaderKeeper(*collectorList, collectorList->objectName());
    layout->addWidget(collectorList);

    capture_.ShowWarning = [this](const std::string& text) {
        QMessageBox::warning(&main_, QApplication::applicationDisplayName(),
                             QString::fromStdString(text), QMessageBox::Ok);
    };
    capture_.Confirm = [this](const std::string& text) {
        QMessageBox box(QMessageBox::Question, QApplication::applicationDisplayName(),
                        QString::fromStdString(text), QMessageBox::Yes | QMessageBox::No, &main_);
        box.setObjectName(QStringLiteral("exitConfirmation"));
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes;
    };
    capture_.ShowMessage = [this](const std::string& text) {
        QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(),
                        QString::fromStdString(text), QMessageBox::Ok, &main_);
        box.exec();
    };
    connect(&capture_, &capture::TCaptureSql::captureToggled, this, [this](bool enabled) {
        enableCaptureAction->setText(
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
    guarded(addCollectorAction, &TCapturePage::onAddCollector);
    guarded(modifyCollectorAction, &TCapturePage::onModifyCollector);
    guarded(deleteCollectorAction, &TCapturePage::onDeleteCollector);
    guarded(enableCaptureAction, &TCapturePage::onToggleCapture);
    guarded(main.captureSqlAction, &TCapturePage::onCaptureSql);
    guarded(main.serverComponentAction, &TCapturePage::onServerComponent);
    connect(collectorList, &QAbstractItemView::doubleClicked, this,
            [this] { modifyCollectorAction->trigger(); });
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
    const QModelIndexList rows = collectorList->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void TCapturePage::UpdateActions(bool connected) {
    const bool add = capture_.Present && connected;
    main_.captureSqlAction->setEnabled(add);
    main_.serverComponentAction->setEnabled(connected);
    addCollectorAction->setEnabled(add);
    modifyCollectorAction->setEnabled(add && SelectedRow() >= 0);
    deleteCollectorAction->setEnabled(add && SelectedRow() >= 0);
    enableCaptureAction->setEnabled(capture_.Present && capture_.Rows().rowCount() > 0);
}

void TCapturePage::onCaptureSql() {
    capture_.RebuildRows();
    main_.ShowPage(CaptureSqlPage);
}

void TCapturePage::onServerComponent() {
    ServerDialog().Execute(main_.Monitor().Session(), capture_.Present);
}

void TCapturePage::onAddCollector() {
    capture::TFrmAddSqlcollector& dialog = AddDialog();
    dialog.PrepareAdd(main_.Monitor().Session());
    dialog.TakenNames = capture_.OtherNames();
    if (dialog.exec() != QDialog::Accepted)
        return;
    capture_.AddCollector(dialog.Definition());
}

void TCapturePage::onModifyCollector() {
    const int row = SelectedRow();
    if (row < 0)
        return;
    capture::TFrmAddSqlcollector& dialog = AddDialog();
    dialog.PrepareModify(main_.Monitor().Session(), *capture_.Rows().Collector(row));
    dialog.TakenNames = capture_.OtherNames(row);
    if (dialog.exec() != QDialog::Accepted)
        return;
    capture_.ModifyCollector(row, dialog.Definition());
}

void TCapturePage::onDeleteCollector() {
    const int row = SelectedRow();
    if (row >= 0)
        capture_.DeleteCollector(row);
}

void TCapturePage::onToggleCapture() {
    capture_.ToggleCapture();
}

} // namespace gui
