#!/usr/bin/env bash
# Quenby developer entry point.
#   ./build.sh run        install what is missing, build, start Quenby (the login offers the sandbox)
#   ./build.sh test       install what is missing, build, run the test suite
#   ./build.sh asan       the test suite under AddressSanitizer + UndefinedBehaviorSanitizer
#   ./build.sh tsan       the test suite under ThreadSanitizer
#   ./build.sh stress [N] every test program N times (default 20), shuffled, under CPU load, on the
#                         Release and the ThreadSanitizer builds; prints runs, failures and hangs
#   ./build.sh fuzz [SECONDS]  build the libFuzzer targets (clang) and run each SECONDS (60)
#   ./build.sh package    build and make the Debian package build/quenby_VERSION_ARCH.deb
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(build-essential cmake qt6-base-dev qt6-svg-dev libsqlite3-dev libgtest-dev libgl-dev xvfb
          xauth tango-icon-theme)
JOBS=$(nproc)

install_missing() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

build() { # build DIR [cmake options...]
    local dir=$1
    shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" "$@" \
        >/dev/null
    cmake --build "$dir" -j"$JOBS"
}

# The sanitizer builds: optimised a little, without debug information, so that they build fast.
SANITIZER_FLAGS=(-DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-O1)

run_tests() { # run_tests DIR
    ctest --test-dir "$1" --output-on-failure -j"$JOBS"
}

TSAN_ENV="halt_on_error=1 suppressions=$PWD/tests/tsan.supp"

# stress_build DIR N TIMEOUT: runs each test program of DIR N times, each run a process of its own
# with the tests in a new random order, ended after TIMEOUT seconds (a hang). Adds to the counts
# RUNS, FAILURES and HANGS; keeps the output of every failed run in DIR/stress-logs.
stress_build() {
    local dir=$1 n=$2 limit=$3 logs="$1/stress-logs"
    rm -rf "$logs"
    mkdir -p "$logs"
    local programs
    programs=$(find "$dir/tests" -maxdepth 1 -type f -name 'quenby_*_tests' -perm -u+x | sort)
    for program in $programs; do
        local name failed=0 hung=0
        name=$(basename "$program")
        for ((i = 1; i <= n; i++)); do
            local log="$logs/$name.$i.log" status=0
            QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 TZ=UTC TSAN_OPTIONS="$TSAN_ENV" \
                QUENBY_SHOTS= timeout --kill-after=10 "$limit" "$program" --gtest_shuffle \
                --gtest_random_seed=$((RANDOM % 99999 + 1)) --gtest_repeat=1 >"$log" 2>&1 ||
                status=$?
            RUNS=$((RUNS + 1))
            if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
                HANGS=$((HANGS + 1))
                hung=$((hung + 1))
            elif [ "$status" -ne 0 ]; then
                FAILURES=$((FAILURES + 1))
                failed=$((failed + 1))
            else
                rm -f "$log"
            fi
        done
        echo "  $dir $name: $n runs, $failed failed, $hung hung"
        grep -h '^\[  FAILED  \] [A-Za-z]' "$logs/$name".*.log 2>/dev/null | grep -v ' listed below' |
            sort | uniq -c | sed 's/^/    /' || true
    done
}

# Two processes that keep the processors busy while the stress runs, ended with the script.
start_load() {
    for _ in 1 2; do
        (while :; do :; done) &
        LOAD_PIDS+=("$!")
    done
    trap 'kill "${LOAD_PIDS[@]}" 2>/dev/null || true' EXIT
}

case "${1:-}" in
run)
    install_missing
    build build
    echo "Starting Quenby. Without an Oracle client the login proposes the server 'sandbox':"
    echo "log in as system with the password lantern."
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        echo "(No display found: running on a virtual X display.)"
        exec xvfb-run -a build/src/quenby
    fi
    exec build/src/quenby
    ;;
test)
    install_missing
    build build
    run_tests build
    ;;
asan)
    install_missing
    build build-asan "${SANITIZER_FLAGS[@]}" -DQUENBY_SANITIZE=address
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 run_tests build-asan
    ;;
tsan)
    install_missing
    build build-tsan "${SANITIZER_FLAGS[@]}" -DQUENBY_SANITIZE=thread
    TSAN_OPTIONS="$TSAN_ENV" run_tests build-tsan
    ;;
stress)
    count=${2:-20}
    install_missing
    build build
    build build-tsan "${SANITIZER_FLAGS[@]}" -DQUENBY_SANITIZE=thread
    RUNS=0 FAILURES=0 HANGS=0 LOAD_PIDS=()
    start_load
    stress_build build "$count" 600
    stress_build build-tsan "$count" 1800
    echo "runs: $RUNS failures: $FAILURES hangs: $HANGS"
    [ "$FAILURES" -eq 0 ] && [ "$HANGS" -eq 0 ]
    ;;
fuzz)
    # clang and its sanitizer runtimes, for this command only.
    PACKAGES+=(clang libclang-rt-14-dev)
    install_missing
    build build-fuzz -DQUENBY_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ "${SANITIZER_FLAGS[@]}"
    tests/fuzz/run.sh build-fuzz "${2:-60}"
    ;;
package)
    # dpkg-shlibdeps (dpkg-dev) computes the package's dependencies; the desktop entry is checked.
    PACKAGES+=(dpkg-dev desktop-file-utils)
    install_missing
    build build
    desktop-file-validate desktop/quenby.desktop
    (cd build && cpack -G DEB)
    ;;
*)
    sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'
    exit 2
    ;;
esac
