#include "gui/Icons.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>

namespace gui {

void SelectIconTheme() {
    const QString current = QIcon::themeName();
    if (!current.isEmpty() && current != QLatin1String("hicolor"))
        return;
    // Without a desktop platform theme Qt searches only its resources: add the system's icon
    // folders, and take Tango where it is installed.
    QStringList paths = QIcon::themeSearchPaths();
    for (const QString& dir :
         QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons"),
                                   QStandardPaths::LocateDirectory))
        if (!paths.contains(dir))
            paths << dir;
    QIcon::setThemeSearchPaths(paths);
    for (const QString& dir : paths)
        if (QDir(dir + QStringLiteral("/Tango")).exists()) {
            QIcon::setThemeName(QStringLiteral("Tango"));
            return;
        }
}

QIcon ThemedIcon(const char* name, QStyle::StandardPixmap fallback) {
    return QIcon::fromTheme(QString::fromLatin1(name),
                            QApplication::style()->standardIcon(fallback));
}

QIcon ApplicationIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/quenby/%1x%1/quenby.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace gui
