// The server-side component of the SQL capture: the two tables and their public synonyms, their
// install and uninstall statements, and the presence flag that gates the capture commands.
// User-interface thread only.
#pragma once

#include <cstdint>
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

// The permanent tablespaces (not the temporary or undo ones, which cannot hold tables) in the
// order the server returns them; empty when the query fails.
std::vector<std::string> ListTablespaces(oradb::TOraSession* session);

// What of the component exists on the server: what an uninstall would drop.
struct TComponentInventory {
    std::vector<std::string> tables;   // the capture tables that exist
    std::vector<std::string> synonyms; // the public synonyms that lead to them
    std::int64_t collectors = 0;       // rows of the collector table
    std::int64_t capturedRows = 0;     // rows of the captured-SQL table
    bool Installed() const { return !tables.empty() || !synonyms.empty(); }
};
TComponentInventory ComponentInventory(oradb::TOraSession* session);
// The question asked before an uninstall, naming what will be dropped.
std::string UninstallQuestion(const TComponentInventory& inventory);
inline constexpr const char* kNothingInstalled =
    "The server component is not installed: there is nothing to remove.";
inline constexpr const char* kComponentRemoved = "The server component was removed.";

class TServerComponent {
public:
    // Drops what exists (failures ignored), then creates the four objects; the first failing
    // create ends it, its message going to ShowError. True (and the flag set) when all four
    // were created. A tablespace that is not a permanent one is refused before anything runs.
    bool Install(oradb::TOraSession* session, const std::string& tablespace, bool& present);
    // Drops the four objects, ignoring every failure; the flag ends cleared.
    void Uninstall(oradb::TOraSession* session, bool& present);

    // Shows a failing create's own message (a plain message box in the dialog).
    std::function<void(const std::string&)> ShowError;
};

} // namespace capture
