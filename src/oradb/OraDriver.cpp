#include "oradb/OraDriver.h"

#include "oradb/OraError.h"
#include "oradb/oci/OciDriver.h"
#include "sandbox/SandboxInstance.h"

#include <cstdlib>
#include <strings.h>

namespace oradb {

bool isSandboxServer(const std::string& server) {
    if (server.size() < 7 || strncasecmp(server.c_str(), "sandbox", 7) != 0)
        return false;
    if (server.size() == 7)
        return true;
    if (server[7] != ':')
        return false;
    // "sandbox:1521/orcl" is Easy Connect to a host called sandbox, not a file path.
    const auto portEnd = server.find('/', 8);
    const std::string port = server.substr(8, portEnd == std::string::npos ? portEnd : portEnd - 8);
    return port.empty() || port.find_first_not_of("0123456789") != std::string::npos;
}

std::unique_ptr<IDriverSession> connectDriver(const TConnectParams& params) {
    bool sandbox = isSandboxServer(params.server);
    if (const char* forced = std::getenv("QUENBY_DRIVER"); forced && *forced) {
        if (strcasecmp(forced, "sandbox") == 0)
            sandbox = true;
        else if (strcasecmp(forced, "oci") == 0)
            sandbox = false;
    }
    if (sandbox)
        return oradb::sandbox::Instance::open(params.server)
            ->connect(params.username, params.password, params.privilege);
    return oci::connect(params);
}

} // namespace oradb
