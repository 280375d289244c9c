// Loading an Oracle home as a real client needs it: the stand-in libclntsh.so needs a neighbour
// from its own folder, which is on no loader path; the driver loads it from there without
// LD_LIBRARY_PATH, sets ORACLE_HOME and TNS_ADMIN for the chosen home unless the user set them,
// and names the file and the missing library when a home cannot load.
#include "OciFixture.h"
#include "oradb/oci/OciLibrary.h"
#include "support/RunProgram.h"

#include <QTemporaryDir>
#include <array>
#include <elf.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <link.h>
#include <map>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace testing_support;

// ---- the dynamic section of a shared object ----

struct DynamicSection {
    std::vector<std::string> needed;
    std::string soname;
    std::vector<std::string> searchPaths; // DT_RPATH and DT_RUNPATH
};

DynamicSection readDynamicSection(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    DynamicSection result;
    EXPECT_GE(bytes.size(), sizeof(Elf64_Ehdr)) << file;
    if (bytes.size() < sizeof(Elf64_Ehdr))
        return result;
    Elf64_Ehdr header;
    std::memcpy(&header, bytes.data(), sizeof header);
    EXPECT_EQ(std::memcmp(header.e_ident, ELFMAG, SELFMAG), 0) << file;
    EXPECT_EQ(header.e_ident[EI_CLASS], ELFCLASS64) << file;
    auto section = [&](std::size_t index) {
        Elf64_Shdr s;
        std::memcpy(&s, bytes.data() + header.e_shoff + index * header.e_shentsize, sizeof s);
        return s;
    };
    for (std::size_t i = 0; i < header.e_shnum; ++i) {
        const Elf64_Shdr dynamic = section(i);
        if (dynamic.sh_type != SHT_DYNAMIC)
            continue;
        const Elf64_Shdr strings = section(dynamic.sh_link);
        auto text = [&](Elf64_Xword offset) {
            return std::string(bytes.data() + strings.sh_offset + offset);
        };
        for (std::size_t at = dynamic.sh_offset;
             at + sizeof(Elf64_Dyn) <= dynamic.sh_offset + dynamic.sh_size;
             at += sizeof(Elf64_Dyn)) {
            Elf64_Dyn entry;
            std::memcpy(&entry, bytes.data() + at, sizeof entry);
            if (entry.d_tag == DT_NULL)
                break;
            if (entry.d_tag == DT_NEEDED)
                result.needed.push_back(text(entry.d_un.d_val));
            else if (entry.d_tag == DT_SONAME)
                result.soname = text(entry.d_un.d_val);
            else if (entry.d_tag == DT_RPATH || entry.d_tag == DT_RUNPATH)
                result.searchPaths.push_back(text(entry.d_un.d_val));
        }
    }
    return result;
}

// ---- running a program in an environment of its own ----

using testing_support::ProgramRun;

// Runs `program` with this process's environment without LD_LIBRARY_PATH, ORACLE_HOME,
// TNS_ADMIN and QUENBY_DRIVER, plus `env` ("NAME=value").
ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::vector<std::string>& env) {
    return testing_support::RunProgram(
        program, args,
        {{"LD_LIBRARY_PATH", "ORACLE_HOME", "TNS_ADMIN", "QUENBY_DRIVER", "XDG_CONFIG_HOME"},
         env,
         {}});
}

// The "name=value" and "name not set" lines the probe prints, by name; "loaded" collects.
std::multimap<std::string, std::string> probeLines(const std::string& out) {
    std::multimap<std::string, std::string> lines;
    std::size_t start = 0;
    while (start < out.size()) {
        const auto end = out.find('\n', start);
        const std::string line = out.substr(start, end - start);
        start = end == std::string::npos ? out.size() : end + 1;
        if (const auto eq = line.find('='); eq != std::string::npos)
            lines.emplace(line.substr(0, eq), line.substr(eq + 1));
        else if (const auto sp = line.find(" not set"); sp != std::string::npos)
            lines.emplace(line.substr(0, sp), "(not set)");
    }
    return lines;
}

std::string probeValue(const std::multimap<std::string, std::string>& lines,
                       const std::string& name) {
    const auto it = lines.find(name);
    return it == lines.end() ? "(missing)" : it->second;
}

ProgramRun probe(const std::vector<std::string>& env) {
    return runProgram(QUENBY_OCI_PROBE_PATH, {}, env);
}

// ---- the stand-in's home ----

TEST(StandInHome, NeedsANeighbourFromItsOwnFolderAndNamesNoFolderToFindIt) {
    const DynamicSection clntsh = readDynamicSection(kStubLibrary);
    EXPECT_NE(std::find(clntsh.needed.begin(), clntsh.needed.end(), kStubCoreName),
              clntsh.needed.end())
        << "libclntsh.so does not need " << kStubCoreName;
    EXPECT_TRUE(clntsh.searchPaths.empty()) << clntsh.searchPaths.front();

    const DynamicSection core = readDynamicSection(kStubCoreLibrary);
    EXPECT_EQ(core.soname, kStubCoreName);
    EXPECT_NE(std::find(core.needed.begin(), core.needed.end(), kStubNnzName), core.needed.end())
        << kStubCoreName << " does not need " << kStubNnzName;
    EXPECT_TRUE(core.searchPaths.empty()) << core.searchPaths.front();

    const DynamicSection nnz = readDynamicSection(kStubNnzLibrary);
    EXPECT_EQ(nnz.soname, kStubNnzName);
    EXPECT_TRUE(nnz.searchPaths.empty()) << nnz.searchPaths.front();

    // The test programs run without the home on the loader path.
    const char* path = std::getenv("LD_LIBRARY_PATH");
    EXPECT_TRUE(!path || std::string(path).find(kTestOracleHome) == std::string::npos) << path;
}

TEST(StandInHome, APlainDlopenFailsOnTheMissingNeighbour) {
    // As a real client fails for a program that opens it without help.
    const ProgramRun plain = runProgram(QUENBY_OCI_PROBE_PATH, {"--plain", kStubLibrary}, {});
    EXPECT_EQ(plain.status, 1) << plain.err;
    EXPECT_NE(plain.err.find(kStubCoreName + ": cannot open shared object file"), std::string::npos)
        << plain.err;
}

TEST(StandInHome, TheDriverLoadsTheNeighbourFromTheHomeFolder) {
    const auto library = oradb::oci::OciLibrary::loadFile(kStubLibrary);
    EXPECT_EQ(library->versionText(), "19.3.0.0.0");
    // The loader's list of objects holds the neighbours.
    void* handle = ::dlopen(kStubLibrary.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
    ASSERT_NE(handle, nullptr);
    link_map* map = nullptr;
    ASSERT_EQ(::dlinfo(handle, RTLD_DI_LINKMAP, &map), 0);
    while (map->l_prev)
        map = map->l_prev;
    std::vector<std::string> neighbours;
    for (; map; map = map->l_next)
        if (const auto name = fs::path(map->l_name).filename();
            name == kStubCoreName || name == kStubNnzName)
            neighbours.emplace_back(map->l_name);
    ::dlclose(handle);
    // Both neighbours are loaded. From which folder depends on the tests that ran before in this
    // process (the loader satisfies a needed SONAME with the object already loaded under it,
    // possibly from another test's copy of the home, since removed): a fresh process shows this
    // home's own files, below.
    const auto loaded = [&](const std::string& name) {
        return std::any_of(neighbours.begin(), neighbours.end(), [&](const std::string& path) {
            return fs::path(path).filename() == name;
        });
    };
    EXPECT_TRUE(loaded(kStubCoreName));
    EXPECT_TRUE(loaded(kStubNnzName));
}

TEST(StandInHome, LoadsInAFreshProcessWithoutLdLibraryPath) {
    const ProgramRun run = probe({"ORACLE_HOME=" + kTestOracleHome});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto lines = probeLines(run.out);
    EXPECT_EQ(probeValue(lines, "library"), kStubLibrary);
    EXPECT_EQ(probeValue(lines, "version"), "19.3.0.0.0");
    EXPECT_EQ(probeValue(lines, "LD_LIBRARY_PATH"), "(not set)");
    std::vector<std::string> loaded;
    for (auto [it, end] = lines.equal_range("loaded"); it != end; ++it)
        loaded.push_back(it->second);
    std::sort(loaded.begin(), loaded.end());
    EXPECT_EQ(loaded, (std::vector<std::string>{kStubLibrary, kStubCoreLibrary, kStubNnzLibrary}));
    // The user's ORACLE_HOME stays; TNS_ADMIN points at the home's network/admin folder.
    EXPECT_EQ(probeValue(lines, "ORACLE_HOME"), kTestOracleHome);
    EXPECT_EQ(probeValue(lines, "TNS_ADMIN"), kTestOracleHome + "/network/admin");
}

TEST(StandInHome, QuenbySqlAnswersWithoutLdLibraryPath) {
    const ProgramRun run =
        runProgram(QUENBY_SQL_PATH,
                   {"system/lantern@sandbox::memory:", "select 'through the home' h from dual"},
                   {"QUENBY_DRIVER=oci", "ORACLE_HOME=" + kTestOracleHome});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("through the home"), std::string::npos) << run.out;
    EXPECT_EQ(run.err, "");
}

// ---- homes of other shapes, in temporary folders ----

class OtherHomes : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    // A folder holding a copy of the stand-in and the first `neighbours` of its two neighbours
    // (the core library, then libnnz19.so).
    std::string libraryFolder(const std::string& relative, int neighbours = 2) {
        const std::string folder = dir.path().toStdString() + "/" + relative;
        fs::create_directories(folder);
        fs::copy_file(kStubLibrary, folder + "/libclntsh.so");
        if (neighbours >= 1)
            fs::copy_file(kStubCoreLibrary, folder + "/" + kStubCoreName);
        if (neighbours >= 2)
            fs::copy_file(kStubNnzLibrary, folder + "/" + kStubNnzName);
        return folder;
    }
    // The settings value Oracle/OCIDLL naming `library`, in a configuration folder of its own.
    std::string settingsNaming(const std::string& library) {
        const std::string config = dir.path().toStdString() + "/config";
        fs::create_directories(config + "/Quenby");
        std::ofstream(config + "/Quenby/Quenby.ini") << "[Oracle]\nOCIDLL=" << library << "\n";
        return "XDG_CONFIG_HOME=" + config;
    }

    QTemporaryDir dir;
};

TEST_F(OtherHomes, AMissingNeighbourIsNamedWithTheFile) {
    const std::string folder = libraryFolder("lonely/lib", 0);
    const std::string expected =
        "Cannot load the Oracle client library " + folder + "/libclntsh.so: it needs " +
        kStubCoreName + ", which is neither in " + folder + " nor on the library search path";
    const ProgramRun sql =
        runProgram(QUENBY_SQL_PATH, {"system/lantern@sandbox::memory:", "select * from dual"},
                   {"QUENBY_DRIVER=oci", "ORACLE_HOME=" + dir.path().toStdString() + "/lonely"});
    EXPECT_EQ(sql.status, 1);
    EXPECT_EQ(sql.out, "");
    EXPECT_NE(sql.err.find(expected), std::string::npos) << sql.err;

    // The same through the settings value; nothing of the failed home stays in the environment.
    const ProgramRun run = probe({settingsNaming(folder + "/libclntsh.so")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(expected), std::string::npos) << run.err;
    const auto lines = probeLines(run.out);
    EXPECT_EQ(probeValue(lines, "ORACLE_HOME"), "(not set)");
    EXPECT_EQ(lines.count("loaded"), 0u);
}

TEST_F(OtherHomes, ANeighbourOfANeighbourIsLoadedOrNamedToo) {
    // The core library is there, but not the libnnz19.so it needs.
    const std::string folder = libraryFolder("half/lib", 1);
    const ProgramRun half = probe({"ORACLE_HOME=" + dir.path().toStdString() + "/half"});
    EXPECT_EQ(half.status, 1);
    EXPECT_NE(half.err.find("Cannot load the Oracle client library " + folder +
                            "/libclntsh.so: it needs " + kStubNnzName + ", which is neither in " +
                            folder + " nor on the library search path"),
              std::string::npos)
        << half.err;

    // With it, all three load from the folder.
    fs::copy_file(kStubNnzLibrary, folder + "/" + kStubNnzName);
    const ProgramRun whole = probe({"ORACLE_HOME=" + dir.path().toStdString() + "/half"});
    ASSERT_EQ(whole.status, 0) << whole.err;
    const auto lines = probeLines(whole.out);
    std::vector<std::string> loaded;
    for (auto [it, end] = lines.equal_range("loaded"); it != end; ++it)
        loaded.push_back(it->second);
    std::sort(loaded.begin(), loaded.end());
    EXPECT_EQ(loaded,
              (std::vector<std::string>{folder + "/libclntsh.so", folder + "/" + kStubCoreName,
                                        folder + "/" + kStubNnzName}));
}

TEST_F(OtherHomes, ABrokenNeighbourOrALibraryThatIsNoClientLeavesTheEnvironmentAlone) {
    // A neighbour file that is there but is no shared object.
    const std::string broken = libraryFolder("broken/lib", 0);
    std::ofstream(broken + "/" + kStubCoreName) << "not a library";
    ProgramRun run = probe({settingsNaming(broken + "/libclntsh.so")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Cannot load the Oracle client library " + broken +
                           "/libclntsh.so: its neighbour " + broken + "/" + kStubCoreName +
                           " cannot be loaded: "),
              std::string::npos)
        << run.err;
    EXPECT_EQ(probeValue(probeLines(run.out), "ORACLE_HOME"), "(not set)");

    // A library that loads but has no OCI entry points.
    const std::string other = dir.path().toStdString() + "/other/lib";
    fs::create_directories(other);
    fs::copy_file(kStubNnzLibrary, other + "/" + kStubNnzName);
    run = probe({settingsNaming(other + "/" + kStubNnzName)});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("it lacks entry points this program needs"), std::string::npos)
        << run.err;
    EXPECT_EQ(probeValue(probeLines(run.out), "ORACLE_HOME"), "(not set)");
}

TEST_F(OtherHomes, AFullClientsHomeIsTheFolderAboveLib) {
    const std::string folder = libraryFolder("u01/db19/lib");
    const std::string home = dir.path().toStdString() + "/u01/db19";
    fs::create_directories(home + "/network/admin");
    const ProgramRun run = probe({settingsNaming(folder + "/libclntsh.so")});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto lines = probeLines(run.out);
    EXPECT_EQ(probeValue(lines, "library"), folder + "/libclntsh.so");
    EXPECT_EQ(probeValue(lines, "ORACLE_HOME"), home);
    EXPECT_EQ(probeValue(lines, "TNS_ADMIN"), home + "/network/admin");
}

TEST_F(OtherHomes, AnInstantClientIsItsOwnHome) {
    // The RPM layout keeps the Instant Client in a folder named lib; its data library marks it.
    const std::string folder = libraryFolder("usr/lib/oracle/19.3/client64/lib");
    std::ofstream(folder + "/libociei.so") << "";
    fs::create_directories(folder + "/network/admin");
    ProgramRun run = probe({settingsNaming(folder + "/libclntsh.so")});
    ASSERT_EQ(run.status, 0) << run.err;
    auto lines = probeLines(run.out);
    EXPECT_EQ(probeValue(lines, "ORACLE_HOME"), folder);
    EXPECT_EQ(probeValue(lines, "TNS_ADMIN"), folder + "/network/admin");

    // A zip Instant Client without a network/admin folder gets no TNS_ADMIN.
    const std::string zip = libraryFolder("opt/oracle/instantclient_19_3");
    run = probe({settingsNaming(zip + "/libclntsh.so")});
    ASSERT_EQ(run.status, 0) << run.err;
    lines = probeLines(run.out);
    EXPECT_EQ(probeValue(lines, "ORACLE_HOME"), zip);
    EXPECT_EQ(probeValue(lines, "TNS_ADMIN"), "(not set)");
}

TEST_F(OtherHomes, WhatTheUserSetIsKept) {
    const std::string folder = libraryFolder("u01/db19/lib");
    fs::create_directories(dir.path().toStdString() + "/u01/db19/network/admin");
    const ProgramRun run = probe(
        {settingsNaming(folder + "/libclntsh.so"), "ORACLE_HOME=/u01/mine", "TNS_ADMIN=/etc/mine"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto lines = probeLines(run.out);
    EXPECT_EQ(probeValue(lines, "library"), folder + "/libclntsh.so");
    EXPECT_EQ(probeValue(lines, "ORACLE_HOME"), "/u01/mine");
    EXPECT_EQ(probeValue(lines, "TNS_ADMIN"), "/etc/mine");
}

} // namespace
