#include "gui/pages/SqlPage.h"

#include "gui/ReadableColour.h"
#include "gui/views/ListHeaderKeeper.h"
#include "monitor/RememberedSettings.h"
#include "util/DateTimeText.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QSplitter>
#include <QTextCursor>
#include <QTextEdit>
#include <QTreeView>
#include <QVBoxLayout>

namespace gui {

using namespace sqllocks;

TSqlPage::TSqlPage(monitor::TPvConnection& monitor, QWidget* parent)
    : QWidget(parent), monitor_(monitor) {
    observer_ = std::make_shared<detail::TSessSqlObserver>(monitor_, cursorModel_, textModel_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(MakeDetailHeader(
        this, usernameValue_, machineValue_, programValue_, QStringLiteral("sqlUsernameValue"),
        QStringLiteral("sqlMachineValue"), QStringLiteral("sqlProgramValue")));
    auto* splitter = new QSplitter(Qt::Vertical, this);
    layout->addWidget(splitter, 1);

    openCursorsList_ = new QTreeView(splitter);
    openCursorsList_->setObjectName(QStringLiteral("lvAllsql"));
    openCursorsList_->setRootIsDecorated(false);
    openCursorsList_->setAlternatingRowColors(true);
    openCursorsList_->setUniformRowHeights(true);
    openCursorsList_->setSortingEnabled(false);
    openCursorsList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    openCursorsList_->setSelectionBehavior(QAbstractItemView::SelectRows);
    openCursorsList_->setContextMenuPolicy(Qt::CustomContextMenu);
    openCursorsList_->setModel(&cursorModel_);
    openCursorsList_->header()->setSectionsClickable(false);
    ApplyListColumnWidths(openCursorsList_);
    new TListHeaderKeeper(*openCursorsList_, openCursorsList_->objectName());
    connect(openCursorsList_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected) {
                QList<int> rows;
                for (const QModelIndex& i : selected.indexes())
                    if (i.column() == 0)
                        rows << i.row();
                CursorsSelected(rows);
            });

    statementEdit_ = new QTextEdit(splitter);
    statementEdit_->setObjectName(QStringLiteral("statementEdit"));
    statementEdit_->setReadOnly(true);
    statementEdit_->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                            Qt::TextSelectableByKeyboard);
    statementEdit_->setLineWrapMode(QTextEdit::WidgetWidth);
    connect(&textModel_, &detail::TSqlTextModel::changed, statementEdit_, [this] { ShowText(); });
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 1);

    saveAction_ = new QAction(QStringLiteral("Export to File"), this);
    saveAction_->setObjectName(QStringLiteral("AcSaveSql"));
    connect(saveAction_, &QAction::triggered, this, [this] { onSaveSql(); });
    exportMenu_ = new QMenu(this);
    exportMenu_->setObjectName(QStringLiteral("exportMenu"));
    QAction* item = exportMenu_->addAction(saveAction_->text());
    item->setObjectName(QStringLiteral("PMISaveSql"));
    connect(item, &QAction::triggered, saveAction_, &QAction::trigger);
    connect(saveAction_, &QAction::changed, item,
            [item, this] { item->setVisible(saveAction_->isVisible()); });
    connect(exportMenu_, &QMenu::aboutToShow, this, [this] { updateSaveAction(); });
    connect(openCursorsList_, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
        updateSaveAction();
        exportMenu_->popup(openCursorsList_->viewport()->mapToGlobal(p));
    });
    updateSaveAction();
}

void TSqlPage::showEvent(QShowEvent* event) {
    FillHeader();
    QWidget::showEvent(event);
}

void TSqlPage::FillHeader() {
    FillDetailHeader(monitor_, usernameValue_, machineValue_, programValue_);
}

void TSqlPage::updateSaveAction() {
    saveAction_->setVisible(cursorModel_.rowCount() >= 1);
}

std::vector<int> TSqlPage::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& i : openCursorsList_->selectionModel()->selectedRows())
        rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TSqlPage::CursorsSelected(const QList<int>& rows) {
    for (const int row : rows) {
        observer_->SelectTime = util::now();
        observer_->SwitchStatement(row);
    }
}

bool TSqlPage::SaveSelectedTo(const QString& fileName) {
    std::string why;
    if (observer_->SaveStatements(fileName.toStdString(), SelectedRows(), &why))
        return true;
    QMessageBox::critical(
        this, QApplication::applicationDisplayName(),
        QStringLiteral("The SQL statements could not be saved to %1: %2.")
            .arg(QDir::toNativeSeparators(fileName), QString::fromStdString(why)));
    return false;
}

void TSqlPage::onSaveSql() {
    // Starts where the last export went (under the user's home before the first one), never in
    // the program's folder.
    QFileDialog dialog(this, QString(), monitor::LastExportFolder());
    dialog.setObjectName(QStringLiteral("saveSqlDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("Text files (*.txt)"));
    dialog.setDefaultSuffix(QStringLiteral("log"));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString file = dialog.selectedFiles().constFirst();
    if (SaveSelectedTo(file))
        monitor::SaveExportFolder(QFileInfo(file).absolutePath());
}

bool TSqlPage::CanCopy() const {
    return statementEdit_->hasFocus() && statementEdit_->textCursor().hasSelection();
}

void TSqlPage::Copy() {
    statementEdit_->copy();
}

bool TSqlPage::CanSelectAll() const {
    return statementEdit_->hasFocus();
}

void TSqlPage::SelectAll() {
    statementEdit_->selectAll();
}

void ShowSqlRuns(QTextEdit* box, const detail::TSqlTextModel& text) {
    box->clear();
    QTextCursor cursor(box->document());
    cursor.movePosition(QTextCursor::End);
    const QColor windowText = box->palette().color(QPalette::Text);
    const QColor keyword = ReadableOn(QColor(0, 0, 255), box->palette().color(QPalette::Base));
    for (const auto& run : text.Runs()) {
        QTextCharFormat format;
        format.setForeground(run.keyword ? keyword : windowText);
        QString piece = QString::fromStdString(run.text);
        piece.remove(QLatin1Char('\r'));
        cursor.insertText(piece, format);
    }
}

void TSqlPage::ShowText() {
    ShowSqlRuns(statementEdit_, textModel_);
}

} // namespace gui
