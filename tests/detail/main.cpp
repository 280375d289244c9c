// The detail monitor tests run with an application object (offscreen), settings in a temporary
// folder, a fixed locale, and the hand-over queue installed on the main thread.
#include "util/DateTimeText.h"
#include "util/HandOver.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    util::setDateTimeLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    util::HandOver::install();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
