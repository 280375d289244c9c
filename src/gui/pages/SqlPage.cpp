#include "gui/pages/SqlPage.h"

#include "util/DateTimeText.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
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
        this, LbSqlusernameV, LbSqlMachineV, LbSqlProgramV, QStringLiteral("LbSqlusernameV"),
        QStringLiteral("LbSqlMachineV"), QStringLiteral("LbSqlProgramV")));
    auto* splitter = new QSplitter(Qt::Vertical, this);
    layout->addWidget(splitter, 1);

    lvAllsql = new QTreeView(splitter);
    lvAllsql->setObjectName(QStringLiteral("lvAllsql"));
    lvAllsql->setRootIsDecorated(false);
    lvAllsql->setUniformRowHeights(true);
    lvAllsql->setSortingEnabled(false);
    lvAllsql->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvAllsql->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvAllsql->setContextMenuPolicy(Qt::CustomContextMenu);
    lvAllsql->setModel(&cursorModel_);
    lvAllsql->header()->setSectionsClickable(false);
    ApplyListColumnWidths(lvAllsql);
    connect(&cursorModel_, &QAbstractItemModel::modelReset, lvAllsql,
            [this] { ApplyListColumnWidths(lvAllsql); });
    connect(lvAllsql->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected) {
                QList<int> rows;
                for (const QModelIndex& i : selected.indexes())
                    if (i.column() == 0)
                        rows << i.row();
                CursorsSelected(rows);
            });

    RECurrentSql = new QTextEdit(splitter);
    RECurrentSql->setObjectName(QStringLiteral("RECurrentSql"));
    RECurrentSql->setReadOnly(true);
    RECurrentSql->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    RECurrentSql->setLineWrapMode(QTextEdit::WidgetWidth);
    connect(&textModel_, &detail::TSqlTextModel::changed, RECurrentSql, [this] { ShowText(); });
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 1);

    AcSaveSql = new QAction(QStringLiteral("Export to File"), this);
    AcSaveSql->setObjectName(QStringLiteral("AcSaveSql"));
    connect(AcSaveSql, &QAction::triggered, this, [this] { AcSaveSqlExecute(); });
    PMTab = new QMenu(this);
    PMTab->setObjectName(QStringLiteral("exportMenu"));
    QAction* item = PMTab->addAction(AcSaveSql->text());
    item->setObjectName(QStringLiteral("PMISaveSql"));
    connect(item, &QAction::triggered, AcSaveSql, &QAction::trigger);
    connect(AcSaveSql, &QAction::changed, item,
            [item, this] { item->setVisible(AcSaveSql->isVisible()); });
    connect(PMTab, &QMenu::aboutToShow, this, [this] { AcSaveSqlUpdate(); });
    connect(lvAllsql, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
        AcSaveSqlUpdate();
        PMTab->popup(lvAllsql->viewport()->mapToGlobal(p));
    });
    AcSaveSqlUpdate();
}

void TSqlPage::showEvent(QShowEvent* event) {
    FillHeader();
    QWidget::showEvent(event);
}

void TSqlPage::FillHeader() {
    FillDetailHeader(monitor_, LbSqlusernameV, LbSqlMachineV, LbSqlProgramV);
}

void TSqlPage::AcSaveSqlUpdate() {
    AcSaveSql->setVisible(cursorModel_.rowCount() >= 1);
}

std::vector<int> TSqlPage::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& i : lvAllsql->selectionModel()->selectedRows())
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
    return observer_->SaveStatements(fileName.toStdString(), SelectedRows());
}

void TSqlPage::AcSaveSqlExecute() {
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDirectory(QApplication::applicationDirPath());
    dialog.setNameFilter(QStringLiteral("Text files (*.txt)"));
    dialog.setDefaultSuffix(QStringLiteral("log"));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    SaveSelectedTo(dialog.selectedFiles().constFirst());
}

bool TSqlPage::CanCopy() const {
    return RECurrentSql->hasFocus() && RECurrentSql->textCursor().hasSelection();
}

void TSqlPage::Copy() {
    RECurrentSql->copy();
}

bool TSqlPage::CanSelectAll() const {
    return RECurrentSql->hasFocus();
}

void TSqlPage::SelectAll() {
    RECurrentSql->selectAll();
}

void TSqlPage::ShowText() {
    RECurrentSql->clear();
    QTextCursor cursor(RECurrentSql->document());
    cursor.movePosition(QTextCursor::End);
    const QColor windowText = RECurrentSql->palette().color(QPalette::WindowText);
    for (const auto& run : textModel_.Runs()) {
        QTextCharFormat format;
        format.setForeground(run.keyword ? QColor(0, 0, 255) : windowText);
        QString text = QString::fromStdString(run.text);
        text.remove(QLatin1Char('\r'));
        cursor.insertText(text, format);
    }
}

} // namespace gui
