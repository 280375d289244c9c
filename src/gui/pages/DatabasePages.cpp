#include "gui/pages/DatabasePages.h"

#include "gui/ReadableColour.h"
#include "gui/views/ListHeaderKeeper.h"
#include "gui/views/ListViewSetup.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

namespace gui {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

QVBoxLayout* pageLayout(QWidget* page) {
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    return layout;
}

} // namespace

// ---- TReportListView ----

TReportListView::TReportListView(const QString& name, monitor::TTextListModel& model,
                                 QWidget* parent)
    : QTreeView(parent), model_(model) {
    setObjectName(name);
    setModel(&model);
    SetUpListView(*this, QAbstractItemView::SingleSelection);
    header()->setSortIndicatorShown(false);
    header()->setSectionsClickable(false);
    for (int c = 0; c < model.columnCount(); ++c)
        setColumnWidth(c, model.Columns()[static_cast<std::size_t>(c)].width);
    new TListHeaderKeeper(*this, name);
}

int TReportListView::SelectedRow() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void TReportListView::SelectRow(int row) {
    const QModelIndex index = model_.index(row, 0);
    if (!index.isValid())
        return;
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
    scrollTo(index);
}

// ---- TDatabasePages ----

TDatabasePages::TDatabasePages(monitor::TPvConnection& monitor, QWidget* dbInfoPage,
                               QWidget* nlsPage, QWidget* systemParameterPage,
                               QWidget* systemEventPage, bool& sortFlag, int& sortColumn,
                               QObject* parent)
    : QObject(parent), monitor_(monitor), nlsModel_(monitor::NlsParameterColumns()),
      systemParameterModel_(monitor::SystemParameterColumns()),
      systemEventModel_(monitor::SystemEventColumns()), sortFlag_(sortFlag),
      sortColumn_(sortColumn), systemParameterPage_(systemParameterPage) {
    // "Database Info": an empty strip above the report.
    QVBoxLayout* info = pageLayout(dbInfoPage);
    auto* strip = new QWidget(dbInfoPage);
    strip->setFixedHeight(32);
    info->addWidget(strip);
    databaseInfoText = new QTextEdit(dbInfoPage);
    databaseInfoText->setObjectName(QStringLiteral("ReDatabaseInfo"));
    databaseInfoText->setReadOnly(true);
    databaseInfoText->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                              Qt::TextSelectableByKeyboard);
    databaseInfoText->setLineWrapMode(QTextEdit::NoWrap);
    databaseInfoText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont font(QStringLiteral("Monospace"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(13);
    databaseInfoText->setFont(font);
    info->addWidget(databaseInfoText);

    pageLayout(nlsPage)->addWidget(nlsParameterList = new TReportListView(
                                       QStringLiteral("LvNlsParameter"), nlsModel_, nlsPage));

    // "System Parameter": the editor strip above the list.
    QVBoxLayout* parameters = pageLayout(systemParameterPage);
    auto* editor = new QWidget(systemParameterPage);
    auto* row = new QHBoxLayout(editor);
    row->setContentsMargins(4, 4, 4, 4);
    modifyParameterAction = new QAction(QStringLiteral("&Modify"), this);
    modifyParameterAction->setObjectName(QStringLiteral("AcModifySystemParameter"));
    connect(modifyParameterAction, &QAction::triggered, this, [this] { onModifyParameter(); });
    modifyButton = new QPushButton(QStringLiteral("&Modify"), editor);
    modifyButton->setObjectName(QStringLiteral("modifyButton"));
    modifyButton->setDefault(true);
    connect(modifyButton, &QPushButton::clicked, modifyParameterAction, &QAction::trigger);
    newValueLabel = new QLabel(QStringLiteral("New Value"), editor);
    newValueLabel->setObjectName(QStringLiteral("newValueLabel"));
    newValueEdit = new QLineEdit(editor);
    newValueEdit->setObjectName(QStringLiteral("newValueEdit"));
    newValueEdit->setFixedWidth(193);
    sessionOnlyCheck = new QCheckBox(QStringLiteral("Apply only to this session"), editor);
    sessionOnlyCheck->setObjectName(QStringLiteral("sessionOnlyCheck"));
    row->addWidget(modifyButton);
    row->addWidget(newValueLabel);
    row->addWidget(newValueEdit);
    row->addWidget(sessionOnlyCheck);
    row->addStretch(1);
    parameters->addWidget(editor);
    systemParameterList = new TReportListView(QStringLiteral("LvSystemparameter"),
                                              systemParameterModel_, systemParameterPage);
    parameters->addWidget(systemParameterList);
    connect(systemParameterList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected) {
                if (!selected.indexes().isEmpty())
                    onSystemParameterSelected(selected.indexes().first().row());
            });
    // Enter anywhere on the page runs Modify, as the page's default button.
    connect(newValueEdit, &QLineEdit::returnPressed, modifyButton, &QPushButton::click);
    for (QWidget* w :
         std::initializer_list<QWidget*>{systemParameterList, modifyButton, sessionOnlyCheck})
        w->installEventFilter(this);

    QVBoxLayout* events = pageLayout(systemEventPage);
    events->addWidget(systemEventList = new TReportListView(QStringLiteral("lvsystemevent"),
                                                            systemEventModel_, systemEventPage));
    systemEventList->header()->setSectionsClickable(true);
    connect(systemEventList->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { onSystemEventColumnClicked(column); });
    // A new load keeps the order the user chose (the arrow shows which).
    connect(&systemEventModel_, &QAbstractItemModel::modelReset, this, [this] {
        const QHeaderView* header = systemEventList->header();
        const int column = header->sortIndicatorSection();
        if (header->isSortIndicatorShown() && column >= 0 && column < header->count() &&
            systemEventModel_.rowCount() > 1)
            SortSystemEvents(column, header->sortIndicatorOrder() == Qt::AscendingOrder, false);
    });
    showIdleSystemEventsCheck = new QCheckBox(QStringLiteral("Show idle events"), systemEventPage);
    showIdleSystemEventsCheck->setObjectName(QStringLiteral("showIdleSystemEventsCheck"));
    showIdleSystemEventsCheck->setToolTip(
        QStringLiteral("List the events of processes waiting for work too"));
    events->addWidget(showIdleSystemEventsCheck);
    connect(showIdleSystemEventsCheck, &QCheckBox::toggled, this, [this](bool on) {
        monitor_.ShowIdleEvents = on;
        loadSystemEvents();
    });
    updateModifyAction();
}

bool TDatabasePages::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            modifyButton->click();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

// ---- loads ----

void TDatabasePages::RenderReport(const monitor::TReport& report) {
    databaseInfoText->clear();
    const QColor normal = databaseInfoText->palette().color(QPalette::Text);
    const QColor heading =
        ReadableOn(QColor(Qt::blue), databaseInfoText->palette().color(QPalette::Base));
    QTextCursor cursor(databaseInfoText->document());
    for (const monitor::TReportPiece& piece : report) {
        QTextCharFormat format;
        format.setForeground(piece.heading ? heading : normal);
        QString text = qs(piece.text);
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(text, format);
    }
    databaseInfoText->moveCursor(QTextCursor::Start);
}

void TDatabasePages::Load(const std::function<void()>& load) {
    if (loading_)
        return;
    loading_ = true;
    try {
        load();
    } catch (...) {
        loading_ = false;
        throw;
    }
    loading_ = false;
}

void TDatabasePages::loadDatabaseInfo() {
    Load([this] { RenderReport(monitor::DatabaseInfoReport(monitor_)); });
}

void TDatabasePages::loadNlsParameters() {
    Load([this] { monitor::LoadNlsParameters(monitor_, nlsModel_); });
}

void TDatabasePages::loadSystemParameters() {
    Load([this] {
        monitor::LoadSystemParameters(monitor_, systemParameterModel_);
        updateModifyAction();
    });
}

void TDatabasePages::loadSystemEvents() {
    const QSignalBlocker block(showIdleSystemEventsCheck);
    showIdleSystemEventsCheck->setChecked(monitor_.ShowIdleEvents);
    Load([this] { monitor::LoadSystemEvents(monitor_, systemEventModel_); });
}

// ---- the editor ----

void TDatabasePages::onSystemParameterSelected(int row) {
    newValueEdit->setText(qs(systemParameterModel_.Cell(row, 1)));
    sessionOnlyCheck->setChecked(false);
    updateModifyAction();
}

void TDatabasePages::updateModifyAction() {
    const monitor::TParameterEditorState state =
        monitor::ParameterEditorState(monitor::ParameterRecordOf(
            monitor_, systemParameterModel_, systemParameterList->SelectedRow()));
    modifyParameterAction->setEnabled(state.modifyEnabled);
    modifyButton->setEnabled(state.modifyEnabled);
    sessionOnlyCheck->setVisible(state.checkBoxVisible);
    newValueLabel->setVisible(state.valueVisible);
    newValueEdit->setVisible(state.valueVisible);
}

void TDatabasePages::onModifyParameter() {
    updateModifyAction();
    const int row = systemParameterList->SelectedRow();
    const monitor::TSystemParameterArray* record =
        monitor::ParameterRecordOf(monitor_, systemParameterModel_, row);
    if (!record || !modifyParameterAction->isEnabled())
        return;
    QWidget* window = systemParameterPage_->window();
    const QString title = QApplication::applicationDisplayName();
    const auto change =
        monitor::PlanParameterChange(*record, newValueEdit->text().toStdString(),
                                     !sessionOnlyCheck->isHidden(), sessionOnlyCheck->isChecked());
    if (!change) {
        QMessageBox::warning(window, title, QStringLiteral("Please enter new value!"));
        return;
    }
    if (change->unchanged) {
        QMessageBox::information(window, title, qs(change->message));
        return;
    }
    QMessageBox question(QMessageBox::Question, title, qs(change->question),
                         QMessageBox::Yes | QMessageBox::No, window);
    question.setObjectName(QStringLiteral("parameterConfirmation"));
    question.setDefaultButton(QMessageBox::No);
    question.setEscapeButton(QMessageBox::No);
    if (question.exec() != QMessageBox::Yes)
        return;
    try {
        monitor::ExecuteParameterChange(monitor_, change->statement);
    } catch (const std::exception& e) {
        QMessageBox::warning(window, title, QString::fromUtf8(e.what()));
        return;
    }
    systemParameterModel_.SetCell(row, 1, change->listValue);
    monitor::StoreParameterValue(monitor_, row, *change);
    QMessageBox::information(window, title, qs(change->message));
}

void TDatabasePages::onSystemEventColumnClicked(int column) {
    sortFlag_ = !sortFlag_;
    sortColumn_ = column;
    SortSystemEvents(column, sortFlag_);
}

void TDatabasePages::SortSystemEvents(int column, bool ascending, bool tell) {
    systemEventList->header()->setSortIndicatorShown(true);
    systemEventList->header()->setSortIndicator(column, ascending ? Qt::AscendingOrder
                                                                  : Qt::DescendingOrder);
    try {
        systemEventModel_.Reorder(monitor::SystemEventOrder(systemEventModel_, column, ascending));
    } catch (const std::exception& e) {
        if (tell)
            QMessageBox::critical(systemEventList->window(), QApplication::applicationDisplayName(),
                                  QString::fromUtf8(e.what()));
    }
}

} // namespace gui
