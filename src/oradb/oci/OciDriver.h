// The Oracle Call Interface driver: a driver session over the client library of the chosen
// Oracle home. connect() runs on the thread that logs in; the session it returns may be used by
// several threads at once (each with its own statement), and breakCall may come from any thread.
#pragma once

#include "oradb/OraDriver.h"
#include "oradb/OraError.h"
#include "oradb/oci/OciLibrary.h"

#include <memory>
#include <string>
#include <vector>

namespace oradb::oci {

// An error from an OCI call: the Oracle code and message, and the OCI function that failed.
class EOciError : public EOraError {
public:
    EOciError(int code, const std::string& text, std::string function)
        : EOraError(code, text), function_(std::move(function)) {}
    EOciError(const std::string& message, std::string function)
        : EOraError(message), function_(std::move(function)) {}
    // The OCI entry point that reported the error, e.g. "OCIStmtExecute".
    const std::string& function() const { return function_; }

private:
    std::string function_;
};

// Logs on to params.server as params.username through the client library of home index
// params.home, found in `places`. Raises EOraError (ORA-01017, ORA-12154 ... from the client, or
// the library that could not be loaded).
std::unique_ptr<IDriverSession> connect(const TConnectParams& params,
                                        const TOciSearchPlaces& places);
// The same, with the places of this workstation (environment and settings).
std::unique_ptr<IDriverSession> connect(const TConnectParams& params);

// The bind placeholders of a statement (":name"), in lower case and in order of appearance,
// each once; texts in quotes and comments are skipped.
std::vector<std::string> placeholderNames(const std::string& sql);

} // namespace oradb::oci
