// The capture tests run with an application object (offscreen), settings in a temporary folder,
// a fixed locale, the application log in a temporary folder and the hand-over queue installed.
#include "util/AppLog.h"
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
    util::setAppLogPath(settingsDir.path().toStdString() + "/App.log");
    util::setDateTimeLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    util::HandOver::install();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
