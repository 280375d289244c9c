#include "gui/pages/DetailHeader.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QTreeView>

namespace gui::sqllocks {

void ApplyListColumnWidths(QTreeView* view) {
    QAbstractItemModel* model = view->model();
    for (int c = 0; c < model->columnCount(); ++c) {
        const int width = model->headerData(c, Qt::Horizontal, Qt::UserRole).toInt();
        if (width > 0)
            view->setColumnWidth(c, width);
    }
}

QWidget* MakeDetailHeader(QWidget* parent, QLabel*& username, QLabel*& machine, QLabel*& program,
                          const QString& usernameName, const QString& machineName,
                          const QString& programName) {
    auto* strip = new QWidget(parent);
    strip->setObjectName(QStringLiteral("HeaderStrip"));
    auto* layout = new QHBoxLayout(strip);
    layout->setContentsMargins(4, 2, 4, 2);
    auto pair = [&](const QString& caption, QLabel*& value, const QString& name) {
        layout->addWidget(new QLabel(caption, strip));
        value = new QLabel(strip);
        value->setObjectName(name);
        QPalette p = value->palette();
        p.setColor(QPalette::WindowText, strip->palette().color(QPalette::Highlight));
        value->setPalette(p);
        value->setMinimumWidth(120);
        layout->addWidget(value);
        layout->addSpacing(16);
    };
    pair(QStringLiteral("Username:"), username, usernameName);
    pair(QStringLiteral("Machine:"), machine, machineName);
    pair(QStringLiteral("Program:"), program, programName);
    layout->addStretch(1);
    return strip;
}

void FillDetailHeader(monitor::TPvConnection& monitor, QLabel* username, QLabel* machine,
                      QLabel* program) {
    const monitor::TRSession* s = monitor.SelectedIndex == -1 ? nullptr : monitor.SelectedSession();
    if (!s) {
        username->clear();
        machine->clear();
        program->clear();
        return;
    }
    const auto& f = s->basic.fields;
    username->setText(QString::fromUtf8(f[monitor::bfSchemaName]).left(15));
    program->setText(QString::fromUtf8(f[monitor::bfProgram]).left(20));
    machine->setText(QString::fromUtf8(f[monitor::bfMachine]).left(25));
}

} // namespace gui::sqllocks
