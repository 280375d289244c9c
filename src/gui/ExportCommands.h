// The main window's clipboard, select-all and "Export to File" commands, over any list view or
// text area: the shared popup menu exportMenu with one export item per exportable page, the show
// rule of each export command, the save dialog, and the export run that sets the monitor's export
// target and writes the file (monitor/ListExport). Wiring a new list is one call of AddExport (and
// AttachPopup for exportMenu). User-interface thread only.
#pragma once

#include "monitor/ListExport.h"
#include "monitor/Monitor.h"

#include <QObject>
#include <QString>
#include <functional>
#include <vector>

class QAction;
class QMenu;
class QTabWidget;
class QWidget;

namespace gui {

// The export source of a control: a list view (its name, model and current column widths) or a
// text area (its name and lines). Any other control gives a source without a layout.
monitor::TExportSource ExportSourceOf(QObject* control);

// Shows the save dialog (the program's folder, "Text files (*.txt)", default extension "log",
// confirmation before overwriting); the chosen path, or empty when cancelled.
QString AskExportFileName(QWidget* parent);

class TExportCommands final : public QObject {
    Q_OBJECT
public:
    // `pages` tells the active page; message boxes and the save dialog open over `window`.
    TExportCommands(monitor::TPvConnection& monitor, QTabWidget* pages, QWidget* window);

    // An "Export to File" command named `command` with the menu item `item` in `menu` (exportMenu
    // when null): shown while `page` is active and the control has at least `minRows` rows (0:
    // always on its page). Returns the command.
    QAction* AddExport(const char* command, const char* item, int page,
                       std::function<QObject*()> control, int minRows, QMenu* menu = nullptr);
    // Opens exportMenu on a right mouse press on the control.
    void AttachPopup(QWidget* control);
    // A text area that "&Copy" and "Select &All" act on while `page` is active.
    void AddTextArea(int page, std::function<QWidget*()> area);

    // Show rules of the export commands, and the enabling of copy and select-all.
    void UpdateVisibility();
    void UpdateEditActions(QAction* copy, QAction* selectAll);
    void Copy();
    void SelectAll();

    // Sets the monitor's export target to the control and runs the export ("txt"); failures
    // are shown in an error box.
    void ExportControl(QObject* control);

    // Asks for the file name (the save dialog unless a test or tool replaces it).
    std::function<QString()> FileNameProvider;

    QMenu* exportMenu = nullptr;
    QAction* Command(const char* name) const;
    QAction* MenuItem(const char* name) const;

private:
    struct TExport {
        QAction* command;
        QAction* item;
        int page;
        std::function<QObject*()> control;
        int minRows;
    };
    struct TTextArea {
        int page;
        std::function<QWidget*()> area;
    };
    QWidget* ActiveTextArea() const;
    monitor::TPvConnection& monitor_;
    QTabWidget* pages_;
    QWidget* window_;
    std::vector<TExport> exports_;
    std::vector<TTextArea> textAreas_;
};

} // namespace gui
