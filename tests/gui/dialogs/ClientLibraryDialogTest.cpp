// The "OCI DLL Information" dialog: the client library and version it shows for the monitor's
// Oracle home index, the index chosen with "&Ok", and empty texts without a client.
#include "gui/dialogs/ClientLibraryDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using oradb::oci::TOciSearchPlaces;

const std::string kTestOracleHome = QUENBY_TEST_ORACLE_HOME;
const std::string kStubLibrary = kTestOracleHome + "/lib/libclntsh.so";

// What the stand-in reports through OCIClientVersion, as the dialog should show it.
std::string stubVersion() {
    // The driver's loader brings the stand-in's neighbour from its folder first.
    oradb::oci::OciLibrary::loadFile(kStubLibrary);
    void* library = ::dlopen(kStubLibrary.c_str(), RTLD_NOW | RTLD_LOCAL);
    EXPECT_NE(library, nullptr);
    using Version = void (*)(sword*, sword*, sword*, sword*, sword*);
    auto version = reinterpret_cast<Version>(::dlsym(library, "OCIClientVersion"));
    EXPECT_NE(version, nullptr);
    sword v[5] = {};
    version(&v[0], &v[1], &v[2], &v[3], &v[4]);
    return std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2]) + "." +
           std::to_string(v[3]) + "." + std::to_string(v[4]);
}

QStringList comboItems(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

// Runs the dialog modally; `act` runs once it is open, as the user would.
int execWith(util::TFrmClientInfo& dialog, const std::function<void()>& act) {
    QTimer::singleShot(0, &dialog, act);
    return dialog.exec();
}

class ClientInfo : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    // Two homes: the test Oracle home ($ORACLE_HOME) and a second one from the oratab file,
    // holding its own copy of the stand-in.
    TOciSearchPlaces twoHomes() {
        const std::string second = dir.path().toStdString() + "/second";
        fs::create_directories(second + "/lib");
        for (const char* file : {"libclntsh.so", "libclntshcore.so.19.1", "libnnz19.so"})
            if (!fs::exists(second + "/lib/" + file))
                fs::copy_file(kTestOracleHome + "/lib/" + file, second + "/lib/" + file);
        std::ofstream(dir.path().toStdString() + "/oratab") << "SECOND:" << second << ":N\n";
        TOciSearchPlaces places;
        places.oracleHome = kTestOracleHome;
        places.oratab = dir.path().toStdString() + "/oratab";
        places.instantClientPatterns.clear();
        return places;
    }
    util::TClientDetection detectionIn(const TOciSearchPlaces& places) {
        return [places](int index) { return oradb::oci::detectClient(index, places); };
    }

    QTemporaryDir dir;
};

TEST_F(ClientInfo, ShowsTheLibraryAndVersionOfTheDefaultHome) {
    util::TFrmClientInfo dialog(nullptr, detectionIn(twoHomes()));
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "OCI DLL Information");
    EXPECT_EQ(dialog.libraryFileValue->objectName(), "libraryFileValue");
    EXPECT_EQ(dialog.libraryVersionValue->objectName(), "libraryVersionValue");
    EXPECT_EQ(dialog.oracleHomeCombo->objectName(), "oracleHomeCombo");
    EXPECT_EQ(dialog.okButton->objectName(), "okButton");
    EXPECT_EQ(dialog.okButton->text(), "&Ok");
    EXPECT_EQ(dialog.libraryFileValue->text().toStdString(), kStubLibrary);
    EXPECT_EQ(dialog.libraryVersionValue->text().toStdString(), stubVersion());
    EXPECT_EQ(comboItems(dialog.oracleHomeCombo),
              (QStringList{"Default", "Home0", "Home1", "Home2", "Home3"}));
    EXPECT_FALSE(dialog.oracleHomeCombo->isEditable());
    EXPECT_EQ(dialog.oracleHomeCombo->currentText(), "Default");
    QStringList captions;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        if (label != dialog.libraryFileValue && label != dialog.libraryVersionValue)
            captions << label->text();
    EXPECT_EQ(captions,
              (QStringList{"OCI DLL Filename:", "OCI DLL Version:", "Default Oracle home:"}));
    // Fixed size, and wide enough for the whole path.
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
    EXPECT_GE(dialog.oracleHomeCombo->width(), dialog.oracleHomeCombo->sizeHint().width());

    if (const QByteArray shots = qgetenv("QUENBY_SHOTS"); !shots.isEmpty()) {
        QDir().mkpath(QString::fromLocal8Bit(shots));
        EXPECT_TRUE(dialog.grab().save(QString::fromLocal8Bit(shots) + "/dialog-clientinfo.png"));
    }
}

TEST_F(ClientInfo, OkStoresTheChosenHomeAndReopeningShowsIt) {
    const TOciSearchPlaces places = twoHomes();
    util::TFrmClientInfo dialog(nullptr, detectionIn(places));
    EXPECT_EQ(dialog.OracleHomeIndex(), 0);
    const int result = execWith(dialog, [&] {
        dialog.oracleHomeCombo->setCurrentIndex(2); // "Home1"
        dialog.okButton->click();
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(dialog.OracleHomeIndex(), 2);

    // Opened again: the stored entry, and the library of that home (the second one found).
    QString shown, file;
    execWith(dialog, [&] {
        shown = dialog.oracleHomeCombo->currentText();
        file = dialog.libraryFileValue->text();
        dialog.okButton->click();
    });
    EXPECT_EQ(shown, "Home1");
    EXPECT_EQ(file.toStdString(), oradb::oci::detectClient(2, places).libraryPath);
    EXPECT_NE(file.toStdString(), kStubLibrary);
    EXPECT_EQ(dialog.OracleHomeIndex(), 2);
}

TEST_F(ClientInfo, ClosingOtherwiseLeavesTheIndexUnchanged) {
    util::TFrmClientInfo dialog(nullptr, detectionIn(twoHomes()));
    dialog.SetOracleHomeIndex(1);
    QString shown;
    const int result = execWith(dialog, [&] {
        shown = dialog.oracleHomeCombo->currentText();
        dialog.oracleHomeCombo->setCurrentIndex(2);
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&dialog, &escape);
    });
    EXPECT_EQ(shown, "Home0");
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(dialog.OracleHomeIndex(), 1);
}

TEST_F(ClientInfo, WithoutAClientTheTextsAreEmptyAndDefaultIsSelected) {
    TOciSearchPlaces nowhere;
    nowhere.oratab = dir.path().toStdString() + "/no-oratab";
    nowhere.instantClientPatterns = {dir.path().toStdString() + "/instantclient*"};
    nowhere.libraryName = "libclntsh-quenby-absent.so";
    util::TFrmClientInfo dialog(nullptr, detectionIn(nowhere));
    dialog.SetOracleHomeIndex(3);
    dialog.show();
    EXPECT_EQ(dialog.libraryFileValue->text(), "");
    EXPECT_EQ(dialog.libraryVersionValue->text(), "");
    EXPECT_EQ(dialog.oracleHomeCombo->currentText(), "Default");

    // A chosen home that is not installed fails the same way.
    util::TFrmClientInfo chosen(nullptr, detectionIn(twoHomes()));
    chosen.SetOracleHomeIndex(4); // "Home3": only two homes exist
    chosen.show();
    EXPECT_EQ(chosen.libraryFileValue->text(), "");
    EXPECT_EQ(chosen.libraryVersionValue->text(), "");
    EXPECT_EQ(chosen.oracleHomeCombo->currentIndex(), 0);
}

TEST_F(ClientInfo, WithoutADetectionItUsesTheWorkstationsClient) {
    const char* old = std::getenv("ORACLE_HOME");
    const std::string saved = old ? old : "";
    ::setenv("ORACLE_HOME", kTestOracleHome.c_str(), 1);
    util::TFrmClientInfo dialog;
    dialog.show();
    EXPECT_EQ(dialog.libraryFileValue->text().toStdString(), kStubLibrary);
    EXPECT_EQ(dialog.libraryVersionValue->text().toStdString(), stubVersion());
    if (old)
        ::setenv("ORACLE_HOME", saved.c_str(), 1);
    else
        ::unsetenv("ORACLE_HOME");
}

} // namespace
