#include "gui/ExportCommands.h"

#include "monitor/RememberedSettings.h"
#include "util/TextFileWriter.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTextEdit>
#include <QTreeView>

namespace gui {

namespace {

std::vector<std::string> linesOf(const QString& text) {
    std::vector<std::string> lines;
    for (const QString& line : text.split(QLatin1Char('\n')))
        lines.push_back(line.toStdString());
    return lines;
}

int rowCountOf(QObject* control) {
    if (auto* view = qobject_cast<QAbstractItemView*>(control))
        return view->model() ? view->model()->rowCount() : 0;
    return 0;
}

bool hasSelection(QWidget* area) {
    if (auto* rich = qobject_cast<QTextEdit*>(area))
        return rich->textCursor().hasSelection();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(area))
        return plain->textCursor().hasSelection();
    return false;
}

} // namespace

monitor::TExportSource ExportSourceOf(QObject* control) {
    monitor::TExportSource source;
    if (!control)
        return source;
    source.name = control->objectName().toStdString();
    if (auto* tree = qobject_cast<QTreeView*>(control)) {
        source.model = tree->model();
        for (int c = 0; source.model && c < source.model->columnCount(); ++c)
            source.widths.push_back(tree->isColumnHidden(c) ? 0 : tree->columnWidth(c));
        // A last column stretched to the view's width is written at its own width, so that the
        // file does not depend on the size of the window.
        const QHeaderView* header = tree->header();
        int last = -1;
        for (int v = header->count() - 1; v >= 0 && last < 0; --v) {
            if (!header->isSectionHidden(header->logicalIndex(v)))
                last = header->logicalIndex(v);
        }
        if (header->stretchLastSection() && last >= 0 &&
            last < static_cast<int>(source.widths.size())) {
            const int own = source.model->headerData(last, Qt::Horizontal, Qt::UserRole).toInt();
            if (own > 0)
                source.widths[static_cast<std::size_t>(last)] = own;
        }
    } else if (auto* rich = qobject_cast<QTextEdit*>(control)) {
        source.lines = linesOf(rich->toPlainText());
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) {
        source.lines = linesOf(plain->toPlainText());
    } else {
        source.name.clear();
    }
    return source;
}

QString AskExportFileName(QWidget* parent) {
    QFileDialog dialog(parent, QString(), monitor::LastExportFolder(),
                       QStringLiteral("Text files (*.txt)"));
    dialog.setObjectName(QStringLiteral("exportFileDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("log"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString file = dialog.selectedFiles().first();
    monitor::SaveExportFolder(QFileInfo(file).absolutePath());
    return file;
}

TExportCommands::TExportCommands(monitor::TPvConnection& monitor, QTabWidget* pages,
                                 QWidget* window)
    : QObject(window), monitor_(monitor), pages_(pages), window_(window) {
    exportMenu = new QMenu(window);
    exportMenu->setObjectName(QStringLiteral("exportMenu"));
    connect(exportMenu, &QMenu::aboutToShow, this, [this] { UpdateVisibility(); });
    FileNameProvider = [this] { return AskExportFileName(window_); };
}

QAction* TExportCommands::AddExport(const char* command, const char* item, int page,
                                    std::function<QObject*()> control, int minRows, QMenu* menu) {
    auto* action = new QAction(QStringLiteral("Export to File"), this);
    action->setObjectName(QString::fromLatin1(command));
    QMenu* into = menu ? menu : exportMenu;
    QAction* menuItem = into->addAction(QStringLiteral("Export to File"));
    menuItem->setObjectName(QString::fromLatin1(item));
    connect(menuItem, &QAction::triggered, action, &QAction::trigger);
    connect(action, &QAction::triggered, this, [this, control] { ExportControl(control()); });
    if (menu)
        connect(menu, &QMenu::aboutToShow, this, [this] { UpdateVisibility(); });
    exports_.push_back({action, menuItem, page, std::move(control), minRows});
    UpdateVisibility();
    return action;
}

void TExportCommands::AttachPopup(QWidget* control) {
    control->setContextMenuPolicy(Qt::CustomContextMenu);
    QWidget* target = control;
    if (auto* view = qobject_cast<QAbstractScrollArea*>(control))
        target = view->viewport();
    connect(control, &QWidget::customContextMenuRequested, this, [this, target](const QPoint& p) {
        UpdateVisibility();
        exportMenu->popup(target->mapToGlobal(p));
    });
}

void TExportCommands::AddTextArea(int page, std::function<QWidget*()> area) {
    textAreas_.push_back({page, std::move(area)});
}

void TExportCommands::UpdateVisibility() {
    const int active = pages_->isHidden() ? -1 : pages_->currentIndex();
    for (const TExport& e : exports_) {
        QObject* control = e.control();
        const bool shown =
            active == e.page && control && (e.minRows <= 0 || rowCountOf(control) >= e.minRows);
        e.command->setVisible(shown);
        e.item->setVisible(shown);
    }
}

QWidget* TExportCommands::ActiveTextArea() const {
    const int active = pages_->currentIndex();
    for (const TTextArea& t : textAreas_)
        if (t.page == active)
            return t.area();
    return nullptr;
}

void TExportCommands::UpdateEditActions(QAction* copy, QAction* selectAll) {
    QWidget* area = pages_->isHidden() ? nullptr : ActiveTextArea();
    const bool focused = area && area->hasFocus();
    copy->setEnabled(focused && hasSelection(area));
    selectAll->setEnabled(focused);
}

void TExportCommands::Copy() {
    QWidget* area = ActiveTextArea();
    if (auto* rich = qobject_cast<QTextEdit*>(area))
        rich->copy();
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(area))
        plain->copy();
}

void TExportCommands::SelectAll() {
    QWidget* area = ActiveTextArea();
    if (auto* rich = qobject_cast<QTextEdit*>(area))
        rich->selectAll();
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(area))
        plain->selectAll();
}

void TExportCommands::ExportControl(QObject* control) {
    monitor_.ExportTarget = control;
    try {
        monitor::Export(monitor_, "txt", ExportSourceOf, [this] {
            return FileNameProvider ? FileNameProvider().toStdString() : std::string();
        });
    } catch (const std::exception& e) {
        QMessageBox::critical(window_, QApplication::applicationDisplayName(),
                              QString::fromUtf8(e.what()));
    }
}

QAction* TExportCommands::Command(const char* name) const {
    for (const TExport& e : exports_)
        if (e.command->objectName() == QLatin1String(name))
            return e.command;
    return nullptr;
}

QAction* TExportCommands::MenuItem(const char* name) const {
    for (const TExport& e : exports_)
        if (e.item->objectName() == QLatin1String(name))
            return e.item;
    return nullptr;
}

} // namespace gui
