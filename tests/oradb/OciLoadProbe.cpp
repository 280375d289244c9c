// A program that loads the Oracle client library as the driver does, in the environment it is
// started with, and prints what came of it: the library, ORACLE_HOME and TNS_ADMIN afterwards,
// and the client's files the loader holds (libclntsh*, libnnz*). Tests start it so that their
// own process keeps its environment and its loaded libraries. With "--plain FILE" it opens FILE
// with a bare dlopen, as any program that does not know about Oracle homes would.
#include "oradb/OraError.h"
#include "oradb/oci/OciLibrary.h"

#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <iostream>
#include <link.h>
#include <string>

namespace {

void printVariable(const char* name) {
    const char* value = std::getenv(name);
    std::cout << name << (value ? "=" + std::string(value) : std::string(" not set")) << "\n";
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--plain") == 0) {
        if (::dlopen(argv[2], RTLD_NOW | RTLD_LOCAL))
            return 0;
        std::cerr << ::dlerror() << "\n";
        return 1;
    }
    int status = 0;
    try {
        const auto library =
            oradb::oci::OciLibrary::load(0, oradb::oci::TOciSearchPlaces::system());
        std::cout << "library=" << library->path() << "\n"
                  << "version=" << library->versionText() << "\n";
    } catch (const oradb::EOraError& e) {
        std::cerr << e.what() << "\n";
        status = 1;
    }
    printVariable("ORACLE_HOME");
    printVariable("TNS_ADMIN");
    printVariable("LD_LIBRARY_PATH");
    ::dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void*) {
            if (info->dlpi_name && (std::strstr(info->dlpi_name, "libclntsh") ||
                                    std::strstr(info->dlpi_name, "libnnz")))
                std::cout << "loaded=" << info->dlpi_name << "\n";
            return 0;
        },
        nullptr);
    return status;
}
