#include "util/ManualLocation.h"

#include <QDir>
#include <QFileInfo>

namespace util {

QStringList ManualCandidates(const QString& programDir) {
    const QDir dir(programDir);
    return {
        QDir::cleanPath(dir.filePath(QStringLiteral("../share/doc/quenby/manual.htm"))),
        QDir::cleanPath(dir.filePath(QStringLiteral("manual.htm"))),
        QDir::cleanPath(QStringLiteral(QUENBY_SOURCE_DIR "/src/gui/manual.htm")),
    };
}

QString FindManual(const QString& programDir) {
    const QStringList candidates = ManualCandidates(programDir);
    for (const QString& path : candidates) {
        if (QFileInfo(path).isFile())
            return path;
    }
    return candidates.front();
}

} // namespace util
