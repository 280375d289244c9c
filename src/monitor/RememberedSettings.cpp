#include "monitor/RememberedSettings.h"

#include "oradb/OraConnectDialog.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace monitor {

namespace {

const QString kAutoRefresh = QStringLiteral("Display/AutoRefresh");
const QString kInterval = QStringLiteral("Display/RefreshIntervalSeconds");
const QString kShowBackground = QStringLiteral("Display/ShowBackgroundSessions");
const QString kShowKilled = QStringLiteral("Display/ShowKilledSessions");
const QString kShowIdle = QStringLiteral("Display/ShowIdleEvents");
const QString kSortStatistic = QStringLiteral("Display/SortStatistic");
const QString kSortClass = QStringLiteral("Display/SortStatisticClass");
const QString kWindowRect = QStringLiteral("Window/Rect");
const QString kPage = QStringLiteral("Window/Page");
const QString kExportFolder = QStringLiteral("Folders/Export");
const QString kSortRate = QStringLiteral("Display/SortStatisticPerSecond");
const QString kListHeaders = QStringLiteral("Lists/");
const QString kListColumns = QStringLiteral("Display/SessionListColumns");

} // namespace

void SaveDisplayOptions(const TPvConnection& monitor) {
    const auto settings = oradb::connectSettings();
    settings->setValue(kAutoRefresh, monitor.AutoRefresh());
    settings->setValue(kInterval, monitor.RefreshInterval() / 1000);
    settings->setValue(kShowBackground, monitor.ShowBackgroundSessions);
    settings->setValue(kShowKilled, monitor.ShowKilledSessions);
    settings->setValue(kShowIdle, monitor.ShowIdleEvents);
    settings->setValue(kSortRate, monitor.ShowSortRate);
    settings->setValue(kListColumns, ColumnSetText(monitor.ListColumns));
    if (!monitor.SortStatisticName.empty()) {
        settings->setValue(kSortStatistic, QString::fromStdString(monitor.SortStatisticName));
        settings->setValue(kSortClass, QString::fromStdString(monitor.SortStatisticClass));
    }
}

void RestoreDisplayOptions(TPvConnection& monitor) {
    const auto settings = oradb::connectSettings();
    monitor.ShowBackgroundSessions =
        settings->value(kShowBackground, monitor.ShowBackgroundSessions).toBool();
    monitor.ShowKilledSessions = settings->value(kShowKilled, monitor.ShowKilledSessions).toBool();
    monitor.ShowIdleEvents = settings->value(kShowIdle, monitor.ShowIdleEvents).toBool();
    monitor.ShowSortRate = settings->value(kSortRate, monitor.ShowSortRate).toBool();
    // An empty text is a choice too: no optional column.
    if (settings->contains(kListColumns))
        monitor.ListColumns = ColumnSetFromText(settings->value(kListColumns).toString());
    bool ok = false;
    const int seconds = settings->value(kInterval).toInt(&ok);
    if (ok)
        monitor.SetRefreshInterval(seconds);
    monitor.SetAutoRefresh(settings->value(kAutoRefresh, monitor.AutoRefresh()).toBool());
    if (!monitor.Connected())
        monitor.RefreshTimer().stop();
}

bool RestoreSortStatistic(TPvConnection& monitor) {
    const auto settings = oradb::connectSettings();
    const std::string name = settings->value(kSortStatistic).toString().toStdString();
    if (name.empty() || name == monitor.SortStatisticName)
        return false;
    for (const TStatisticsType& s : monitor.StatisticNames) {
        if (s[1] != name)
            continue;
        monitor.SortStatisticNumber = s[0];
        monitor.SortStatisticName = s[1];
        const QString sortClass = settings->value(kSortClass).toString();
        monitor.SortStatisticClass = sortClass.isEmpty() ? s[2] : sortClass.toStdString();
        return true;
    }
    return false;
}

std::optional<QRect> SavedWindowRect() {
    const QRect rect = oradb::connectSettings()->value(kWindowRect).toRect();
    if (!rect.isValid())
        return std::nullopt;
    return rect;
}

void SaveWindowRect(const QRect& rect) {
    oradb::connectSettings()->setValue(kWindowRect, rect);
}

int SavedPage(int fallback) {
    bool ok = false;
    const int page = oradb::connectSettings()->value(kPage).toInt(&ok);
    return ok ? page : fallback;
}

void SavePage(int page) {
    oradb::connectSettings()->setValue(kPage, page);
}

QString RememberedFolder(const QString& key, const std::function<QString()>& fallback) {
    const QString saved = oradb::connectSettings()->value(key).toString();
    if (!saved.isEmpty() && QFileInfo(saved).isDir())
        return saved;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return fallback();
}

void RememberFolder(const QString& key, const QString& folder) {
    oradb::connectSettings()->setValue(key, folder);
}

QByteArray SavedListHeader(const QString& list) {
    return oradb::connectSettings()->value(kListHeaders + list).toByteArray();
}

void SaveListHeader(const QString& list, const QByteArray& state) {
    oradb::connectSettings()->setValue(kListHeaders + list, state);
}

QString LastExportFolder() {
    return RememberedFolder(kExportFolder, [] { return QDir::homePath(); });
}

void SaveExportFolder(const QString& folder) {
    RememberFolder(kExportFolder, folder);
}

QRect FitWindowRect(const std::optional<QRect>& saved, const QList<QRect>& screens,
                    const QRect& primary, const QSize& fallback) {
    if (saved && saved->isValid()) {
        for (const QRect& screen : screens) {
            if (screen.contains(*saved))
                return *saved;
        }
    }
    QRect rect(QPoint(0, 0), fallback.boundedTo(primary.size()));
    rect.moveCenter(primary.center());
    return rect;
}

} // namespace monitor
