// Where the program finds its manual: installed, beside the program in a build folder, or in the
// source tree the program was built from. Pure functions: any thread.
#pragma once

#include <QString>
#include <QStringList>

namespace util {

// The places looked at for manual.htm, in order, for a program in `programDir`:
// PROGRAM_DIR/../share/doc/quenby (an installed program), PROGRAM_DIR (a build folder, where the
// build copies it) and the source tree's src/gui.
QStringList ManualCandidates(const QString& programDir);

// The first candidate that exists; the installed place when none does, so that a message names
// where the manual belongs.
QString FindManual(const QString& programDir);

} // namespace util
