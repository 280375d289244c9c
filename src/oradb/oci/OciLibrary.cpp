#include "oradb/oci/OciLibrary.h"

#include "oradb/OraError.h"
#include "util/TextHelpers.h"

#include <QSettings>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <glob.h>
#include <link.h>
#include <map>
#include <string.h>

namespace oradb::oci {

namespace fs = std::filesystem;

namespace {

// A home path without trailing slashes (but "/" stays "/").
std::string normalHome(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

bool sameDirectory(const std::string& a, const std::string& b) {
    if (a == b)
        return true;
    std::error_code ec;
    return fs::equivalent(a, b, ec) && !ec;
}

bool isDirectory(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

// Matches of a glob pattern that are folders, the highest version first.
std::vector<std::string> globFolders(const std::string& pattern) {
    std::vector<std::string> found;
    glob_t g{};
    if (::glob(pattern.c_str(), GLOB_ONLYDIR, nullptr, &g) == 0) {
        for (std::size_t i = 0; i < g.gl_pathc; ++i)
            if (isDirectory(g.gl_pathv[i]))
                found.emplace_back(g.gl_pathv[i]);
    }
    ::globfree(&g);
    std::sort(found.begin(), found.end(), [](const std::string& a, const std::string& b) {
        return ::strverscmp(a.c_str(), b.c_str()) > 0;
    });
    return found;
}

std::string dlerrorText() {
    const char* e = ::dlerror();
    return e ? e : "unknown error";
}

// The library files a home may hold: lib/libclntsh.so (full client) or libclntsh.so in the
// folder itself (Instant Client), then versioned names (libclntsh.so.19.1) when the plain
// name is missing.
std::vector<std::string> libraryCandidates(const std::string& home, const std::string& name) {
    std::vector<std::string> plain = {home + "/lib/" + name, home + "/" + name};
    std::vector<std::string> candidates;
    for (const auto& p : plain) {
        std::error_code ec;
        if (fs::exists(p, ec)) {
            candidates.push_back(p);
            continue;
        }
        std::vector<std::string> versioned;
        const fs::path dir = fs::path(p).parent_path();
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string file = it->path().filename().string();
            if (file.rfind(name + ".", 0) == 0)
                versioned.push_back(it->path().string());
        }
        std::sort(versioned.begin(), versioned.end(),
                  [](const std::string& a, const std::string& b) {
                      return ::strverscmp(a.c_str(), b.c_str()) > 0;
                  });
        candidates.insert(candidates.end(), versioned.begin(), versioned.end());
    }
    return candidates.empty() ? plain : candidates;
}

std::string placesText(const TOciSearchPlaces& places) {
    std::string text = places.oracleHome ? "$ORACLE_HOME (" + *places.oracleHome + ")"
                                         : std::string("$ORACLE_HOME (not set)");
    text += ", " + places.oratab;
    for (const auto& p : places.instantClientPatterns)
        text += ", " + p;
    return text;
}

std::mutex& registryMutex() {
    static std::mutex m;
    return m;
}

// Loaded libraries by their dlopen handle (the loader returns one handle per file).
std::map<void*, std::shared_ptr<OciLibrary>>& registry() {
    static auto* libraries = new std::map<void*, std::shared_ptr<OciLibrary>>;
    return *libraries;
}

// ---- the environment of the chosen home ----

// ORACLE_HOME and TNS_ADMIN as this program set them for the first home it loaded (empty while it
// set none); guarded by registryMutex.
std::map<std::string, std::string>& arrangedVariables() {
    static auto* variables = new std::map<std::string, std::string>;
    return *variables;
}
bool environmentArranged = false; // guarded by registryMutex

bool exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

// The Oracle home of a library file: an Instant Client (its folder holds the Instant Client data
// library libociei.so or libociicus.so) is its own folder; a full client keeps the library in
// <home>/lib; any other folder counts as its own home.
std::string homeOfLibrary(const std::string& library) {
    const fs::path folder = fs::path(library).parent_path();
    if (exists((folder / "libociei.so").string()) || exists((folder / "libociicus.so").string()))
        return folder.string();
    if (folder.filename() == "lib" && folder.has_parent_path())
        return folder.parent_path().string();
    return folder.string();
}

// Sets ORACLE_HOME and TNS_ADMIN for the home of `library`, each only when the user has not set
// it; returns the names set. Called with registryMutex held, before the library is opened.
// setenv is not thread-safe against a concurrent getenv; this is safe enough because it happens
// once, before the client library is loaded and reads these variables, and no other code of
// this program reads them at the same time (TOciSearchPlaces::system takes the same mutex).
std::vector<std::string> arrangeEnvironment(const std::string& library) {
    std::vector<std::string> set;
    if (environmentArranged)
        return set;
    const std::string home = homeOfLibrary(library);
    auto setUnlessSet = [&](const char* name, const std::string& value) {
        if (const char* old = std::getenv(name); old && *old)
            return;
        ::setenv(name, value.c_str(), 1);
        arrangedVariables()[name] = value;
        set.emplace_back(name);
    };
    setUnlessSet("ORACLE_HOME", home);
    if (const std::string admin = home + "/network/admin"; isDirectory(admin))
        setUnlessSet("TNS_ADMIN", admin);
    return set;
}

// Takes back what arrangeEnvironment set, after the library failed to load.
void undoEnvironment(const std::vector<std::string>& names) {
    for (const auto& name : names) {
        ::unsetenv(name.c_str());
        arrangedVariables().erase(name);
    }
}

// ---- loading a library with its neighbours ----

// The library a dlerror text says could not be found ("libnnz19.so: cannot open shared object
// file: No such file or directory"); empty for any other failure.
std::string missingLibraryIn(const std::string& error) {
    const auto at = error.find(": cannot open shared object file");
    return at == std::string::npos ? std::string() : error.substr(0, at);
}

// A real libclntsh.so needs its neighbours (libclntshcore.so.NN.1, libnnzNN.so, ...) from its
// own folder, which is seldom on the loader's search path, and that path cannot change once the
// program runs. So when the loader reports a needed library missing that the folder holds, that
// file is opened first by its absolute path (with its own missing neighbours, the same way), and
// the library is tried again: the loader satisfies a needed library by its SONAME from the
// objects already loaded. `neighbours` receives the handles opened on the way.
constexpr int kMaxLoadRounds = 64;

void* openWithNeighbours(const std::string& path, std::string& why,
                         std::vector<void*>& neighbours) {
    const std::string folder =
        path.find('/') == std::string::npos ? std::string() : fs::path(path).parent_path().string();
    std::vector<std::string> pending = {path}; // the file to open last is the first
    for (int round = 0; round < kMaxLoadRounds; ++round) {
        const std::string file = pending.back();
        ::dlerror();
        if (void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL)) {
            if (pending.size() == 1)
                return handle;
            neighbours.push_back(handle);
            pending.pop_back();
            continue;
        }
        const std::string error = dlerrorText();
        const std::string missing = missingLibraryIn(error);
        const std::string local = folder + "/" + missing;
        if (missing.empty() || missing.find('/') != std::string::npos || folder.empty() ||
            std::find(pending.begin(), pending.end(), local) != pending.end()) {
            // dlerror reads "FILE: reason"; the caller names the library already.
            why = error;
            if (why.rfind(file + ": ", 0) == 0)
                why.erase(0, file.size() + 2);
            if (file != path)
                why = "its neighbour " + file + " cannot be loaded: " + why;
            return nullptr;
        }
        if (!exists(local)) {
            why = "it needs " + missing + ", which is neither in " + folder +
                  " nor on the library search path";
            return nullptr;
        }
        pending.push_back(local);
    }
    why = "its neighbours in " + folder + " need each other in more than " +
          std::to_string(kMaxLoadRounds) + " rounds";
    return nullptr;
}

void closeAll(std::vector<void*>& handles) {
    for (auto it = handles.rbegin(); it != handles.rend(); ++it)
        ::dlclose(*it);
    handles.clear();
}

} // namespace

// ---- the places and the homes ----

TOciSearchPlaces TOciSearchPlaces::system() {
    TOciSearchPlaces places;
    {
        // ORACLE_HOME as the user set it: the value this program set for the home it loaded
        // does not make that home the first of the list.
        std::lock_guard lock(registryMutex());
        const auto& arranged = arrangedVariables();
        const auto ours = arranged.find("ORACLE_HOME");
        if (const char* home = std::getenv("ORACLE_HOME");
            home && *home && (ours == arranged.end() || ours->second != home))
            places.oracleHome = home;
    }
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Quenby"),
                       QStringLiteral("Quenby"));
    const QString dll = settings.value(QStringLiteral("Oracle/OCIDLL")).toString().trimmed();
    if (!dll.isEmpty())
        places.ociDll = dll.toStdString();
    return places;
}

TOracleHomes findOracleHomes(const TOciSearchPlaces& places) {
    TOracleHomes result;
    auto add = [&](const std::string& name, const std::string& rawPath) {
        const std::string path = normalHome(util::trimmed(rawPath));
        if (path.empty() || result.homes.size() >= kMaxOracleHomes)
            return;
        for (const auto& h : result.homes)
            if (sameDirectory(h.path, path))
                return;
        result.homes.push_back({name, path});
    };

    // $ORACLE_HOME counts even when it names nothing: the user chose it, and loading from it
    // then reports what is missing.
    if (places.oracleHome && !util::trimmed(*places.oracleHome).empty())
        add("ORACLE_HOME", *places.oracleHome);

    // oratab lines read "SID:ORACLE_HOME:Y|N"; '#' starts a comment.
    if (std::ifstream oratab(places.oratab); oratab) {
        std::string line;
        while (std::getline(oratab, line)) {
            if (const auto hash = line.find('#'); hash != std::string::npos)
                line.erase(hash);
            line = util::trimmed(line);
            const auto colon = line.find(':');
            if (line.empty() || colon == std::string::npos)
                continue;
            const std::string sid = util::trimmed(line.substr(0, colon));
            std::string home = line.substr(colon + 1);
            home = util::trimmed(home.substr(0, home.find(':')));
            if (isDirectory(home))
                add(sid.empty() || sid == "*" ? home : sid, home);
        }
    }

    for (const auto& pattern : places.instantClientPatterns)
        for (const auto& folder : globFolders(pattern))
            add(fs::path(normalHome(folder)).filename().string() == "lib"
                    ? fs::path(normalHome(folder)).parent_path().parent_path().filename().string()
                    : fs::path(normalHome(folder)).filename().string(),
                folder);

    if (!result.homes.empty())
        result.defaultHome = 0;
    return result;
}

// ---- the library ----

OciLibrary::OciLibrary(void* handle, std::string path) : handle_(handle), path_(std::move(path)) {}

std::shared_ptr<OciLibrary> OciLibrary::open(const std::string& path, std::string& why) {
    std::lock_guard lock(registryMutex());
    // The first library loaded from a folder gets its home's environment, before it runs.
    const bool fromFolder = path.find('/') != std::string::npos;
    const std::vector<std::string> arranged =
        fromFolder ? arrangeEnvironment(path) : std::vector<std::string>();
    std::vector<void*> neighbours;
    void* handle = openWithNeighbours(path, why, neighbours);
    if (!handle) {
        closeAll(neighbours);
        undoEnvironment(arranged);
        return nullptr;
    }
    if (auto it = registry().find(handle); it != registry().end()) {
        ::dlclose(handle); // the registry holds the first reference
        environmentArranged = environmentArranged || fromFolder;
        return it->second;
    }
    // A plain name was found on the search path: the loader knows where.
    std::string resolved = path;
    link_map* map = nullptr;
    if (path.find('/') == std::string::npos && ::dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 &&
        map && map->l_name && *map->l_name)
        resolved = map->l_name;
    std::shared_ptr<OciLibrary> library(new OciLibrary(handle, resolved));
    why = library->resolve();
    if (!why.empty()) {
        ::dlclose(handle);
        closeAll(neighbours);
        undoEnvironment(arranged);
        return nullptr;
    }
    // The neighbours stay loaded with the library, which is never unloaded.
    environmentArranged = environmentArranged || fromFolder;
    registry()[handle] = library;
    return library;
}

std::shared_ptr<OciLibrary> OciLibrary::loadFile(const std::string& path) {
    std::string why;
    if (auto library = open(path, why))
        return library;
    throw EOraError("Cannot load the Oracle client library " + path + ": " + why);
}

std::string OciLibrary::resolve() {
    std::vector<std::string> missing;
    auto sym = [&](auto& slot, const char* name) {
        void* p = ::dlsym(handle_, name);
        if (!p)
            missing.emplace_back(name);
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(p);
    };
    sym(fn_.EnvNlsCreate, "OCIEnvNlsCreate");
    sym(fn_.HandleAlloc, "OCIHandleAlloc");
    sym(fn_.HandleFree, "OCIHandleFree");
    sym(fn_.DescriptorFree, "OCIDescriptorFree");
    sym(fn_.AttrGet, "OCIAttrGet");
    sym(fn_.AttrSet, "OCIAttrSet");
    sym(fn_.ErrorGet, "OCIErrorGet");
    sym(fn_.ServerAttach, "OCIServerAttach");
    sym(fn_.ServerDetach, "OCIServerDetach");
    sym(fn_.SessionBegin, "OCISessionBegin");
    sym(fn_.SessionEnd, "OCISessionEnd");
    sym(fn_.StmtPrepare2, "OCIStmtPrepare2");
    sym(fn_.StmtRelease, "OCIStmtRelease");
    sym(fn_.StmtExecute, "OCIStmtExecute");
    sym(fn_.StmtFetch2, "OCIStmtFetch2");
    sym(fn_.ParamGet, "OCIParamGet");
    sym(fn_.DefineByPos, "OCIDefineByPos");
    sym(fn_.BindByName, "OCIBindByName");
    sym(fn_.Break, "OCIBreak");
    sym(fn_.ClientVersion, "OCIClientVersion");
    if (missing.empty())
        return {};
    std::string names;
    for (const auto& m : missing)
        names += (names.empty() ? "" : ", ") + m;
    return "it lacks entry points this program needs: " + names;
}

std::shared_ptr<OciLibrary> OciLibrary::load(int homeIndex, const TOciSearchPlaces& places) {
    if (places.ociDll) {
        try {
            return loadFile(*places.ociDll);
        } catch (const EOraError& e) {
            throw EOraError(std::string(e.what()) + " (settings value Oracle/OCIDLL)");
        }
    }
    const TOracleHomes found = findOracleHomes(places);
    std::string home;
    if (homeIndex <= 0) {
        if (found.defaultHome < 0) {
            // No home at all: the loader's own search path may still know the library.
            std::string why;
            if (auto library = open(places.libraryName, why))
                return library;
            throw EOraError("No Oracle client found: no Oracle home in " + placesText(places) +
                            ", and " + places.libraryName + " is not on the library search path (" +
                            why + ")");
        }
        home = found.homes[static_cast<std::size_t>(found.defaultHome)].path;
    } else {
        const auto index = static_cast<std::size_t>(homeIndex - 1);
        if (index >= found.homes.size())
            throw EOraError("Oracle home Home" + std::to_string(homeIndex - 1) +
                            " is not installed: " + std::to_string(found.homes.size()) +
                            " Oracle home(s) found in " + placesText(places));
        home = found.homes[index].path;
    }

    std::string tried;
    std::string failed; // files that are there but do not load
    for (const auto& candidate : libraryCandidates(home, places.libraryName)) {
        std::string why;
        if (auto library = open(candidate, why))
            return library;
        if (exists(candidate))
            failed += (failed.empty() ? "" : "; ") + candidate + ": " + why;
        tried += (tried.empty() ? "" : ", ") + candidate + " (" + why + ")";
    }
    if (!failed.empty())
        throw EOraError("Cannot load the Oracle client library " + failed);
    throw EOraError("No Oracle client library in the Oracle home " + home + ": tried " + tried);
}

std::string OciLibrary::versionText() const {
    sword major = 0, minor = 0, update = 0, patch = 0, port = 0;
    fn_.ClientVersion(&major, &minor, &update, &patch, &port);
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(update) +
           "." + std::to_string(patch) + "." + std::to_string(port);
}

OCIEnv* OciLibrary::environment() {
    std::lock_guard lock(envMutex_);
    if (env_)
        return env_;
    OCIEnv* env = nullptr;
    const sword rc = fn_.EnvNlsCreate(&env, OCI_THREADED, nullptr, nullptr, nullptr, nullptr, 0,
                                      nullptr, OCI_CHARSET_AL32UTF8, OCI_CHARSET_AL32UTF8);
    if (rc != OCI_SUCCESS && rc != OCI_SUCCESS_WITH_INFO) {
        std::string text = "OCIEnvNlsCreate failed (status " + std::to_string(rc) + ")";
        if (env) {
            sb4 code = 0;
            OraText buf[1024] = {};
            if (fn_.ErrorGet(env, 1, nullptr, &code, buf, sizeof buf, OCI_HTYPE_ENV) == OCI_SUCCESS)
                text += ": " + util::trimmed(reinterpret_cast<const char*>(buf));
            fn_.HandleFree(env, OCI_HTYPE_ENV);
        }
        throw EOraError(text + " (" + path_ + ")");
    }
    env_ = env;
    return env_;
}

TOciClientInfo detectClient(int homeIndex, const TOciSearchPlaces& places) {
    const auto library = OciLibrary::load(homeIndex, places);
    return {library->path(), library->versionText()};
}

} // namespace oradb::oci
