#include "gui/pages/DatabasePages.h"

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
    header()->setStretchLastSection(false);
    for (int c = 0; c < model.columnCount(); ++c)
        setColumnWidth(c, model.Columns()[static_cast<std::size_t>(c)].width);
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
    ReDatabaseInfo = new QTextEdit(dbInfoPage);
    ReDatabaseInfo->setObjectName(QStringLiteral("ReDatabaseInfo"));
    ReDatabaseInfo->setReadOnly(true);
    ReDatabaseInfo->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                            Qt::TextSelectableByKeyboard);
    ReDatabaseInfo->setLineWrapMode(QTextEdit::NoWrap);
    ReDatabaseInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont font(QStringLiteral("Monospace"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(13);
    ReDatabaseInfo->setFont(font);
    info->addWidget(ReDatabaseInfo);

    pageLayout(nlsPage)->addWidget(
        LvNlsParameter = new TReportListView(QStringLiteral("LvNlsParameter"), nlsModel_, nlsPage));

    // "System Parameter": the editor strip above the list.
    QVBoxLayout* parameters = pageLayout(systemParameterPage);
    auto* editor = new QWidget(systemParameterPage);
    auto* row = new QHBoxLayout(editor);
    row->setContentsMargins(4, 4, 4, 4);
    AcModifySystemParameter = new QAction(QStringLiteral("&Modify"), this);
    AcModifySystemParameter->setObjectName(QStringLiteral("AcModifySystemParameter"));
    connect(AcModifySystemParameter, &QAction::triggered, this,
            [this] { AcModifySystemParameterExecute(); });
    Btmodify = new QPushButton(QStringLiteral("&Modify"), editor);
    Btmodify->setObjectName(QStringLiteral("Btmodify"));
    Btmodify->setDefault(true);
    connect(Btmodify, &QPushButton::clicked, AcModifySystemParameter, &QAction::trigger);
    lbnewsystemparametervalue = new QLabel(QStringLiteral("New Value"), editor);
    lbnewsystemparametervalue->setObjectName(QStringLiteral("lbnewsystemparametervalue"));
    EdNewSystemparametervalue = new QLineEdit(editor);
    EdNewSystemparametervalue->setObjectName(QStringLiteral("EdNewSystemparametervalue"));
    EdNewSystemparametervalue->setFixedWidth(193);
    cbmodifyonlysession = new QCheckBox(QStringLiteral("Apply only to this session"), editor);
    cbmodifyonlysession->setObjectName(QStringLiteral("cbmodifyonlysession"));
    row->addWidget(Btmodify);
    row->addWidget(lbnewsystemparametervalue);
    row->addWidget(EdNewSystemparametervalue);
    row->addWidget(cbmodifyonlysession);
    row->addStretch(1);
    parameters->addWidget(editor);
    LvSystemparameter = new TReportListView(QStringLiteral("LvSystemparameter"),
                                            systemParameterModel_, systemParameterPage);
    parameters->addWidget(LvSystemparameter);
    connect(LvSystemparameter->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected) {
                if (!selected.indexes().isEmpty())
                    LvSystemparameterSelectItem(selected.indexes().first().row());
            });
    // Enter anywhere on the page runs Modify, as the page's default button.
    connect(EdNewSystemparametervalue, &QLineEdit::returnPressed, Btmodify, &QPushButton::click);
    for (QWidget* w :
         std::initializer_list<QWidget*>{LvSystemparameter, Btmodify, cbmodifyonlysession})
        w->installEventFilter(this);

    pageLayout(systemEventPage)
        ->addWidget(lvsystemevent = new TReportListView(QStringLiteral("lvsystemevent"),
                                                        systemEventModel_, systemEventPage));
    lvsystemevent->header()->setSectionsClickable(true);
    connect(lvsystemevent->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { lvsystemeventColumnClick(column); });
    AcModifySystemParameterUpdate();
}

bool TDatabasePages::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Btmodify->click();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

// ---- loads ----

void TDatabasePages::RenderReport(const monitor::TReport& report) {
    ReDatabaseInfo->clear();
    const QColor normal = ReDatabaseInfo->palette().color(QPalette::WindowText);
    QTextCursor cursor(ReDatabaseInfo->document());
    for (const monitor::TReportPiece& piece : report) {
        QTextCharFormat format;
        format.setForeground(piece.heading ? QColor(Qt::blue) : normal);
        QString text = qs(piece.text);
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(text, format);
    }
    ReDatabaseInfo->moveCursor(QTextCursor::Start);
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
        AcModifySystemParameterUpdate();
    });
}

void TDatabasePages::loadSystemEvents() {
    Load([this] { monitor::LoadSystemEvents(monitor_, systemEventModel_); });
}

// ---- the editor ----

void TDatabasePages::LvSystemparameterSelectItem(int row) {
    EdNewSystemparametervalue->setText(qs(systemParameterModel_.Cell(row, 1)));
    cbmodifyonlysession->setChecked(false);
    AcModifySystemParameterUpdate();
}

void TDatabasePages::AcModifySystemParameterUpdate() {
    const monitor::TParameterEditorState state =
        monitor::ParameterEditorState(monitor::ParameterRecordOf(monitor_, systemParameterModel_,
                                                                 LvSystemparameter->SelectedRow()));
    AcModifySystemParameter->setEnabled(state.modifyEnabled);
    Btmodify->setEnabled(state.modifyEnabled);
    cbmodifyonlysession->setVisible(state.checkBoxVisible);
    lbnewsystemparametervalue->setVisible(state.valueVisible);
    EdNewSystemparametervalue->setVisible(state.valueVisible);
}

void TDatabasePages::AcModifySystemParameterExecute() {
    AcModifySystemParameterUpdate();
    const int row = LvSystemparameter->SelectedRow();
    const monitor::TSystemParameterArray* record =
        monitor::ParameterRecordOf(monitor_, systemParameterModel_, row);
    if (!record || !AcModifySystemParameter->isEnabled())
        return;
    QWidget* window = systemParameterPage_->window();
    const QString title = QApplication::applicationDisplayName();
    const auto change = monitor::PlanParameterChange(
        *record, EdNewSystemparametervalue->text().toStdString(), !cbmodifyonlysession->isHidden(),
        cbmodifyonlysession->isChecked());
    if (!change) {
        QMessageBox::warning(window, title, QStringLiteral("Please enter new value!"));
        return;
    }
    try {
        monitor::ExecuteParameterChange(monitor_, change->statement);
    } catch (const std::exception& e) {
        QMessageBox::warning(window, title, QString::fromUtf8(e.what()));
        return;
    }
    systemParameterModel_.SetCell(row, 1, change->listValue);
    QMessageBox::information(window, title, qs(change->message));
}

void TDatabasePages::lvsystemeventColumnClick(int column) {
    sortFlag_ = !sortFlag_;
    sortColumn_ = column;
    try {
        systemEventModel_.Reorder(monitor::SystemEventOrder(systemEventModel_, column, sortFlag_));
    } catch (const std::exception& e) {
        QMessageBox::critical(lvsystemevent->window(), QApplication::applicationDisplayName(),
                              QString::fromUtf8(e.what()));
    }
}

} // namespace gui
