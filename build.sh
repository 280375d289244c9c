#!/usr/bin/env bash
# Quenby developer entry point.
#   ./build.sh run        install what is missing, build, start Quenby (the login offers the sandbox)
#   ./build.sh test       install what is missing, build, run the test suite
#   ./build.sh asan       the test suite under AddressSanitizer + UndefinedBehaviorSanitizer
#   ./build.sh tsan       the test suite under ThreadSanitizer
#   ./build.sh fuzz [SECONDS]  build the libFuzzer targets (clang) and run each SECONDS (60)
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(build-essential cmake qt6-base-dev libsqlite3-dev libgtest-dev libgl-dev xvfb xauth
          tango-icon-theme)
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
    TSAN_OPTIONS="halt_on_error=1 suppressions=$PWD/tests/tsan.supp" run_tests build-tsan
    ;;
fuzz)
    # clang and its sanitizer runtimes, for this command only.
    PACKAGES+=(clang libclang-rt-14-dev)
    install_missing
    build build-fuzz -DQUENBY_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ "${SANITIZER_FLAGS[@]}"
    tests/fuzz/run.sh build-fuzz "${2:-60}"
    ;;
*)
    sed -n '2,7p' "$0" | sed 's/^# \{0,1\}//'
    exit 2
    ;;
esac
