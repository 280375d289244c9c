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
    return server.size() == 7 || server[7] == ':';
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
            ->connect(params.username, params.password);
    return oci::connect(params);
}

} // namespace oradb
