// The server-side component of the SQL capture: the two tables and their public synonyms, their
// install and uninstall statements, and the presence flag that gates the capture commands.
// User-interface thread only.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace oradb {
class TOraSession;
}

namespace capture {

// The statements, in the order they run.
const std::vector<std::string>& DropStatements();
// The four create statements for a storage clause ("<tablespace> NOLOGGING storage (...)").
std::vector<std::string> CreateStatements(const std::string& storage);
// The storage clause: the tablespace, or "system" when none is chosen, and the fixed suffix.
std::string StorageClause(const std::string& tablespace);

// The tablespaces in the order the server returns them; empty when the query fails.
std::vector<std::string> ListTablespaces(oradb::TOraSession* session);

class TServerComponent {
public:
    // Drops what exists (failures ignored), then creates the four objects; the first failing
    // create ends it, its message going to ShowError. True (and the flag set) when all four
    // were created.
    bool Install(oradb::TOraSession* session, const std::string& tablespace, bool& present);
    // Drops the four objects, ignoring every failure; the flag ends cleared.
    void Uninstall(oradb::TOraSession* session, bool& present);

    // Shows a failing create's own message (a plain message box in the dialog).
    std::function<void(const std::string&)> ShowError;
};

} // namespace capture
