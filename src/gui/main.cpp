// Quenby's start-up: the application, the main window, the event loop.
#include "gui/MainWindow.h"
#include "util/HandOver.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quenby"));
    QApplication::setOrganizationName(QStringLiteral("Quenby"));
    // The desktop's own style and palette (light or dark) where the platform theme offers one;
    // Fusion, which follows the palette, where it offers none.
    if (QApplication::style() == nullptr ||
        QApplication::style()->name().compare(QStringLiteral("windows"), Qt::CaseInsensitive) == 0)
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    util::HandOver::install();
    gui::TFrmMain window;
    window.show();
    return app.exec();
}
