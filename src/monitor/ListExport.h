// List export to text files: the layouts by target name (session list, plain list, text lines),
// the cell widths from the columns' current display widths, the "Created at: " heading, and the
// export run that the main window starts for its export target. Widget-free: a list is read
// through its item model and the widths its view reports. User-interface thread only.
#pragma once

#include "monitor/Monitor.h"

#include <QAbstractItemModel>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace monitor {

enum class TExportLayout { None, SessionList, PlainList, TextLines };

// The layout that belongs to a target name (compared in lower case).
TExportLayout ExportLayoutOf(const std::string& targetName);

// What the export reads of its target: the control's name and either a list (its model, read
// row by row from the top level, and the current display width in pixels of each column) or the
// lines of a text area. A list cell without data (an invalid display value) is missing.
struct TExportSource {
    std::string name;
    const QAbstractItemModel* model = nullptr;
    std::vector<int> widths;
    std::vector<std::string> lines;
};

// The cell widths N of a list layout, one per column; -1 for a column that is not written.
std::vector<int> ExportCellWidths(TExportLayout layout, const std::vector<std::string>& captions,
                                  const std::vector<int>& pixelWidths);
// The text padded on the right with blanks to n characters; a longer text is kept whole.
std::string ExportCell(const std::string& text, int n);
// "Created at: " + date and time + " of " + the service name.
std::string ExportHeading(TDateTime at, const std::string& serviceName);

// A list row with fewer cells than the list has columns: the lines before it are in the file.
class EExportRow : public std::runtime_error {
public:
    EExportRow(int row, const std::string& text) : std::runtime_error(text), Row(row) {}
    int Row;
};

// Writes the source in its layout into `path` (temporary file renamed into place). Raises
// util::ETextFileError for a file that cannot be written (nothing is left under the name) and
// EExportRow for a short row (after committing the lines before it).
void WriteExport(const TExportSource& source, TExportLayout layout, const std::string& path,
                 const std::string& heading);

// The monitor's export: with format "txt", the export target described by `describe`, its
// layout chosen by name, the file named by `askFileName` (empty: cancelled). Returns the path
// written, or empty when nothing was written; raises as WriteExport.
std::string Export(TPvConnection& monitor, const std::string& format,
                   const std::function<TExportSource(QObject*)>& describe,
                   const std::function<std::string()>& askFileName);

} // namespace monitor
