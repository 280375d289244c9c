// The main() of a test program that needs an application object: offscreen, the settings in a
// temporary folder, a fixed locale and the hand-over queue installed on the main thread.
#pragma once

#include "util/AppLog.h"
#include "util/DateTimeText.h"
#include "util/HandOver.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace testing_support {

// Runs the program's tests; with `appLogInTemp` the application log goes to the temporary
// folder too.
inline int RunQtTests(int argc, char** argv, bool appLogInTemp = false) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    if (appLogInTemp)
        util::setAppLogPath(settingsDir.path().toStdString() + "/App.log");
    util::setDateTimeLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    util::HandOver::install();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

} // namespace testing_support
