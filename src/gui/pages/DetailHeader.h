// What the detail pages share: their header strip (every session detail page) and the column
// widths of the "Session SQL" and "Session Locks" lists. User-interface thread only.
#pragma once

#include "monitor/Monitor.h"

#include <QString>

class QLabel;
class QTreeView;
class QWidget;

namespace gui::sqllocks {

// Fills a detail page's three header values from the selected session: the schema name cut to
// 15 characters, the machine to 25 and the program to 20.
void FillDetailHeader(monitor::TPvConnection& monitor, QLabel* username, QLabel* machine,
                      QLabel* program);
// Builds the header strip "Username:", "Machine:", "Program:" with the three value labels (in
// the highlight colour, at least 120 pixels wide) named as given.
QWidget* MakeDetailHeader(QWidget* parent, QLabel*& username, QLabel*& machine, QLabel*& program,
                          const QString& usernameName, const QString& machineName,
                          const QString& programName);
// Applies the model's column widths (UserRole of the header; -1 keeps the default width).
void ApplyListColumnWidths(QTreeView* view);

} // namespace gui::sqllocks
