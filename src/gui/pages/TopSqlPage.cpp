#include "gui/pages/TopSqlPage.h"

#include "gui/pages/SqlPage.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTextEdit>
#include <QVBoxLayout>
#include <algorithm>

namespace gui {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// Widens each column but the last to its heading and to every cell (not only the rows in
// view), never below its initial width.
void fitColumns(TReportListView* view) {
    const QAbstractItemModel* model = view->model();
    const QFontMetrics header(view->header()->font());
    const QFontMetrics cells(view->font());
    for (int c = 0; c + 1 < model->columnCount(); ++c) {
        int width = std::max(
            model->headerData(c, Qt::Horizontal, Qt::UserRole).toInt(),
            header.horizontalAdvance(model->headerData(c, Qt::Horizontal).toString()) + 16);
        for (int r = 0; r < model->rowCount(); ++r)
            width = std::max(
                width, cells.horizontalAdvance(model->data(model->index(r, c)).toString()) + 12);
        view->setColumnWidth(c, width);
    }
}

} // namespace

TTopSqlPage::TTopSqlPage(monitor::TPvConnection& monitor, QWidget* parent)
    : QWidget(parent), monitor_(monitor), statementModel_(monitor::TopSqlColumns()),
      sessionModel_(monitor::SqlSessionColumns()) {
    statementModel_.SetRightAligned(monitor::TopSqlNumberColumns());
    sessionModel_.SetRightAligned({0, 1});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    auto* strip = new QWidget(this);
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(4, 4, 4, 2);
    auto* orderLabel = new QLabel(QStringLiteral("&Order by"), strip);
    orderCombo_ = new QComboBox(strip);
    orderCombo_->setObjectName(QStringLiteral("topSqlOrder"));
    for (int i = 0; i < monitor::kTopSqlOrderCount; ++i)
        orderCombo_->addItem(
            QString::fromLatin1(monitor::TopSqlOrderName(static_cast<monitor::TTopSqlOrder>(i))));
    orderLabel->setBuddy(orderCombo_);
    auto* limitLabel = new QLabel(QStringLiteral("&Top"), strip);
    limitSpin_ = new QSpinBox(strip);
    limitSpin_->setObjectName(QStringLiteral("topSqlLimit"));
    limitSpin_->setRange(1, 1000);
    limitSpin_->setValue(monitor::kTopSqlDefaultLimit);
    limitLabel->setBuddy(limitSpin_);
    refreshButton_ = new QPushButton(QStringLiteral("&Refresh"), strip);
    refreshButton_->setObjectName(QStringLiteral("topSqlRefresh"));
    row->addWidget(orderLabel);
    row->addWidget(orderCombo_);
    row->addSpacing(12);
    row->addWidget(limitLabel);
    row->addWidget(limitSpin_);
    row->addSpacing(12);
    row->addWidget(refreshButton_);
    row->addStretch(1);
    layout->addWidget(strip);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setObjectName(QStringLiteral("topSqlSplitter"));
    statementList_ = new TReportListView(QStringLiteral("LvTopSql"), statementModel_, splitter);
    auto* lower = new QSplitter(Qt::Horizontal, splitter);
    statementEdit_ = new QTextEdit(lower);
    statementEdit_->setObjectName(QStringLiteral("topSqlStatement"));
    statementEdit_->setReadOnly(true);
    statementEdit_->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                            Qt::TextSelectableByKeyboard);
    statementEdit_->setLineWrapMode(QTextEdit::WidgetWidth);
    auto* sessions = new QWidget(lower);
    auto* sessionsLayout = new QVBoxLayout(sessions);
    sessionsLayout->setContentsMargins(0, 0, 0, 0);
    sessionsLayout->setSpacing(2);
    sessionsLabel_ = new QLabel(QStringLiteral("Sessions running it now"), sessions);
    sessionsLabel_->setObjectName(QStringLiteral("topSqlSessionsLabel"));
    sessionsLabel_->setContentsMargins(4, 2, 4, 0);
    sessionList_ = new TReportListView(QStringLiteral("LvTopSqlSessions"), sessionModel_, sessions);
    sessionsLayout->addWidget(sessionsLabel_);
    sessionsLayout->addWidget(sessionList_, 1);
    lower->setStretchFactor(0, 1);
    lower->setStretchFactor(1, 1);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    layout->addWidget(splitter, 1);

    connect(&textModel_, &detail::TSqlTextModel::changed, statementEdit_,
            [this] { ShowSqlRuns(statementEdit_, textModel_); });
    connect(refreshButton_, &QPushButton::clicked, this, [this] { Load(); });
    connect(orderCombo_, &QComboBox::activated, this, [this] { Load(); });
    connect(statementList_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { ShowSelected(); });
}

void TTopSqlPage::Load() {
    if (loading_)
        return;
    loading_ = true;
    const int selected = statementList_->SelectedRow();
    const std::string kept = selected >= 0 ? statementModel_.Cell(selected, 0) : std::string();
    {
        // The reload empties the list: the text and sessions of the kept statement stay shown.
        const QSignalBlocker block(statementList_->selectionModel());
        monitor::LoadTopSql(monitor_, statementModel_,
                            static_cast<monitor::TTopSqlOrder>(orderCombo_->currentIndex()),
                            limitSpin_->value());
    }
    loading_ = false;
    fitColumns(statementList_);
    int again = -1;
    for (int r = 0; r < statementModel_.rowCount() && again < 0; ++r)
        if (!kept.empty() && statementModel_.Cell(r, 0) == kept)
            again = r;
    if (again >= 0)
        statementList_->SelectRow(again);
    else
        statementList_->selectionModel()->clearSelection();
    shownSqlId_.clear();
    ShowSelected();
}

void TTopSqlPage::ShowSelected() {
    if (loading_) {
        again_ = true;
        return;
    }
    loading_ = true;
    do {
        again_ = false;
        const int row = statementList_->SelectedRow();
        const std::string sqlId = row >= 0 ? statementModel_.Cell(row, 0) : std::string();
        if (sqlId == shownSqlId_ && !sqlId.empty())
            continue;
        shownSqlId_ = sqlId;
        textModel_.Clear();
        sessionModel_.Clear();
        if (!monitor::IsSqlId(sqlId)) {
            sessionsLabel_->setText(QStringLiteral("Sessions running it now"));
            continue;
        }
        std::string text;
        try {
            text = monitor::LoadSqlFullText(monitor_, sqlId);
        } catch (const std::exception& e) {
            textModel_.AddText(std::string("Get v$sqltext error: ") + e.what());
        }
        if (text.empty())
            text = statementModel_.Cell(row, monitor::kTopSqlTextColumn);
        if (!text.empty())
            textModel_.WriteTokens(detail::TokenizeAndMark(text));
        monitor::LoadSqlSessions(monitor_, sessionModel_, sqlId);
        fitColumns(sessionList_);
        const int count = sessionModel_.HasCell(0, 1) ? sessionModel_.rowCount() : 0;
        sessionsLabel_->setText(
            count == 0 ? QStringLiteral("Sessions running %1 now: none").arg(qs(sqlId))
                       : QStringLiteral("Sessions running %1 now: %2").arg(qs(sqlId)).arg(count));
    } while (again_);
    loading_ = false;
}

} // namespace gui
