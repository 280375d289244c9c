// Finding Oracle homes and loading the client library: search order, the default home, the
// settings value, the home index of a login, and the errors for what is missing.
#include "oradb/oci/OciLibrary.h"

#include "OciFixture.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtGlobal>
#include <filesystem>
#include <fstream>
#include <regex>

namespace {

namespace fs = std::filesystem;
using oradb::oci::OciLibrary;
using oradb::oci::TOciSearchPlaces;
using namespace testing_support;

// The settings of this test program live in a folder of its own, never the user's.
class SettingsFolder : public ::testing::Environment {
public:
    void SetUp() override {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder_.path());
    }

private:
    QTemporaryDir folder_;
};
[[maybe_unused]] const auto* const kSettingsFolder =
    ::testing::AddGlobalTestEnvironment(new SettingsFolder);

class OciHomes : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    std::string path(const std::string& relative) const {
        return dir.path().toStdString() + "/" + relative;
    }
    std::string folder(const std::string& relative) const {
        fs::create_directories(path(relative));
        return path(relative);
    }
    // An Oracle home holding its own copy of the stand-in library at `library` (relative), with
    // the neighbours it needs beside it.
    std::string homeWithLibrary(const std::string& relative, const std::string& library) {
        const std::string home = folder(relative);
        const fs::path file = home + "/" + library;
        fs::create_directories(file.parent_path());
        fs::copy_file(kStubLibrary, file);
        fs::copy_file(kStubCoreLibrary, file.parent_path() / kStubCoreName);
        fs::copy_file(kStubNnzLibrary, file.parent_path() / kStubNnzName);
        return home;
    }
    void writeOratab(const std::string& text) const { std::ofstream(path("oratab")) << text; }
    // Places inside the temporary folder only.
    TOciSearchPlaces places() const {
        TOciSearchPlaces p;
        p.oratab = path("oratab");
        p.instantClientPatterns = {path("usr/lib/oracle/*/client64/lib"),
                                   path("opt/oracle/instantclient*")};
        p.libraryName = "libclntsh.so";
        return p;
    }
    std::vector<std::string> homePaths(const TOciSearchPlaces& p) const {
        std::vector<std::string> paths;
        for (const auto& h : oradb::oci::findOracleHomes(p).homes)
            paths.push_back(h.path);
        return paths;
    }

    QTemporaryDir dir;
};

TEST_F(OciHomes, AreFoundInOrderWithoutDuplicates) {
    const std::string env = folder("env/home");
    const std::string db19 = folder("u01/db19");
    const std::string ic21 = folder("usr/lib/oracle/21/client64/lib");
    const std::string ic9 = folder("usr/lib/oracle/9.2/client64/lib");
    const std::string opt = folder("opt/oracle/instantclient_19_8");
    writeOratab("# comment line\n"
                "\n"
                "ORCL:" +
                db19 +
                ":N   # trailing comment\n"
                "GONE:" +
                path("u01/removed") +
                ":N\n"
                "SAME:" +
                env + "/:Y\n");
    TOciSearchPlaces p = places();
    p.oracleHome = env + "/";
    const auto found = oradb::oci::findOracleHomes(p);
    EXPECT_EQ(homePaths(p), (std::vector<std::string>{env, db19, ic21, ic9, opt}));
    EXPECT_EQ(found.defaultHome, 0);
    ASSERT_EQ(found.homes.size(), 5u);
    EXPECT_EQ(found.homes[0].name, "ORACLE_HOME");
    EXPECT_EQ(found.homes[1].name, "ORCL");
    EXPECT_EQ(found.homes[4].name, "instantclient_19_8");
}

TEST_F(OciHomes, AreAtMostSixAndTheFirstIsTheDefaultWithoutOracleHome) {
    for (int v = 11; v <= 18; ++v)
        folder("opt/oracle/instantclient_" + std::to_string(v) + "_1");
    const auto found = oradb::oci::findOracleHomes(places());
    ASSERT_EQ(found.homes.size(), oradb::oci::kMaxOracleHomes);
    EXPECT_EQ(found.defaultHome, 0);
    EXPECT_EQ(found.homes[0].path, path("opt/oracle/instantclient_18_1"));
    EXPECT_TRUE(oradb::oci::findOracleHomes(TOciSearchPlaces{std::nullopt, path("none"), {}, {}})
                    .homes.empty());
    EXPECT_EQ(oradb::oci::findOracleHomes(TOciSearchPlaces{std::nullopt, path("none"), {}, {}})
                  .defaultHome,
              -1);
}

TEST_F(OciHomes, EachHomeIndexLoadsTheLibraryOfItsHome) {
    const std::string full = homeWithLibrary("u01/full", "lib/libclntsh.so");
    const std::string instant = homeWithLibrary("opt/oracle/instantclient_21_1", "libclntsh.so");
    writeOratab("DB:" + full + ":N\n");
    const TOciSearchPlaces p = places();
    EXPECT_EQ(OciLibrary::load(0, p)->path(), full + "/lib/libclntsh.so");
    EXPECT_EQ(OciLibrary::load(1, p)->path(), full + "/lib/libclntsh.so");
    EXPECT_EQ(OciLibrary::load(2, p)->path(), instant + "/libclntsh.so");
    try {
        OciLibrary::load(4, p);
        FAIL();
    } catch (const oradb::EOraError& e) {
        EXPECT_NE(std::string(e.what()).find("Home3 is not installed"), std::string::npos)
            << e.what();
    }
}

TEST_F(OciHomes, AHomeWithoutALibraryNamesEveryPathTried) {
    const std::string empty = folder("opt/oracle/instantclient_12_2");
    try {
        OciLibrary::load(0, places());
        FAIL();
    } catch (const oradb::EOraError& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find(empty + "/lib/libclntsh.so"), std::string::npos) << message;
        EXPECT_NE(message.find(empty + "/libclntsh.so"), std::string::npos) << message;
    }
}

TEST_F(OciHomes, TheSettingsValueIsUsedDirectly) {
    const std::string home = homeWithLibrary("elsewhere", "libclntsh.so");
    folder("opt/oracle/instantclient_21_1"); // a home without a library, not consulted
    TOciSearchPlaces p = places();
    p.ociDll = home + "/libclntsh.so";
    EXPECT_EQ(OciLibrary::load(0, p)->path(), *p.ociDll);
    EXPECT_EQ(OciLibrary::load(3, p)->path(), *p.ociDll);

    // The workstation's places read it from the settings store "Oracle/OCIDLL".
    {
        QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Quenby"),
                           QStringLiteral("Quenby"));
        settings.setValue(QStringLiteral("Oracle/OCIDLL"), QString::fromStdString(*p.ociDll));
    }
    EXPECT_EQ(TOciSearchPlaces::system().ociDll, p.ociDll);
    {
        QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Quenby"),
                           QStringLiteral("Quenby"));
        settings.remove(QStringLiteral("Oracle/OCIDLL"));
    }
    EXPECT_FALSE(TOciSearchPlaces::system().ociDll.has_value());
}

TEST_F(OciHomes, ALibraryWithoutTheOciEntryPointsIsRefused) {
    // Qt's core library is a shared object of this process that has no OCI entry points.
    Dl_info info{};
    ASSERT_NE(::dladdr(reinterpret_cast<void*>(&qVersion), &info), 0);
    TOciSearchPlaces p = places();
    p.ociDll = info.dli_fname;
    try {
        OciLibrary::load(0, p);
        FAIL();
    } catch (const oradb::EOraError& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find(info.dli_fname), std::string::npos) << message;
        EXPECT_NE(message.find("OCIStmtFetch2"), std::string::npos) << message;
        EXPECT_NE(message.find("Oracle/OCIDLL"), std::string::npos) << message;
    }
}

TEST_F(OciHomes, TheVersionIsWhatTheLibraryReports) {
    TOciSearchPlaces p = places();
    p.oracleHome = kTestOracleHome;
    const auto info = oradb::oci::detectClient(0, p);
    EXPECT_EQ(info.libraryPath, kStubLibrary);
    EXPECT_TRUE(std::regex_match(info.version, std::regex(R"(\d+\.\d+\.\d+\.\d+\.\d+)")))
        << info.version;

    StubControls stub;
    using Version = void (*)(sword*, sword*, sword*, sword*, sword*);
    auto version = reinterpret_cast<Version>(::dlsym(stub.handle(), "OCIClientVersion"));
    ASSERT_NE(version, nullptr);
    sword v[5] = {};
    version(&v[0], &v[1], &v[2], &v[3], &v[4]);
    EXPECT_EQ(info.version, std::to_string(v[0]) + "." + std::to_string(v[1]) + "." +
                                std::to_string(v[2]) + "." + std::to_string(v[3]) + "." +
                                std::to_string(v[4]));
}

} // namespace
