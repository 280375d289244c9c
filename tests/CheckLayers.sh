#!/bin/sh
# Checks the layering that ARCHITECTURE.md describes, on the source tree given as $1:
# util includes nothing of ours, the engine folders hold no widgets and include nothing of the
# GUI, the activity history and the tools build on the monitor alone, and every source file is named in PascalCase (main.cpp aside). Prints each breach.
src="${1:?usage: CheckLayers.sh SRC_DIR}"
status=0
breach() { echo "$1"; status=1; }

for f in $(grep -rlE '#include "' "$src/util"); do
    grep -nE '#include "' "$f" | grep -vE '#include "util/' | while read -r line; do
        echo "util includes another layer: $f:$line"
    done
done | grep . && status=1

engine="$src/oradb $src/sandbox $src/monitor $src/detail $src/capture $src/history $src/util $src/tools"
grep -rnE '#include "gui/' $engine && status=1
grep -rnE '#include <(QtWidgets|QWidget|QDialog|QApplication|QMessageBox|QLabel|QTreeView|QAction|QMenu|QIcon|QStyle|QPixmap)[>/]' $engine &&
    status=1
grep -rnE '#include "(monitor|detail|capture|history)/' "$src/oradb" "$src/sandbox" && status=1
grep -rnE '#include "(detail|capture)/' "$src/history" "$src/tools" && status=1

for f in $(find "$src" -name '*.cpp' -o -name '*.h'); do
    name=$(basename "$f")
    case "$name" in
    main.cpp) ;;
    [A-Z]*) case "$name" in *_*) breach "file name not in PascalCase: $f" ;; esac ;;
    *) breach "file name not in PascalCase: $f" ;;
    esac
done
exit $status
