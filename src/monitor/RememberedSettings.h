// What Quenby remembers between runs, in the user's settings file that also keeps the login
// (~/.config/Quenby/Quenby.ini on Linux): the display and refresh options, the window's place,
// the last page shown and the last export folder; and where a remembered window goes when the
// screens have changed since. User-interface thread only.
#pragma once

#include "monitor/Monitor.h"

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QString>
#include <functional>
#include <optional>

namespace monitor {

// The display flags, auto refresh, its interval and the sort statistic of `monitor`.
void SaveDisplayOptions(const TPvConnection& monitor);
// Gives `monitor` the remembered display flags, auto refresh and interval (the refresh timer
// stays stopped until a connection starts it). Nothing changes when nothing is remembered.
void RestoreDisplayOptions(TPvConnection& monitor);
// Gives `monitor` the remembered sort statistic once its statistic names are loaded; a name the
// instance does not know is ignored. True when the sort statistic changed.
bool RestoreSortStatistic(TPvConnection& monitor);

// The window's normal rectangle (frame excluded) as last saved, if any.
std::optional<QRect> SavedWindowRect();
void SaveWindowRect(const QRect& rect);

// The last page shown (an index of the window's pages), or `fallback`.
int SavedPage(int fallback);
void SavePage(int page);

// The folder remembered under the settings key `key` while it still exists, else the user's
// documents folder, else what `fallback` gives (never the program's folder).
QString RememberedFolder(const QString& key, const std::function<QString()>& fallback);
void RememberFolder(const QString& key, const QString& folder);

// A list's header as last left (column widths, order and sort: QHeaderView::saveState), by the
// list's name; empty when nothing is remembered.
QByteArray SavedListHeader(const QString& list);
void SaveListHeader(const QString& list, const QByteArray& state);

// The folder of the last export; the user's documents folder (else home) before the first.
QString LastExportFolder();
void SaveExportFolder(const QString& folder);

// Where the window goes: `saved` when it lies wholly on one of `screens` (their available
// rectangles), else a window of `fallback` size (shrunk to fit) centred on `primary`.
QRect FitWindowRect(const std::optional<QRect>& saved, const QList<QRect>& screens,
                    const QRect& primary, const QSize& fallback);

} // namespace monitor
