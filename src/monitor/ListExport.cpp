#include "monitor/ListExport.h"

#include "util/DateTimeText.h"
#include "util/TextFileWriter.h"
#include "util/TextHelpers.h"

#include <QString>
#include <algorithm>
#include <cctype>
#include <functional>

namespace monitor {

namespace {

// Characters of a UTF-8 text (continuation bytes are not counted).
std::size_t characters(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string text(const QVariant& v) {
    return v.toString().toStdString();
}

} // namespace

TExportLayout ExportLayoutOf(const std::string& targetName) {
    const std::string name = util::lowerAscii(targetName);
    if (name == "lvsessionlist")
        return TExportLayout::SessionList;
    static const char* const plain[] = {"lvsystemparameter",
                                        "lvnlsparameter",
                                        "lvsystemevent",
                                        "lvmemory",
                                        "lvcurrentwaitinformation",
                                        "lvsessiondetails",
                                        "lvstatistics",
                                        "lvevents",
                                        "lvallsql",
                                        "lvlocks",
                                        "lvtopsql",
                                        "blockingtree"};
    for (const char* p : plain)
        if (name == p)
            return TExportLayout::PlainList;
    if (name == "redatabaseinfo")
        return TExportLayout::TextLines;
    return TExportLayout::None;
}

std::vector<int> ExportCellWidths(TExportLayout layout, const std::vector<std::string>& captions,
                                  const std::vector<int>& pixelWidths) {
    // The statistic column of the session list follows "Username"; its caption is the statistic's
    // name.
    std::size_t statistic = captions.size();
    for (std::size_t c = 0; c + 1 < captions.size(); ++c)
        if (captions[c] == "Username")
            statistic = c + 1;
    std::vector<int> n;
    for (std::size_t c = 0; c < captions.size(); ++c) {
        const int px = c < pixelWidths.size() ? std::max(0, pixelWidths[c]) : 0;
        if (layout != TExportLayout::SessionList)
            n.push_back(px / 5);
        else if (px == 0) // a hidden column is not written
            n.push_back(-1);
        else if (c == statistic) // follows its caption, not the screen
            n.push_back(static_cast<int>(characters(captions[c])) + 2);
        else if (captions[c] == "Machine" || captions[c] == "Logon_time")
            n.push_back(px / 5 + 10);
        else
            n.push_back(px / 5);
    }
    return n;
}

std::string ExportCell(const std::string& text, int n) {
    const std::size_t length = characters(text);
    if (n <= 0 || length >= static_cast<std::size_t>(n))
        return text;
    return text + std::string(static_cast<std::size_t>(n) - length, ' ');
}

std::string ExportHeading(TDateTime at, const std::string& serviceName) {
    return "Created at: " + util::formatDateTime(at) + " of " + serviceName;
}

void WriteExport(const TExportSource& source, TExportLayout layout, const std::string& path,
                 const std::string& heading) {
    util::TTextFileWriter file(path);
    if (layout == TExportLayout::TextLines) {
        for (const std::string& line : source.lines)
            file.WriteLine(line);
        file.Commit();
        return;
    }
    const QAbstractItemModel* model = source.model;
    const int columns = model ? model->columnCount() : 0;
    // The rows in the order shown with everything expanded: a tree's children follow their
    // parent, their first cell indented by two blanks a level.
    std::vector<std::pair<QModelIndex, int>> order;
    std::function<void(const QModelIndex&, int)> walk = [&](const QModelIndex& parent, int depth) {
        const int count = model->rowCount(parent);
        for (int r = 0; r < count; ++r) {
            const QModelIndex index = model->index(r, 0, parent);
            order.emplace_back(index, depth);
            if (model->hasChildren(index))
                walk(index, depth + 1);
        }
    };
    if (model)
        walk(QModelIndex(), 0);
    const int rows = static_cast<int>(order.size());
    std::vector<std::string> captions;
    for (int c = 0; c < columns; ++c)
        captions.push_back(text(model->headerData(c, Qt::Horizontal, Qt::DisplayRole)));
    const std::vector<int> n = ExportCellWidths(layout, captions, source.widths);

    file.WriteLine(heading);
    file.WriteLine(std::string());
    std::string line;
    for (int c = 0; c < columns; ++c)
        if (n[static_cast<std::size_t>(c)] >= 0)
            line +=
                ExportCell(captions[static_cast<std::size_t>(c)], n[static_cast<std::size_t>(c)]);
    file.WriteLine(line);
    for (int r = 0; r < rows; ++r) {
        line.clear();
        const auto& [row, depth] = order[static_cast<std::size_t>(r)];
        for (int c = 0; c < columns; ++c) {
            const QVariant cell = row.siblingAtColumn(c).data(Qt::DisplayRole);
            if (!cell.isValid()) {
                // The lines before the short row stay in the file.
                file.Commit();
                throw EExportRow(r, "Row " + std::to_string(r + 1) + " of the list has " +
                                        std::to_string(c) + " of its " + std::to_string(columns) +
                                        " cells; the export stopped there.");
            }
            if (n[static_cast<std::size_t>(c)] >= 0)
                line += ExportCell(c == 0 && depth > 0
                                       ? std::string(static_cast<std::size_t>(2 * depth), ' ') +
                                             text(cell)
                                       : text(cell),
                                   n[static_cast<std::size_t>(c)]);
        }
        file.WriteLine(line);
    }
    file.Commit();
}

std::string Export(TPvConnection& monitor, const std::string& format,
                   const std::function<TExportSource(QObject*)>& describe,
                   const std::function<std::string()>& askFileName) {
    if (format != "txt" || !monitor.ExportTarget)
        return {};
    const TExportSource source = describe(monitor.ExportTarget);
    const TExportLayout layout = ExportLayoutOf(source.name);
    if (layout == TExportLayout::None)
        return {};
    const std::string path = askFileName();
    if (path.empty())
        return {};
    // The list is read in one pass, after the dialog has closed.
    WriteExport(source, layout, path,
                layout == TExportLayout::TextLines
                    ? std::string()
                    : ExportHeading(util::now(), monitor.ServiceName()));
    return path;
}

} // namespace monitor
