// Quenby's start-up: the application, the main window, the event loop.
#include "gui/MainWindow.h"
#include "util/HandOver.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quenby"));
    QApplication::setOrganizationName(QStringLiteral("Quenby"));
    util::HandOver::install();
    gui::TFrmMain window;
    window.show();
    return app.exec();
}
