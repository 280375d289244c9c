// The main() of a test program that needs an application object: offscreen, the settings and the
// home folder in a temporary folder, a fixed locale and the hand-over queue installed on the main
// thread.
#pragma once

#include "util/AppLog.h"
#include "util/DateTimeText.h"
#include "util/HandOver.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace testing_support {

// Runs the program's tests; with `appLogInTemp` the application log goes to the temporary
// folder too.
inline int RunQtTests(int argc, char** argv, bool appLogInTemp = false) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir settingsDir;
    // The user's home and XDG folders are in the temporary folder too, so that folders the
    // program offers or makes (documents, data, the sandbox file) never touch the real home.
    const QByteArray home = QFile::encodeName(settingsDir.path()) + "/home";
    QDir().mkpath(QFile::decodeName(home));
    qputenv("HOME", home);
    qputenv("XDG_CONFIG_HOME", home + "/.config");
    qputenv("XDG_DATA_HOME", home + "/.local/share");
    qputenv("XDG_STATE_HOME", home + "/.local/state");
    QApplication app(argc, argv);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    if (appLogInTemp)
        util::setAppLogPath(settingsDir.path().toStdString() + "/App.log");
    util::setDateTimeLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    util::HandOver::install();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

} // namespace testing_support
