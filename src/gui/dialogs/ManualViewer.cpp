#include "gui/dialogs/ManualViewer.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace gui {

TManualViewer::TManualViewer(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("manualViewer"));
    setWindowTitle(QStringLiteral("Quenby Manual"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    browser = new QTextBrowser(this);
    browser->setObjectName(QStringLiteral("manualBrowser"));
    // Links within the manual stay here; links out of it go to the desktop.
    browser->setOpenExternalLinks(true);
    layout->addWidget(browser);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    resize(820, 640);
}

void TManualViewer::Show(const QString& path) {
    browser->setSource(QUrl::fromLocalFile(path));
    show();
    raise();
    activateWindow();
}

} // namespace gui
