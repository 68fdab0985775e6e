#!/usr/bin/env bash
# One script for both build trees.
#   ./build.sh run    install what is missing, build, start Lumaro.exe under Wine
#   ./build.sh test   install what is missing, build both trees, run every test
#   ./build.sh bench  build, then run the benchmarks
#   ./build.sh fuzz [SECONDS]  build the fuzz targets with clang and run each
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$top/build"
jobs="$(nproc 2>/dev/null || echo 2)"

need_packages() {
    local missing=()
    command -v i686-w64-mingw32-g++-posix >/dev/null || missing+=(g++-mingw-w64-i686-posix)
    [ -f /usr/i686-w64-mingw32/lib/libz.a ] || missing+=(libz-mingw-w64-dev)
    command -v cmake >/dev/null || missing+=(cmake)
    command -v g++ >/dev/null || missing+=(g++)
    [ -f /usr/include/zlib.h ] || missing+=(zlib1g-dev)
    command -v make >/dev/null || missing+=(make)
    command -v Xvfb >/dev/null || missing+=(xvfb)
    command -v xrdb >/dev/null || missing+=(x11-xserver-utils)
    command -v import >/dev/null && import -version >/dev/null 2>&1 || missing+=(imagemagick)
    [ -d /usr/src/googletest/googletest ] || missing+=(googletest)
    command -v wine >/dev/null || missing+=(wine)
    dpkg -s wine32:i386 >/dev/null 2>&1 || missing+=(wine32:i386)
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo dpkg --add-architecture i386
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
}

configure_and_build() {
    cmake -S "$top" -B "$build/host" -DCMAKE_BUILD_TYPE=Debug -DLUMARO_SANITIZE=ON >/dev/null
    cmake --build "$build/host" -j "$jobs"
    cmake -S "$top" -B "$build/win32" -DCMAKE_BUILD_TYPE=Debug \
        -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" \
        -DLUMARO_HOST_TOOLS="$build/host/tools" >/dev/null
    cmake --build "$build/win32" -j "$jobs"
}

xvfb_pid=""
start_xvfb() {
    local n
    for n in $(seq 90 140); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 </dev/null &
        xvfb_pid=$!
        export DISPLAY=":$n"
        for _ in $(seq 50); do
            if [ -e "/tmp/.X11-unix/X$n" ]; then
                # A resource database, as a desktop session has: without one Xlib
                # reads ~/.Xdefaults again for every device context Wine sets up.
                echo "Xft.antialias: 0" | xrdb -nocpp -merge >/dev/null 2>&1 || true
                return 0
            fi
            sleep 0.1
        done
    done
    echo "could not start Xvfb" >&2
    return 1
}

start_wine() {
    export LUMARO_WINEPREFIX="$build/wineprefix"
    export WINEPREFIX="$LUMARO_WINEPREFIX" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    # A persistent server and a booted prefix: without them every process waits
    # seconds for Wine's services, and ctest can hang on pipes they keep open.
    # The server needs the prefix's folder: started before it exists, it quits.
    mkdir -p "$WINEPREFIX"
    wineserver -p >/dev/null 2>&1 </dev/null &
    wine wineboot >/dev/null 2>&1 </dev/null || true
    if [ ! -f "$WINEPREFIX/.lumaro-configured-2" ]; then
        # There is no window manager on Xvfb: Wine draws the window frames itself,
        # and does not wait (about 2 s a window) for a manager to map its windows.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1 || true
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
        touch "$WINEPREFIX/.lumaro-configured-2"
    fi
}

stop_all() {
    [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" >/dev/null 2>&1 || true
}
trap stop_all EXIT

cmd="${1:-}"
case "$cmd" in
run)
    need_packages
    configure_and_build
    if [ -z "${DISPLAY:-}" ]; then
        start_xvfb
        start_wine
        wine "$build/win32/app/Lumaro.exe" &
        pid=$!
        sleep 6
        shot="$build/lumaro-screenshot.png"
        import -window root "$shot"
        kill "$pid" >/dev/null 2>&1 || true
        echo "No display: Lumaro ran under a virtual X server; screenshot: $shot"
    else
        start_wine
        wine "$build/win32/app/Lumaro.exe"
    fi
    ;;
test)
    need_packages
    configure_and_build
    start_xvfb
    start_wine
    status=0
    (cd "$build/host" && ctest --output-on-failure -j "$jobs") || status=1
    (cd "$build/win32" && ctest --output-on-failure -j "$jobs" --timeout 300) || status=1
    exit $status
    ;;
bench)
    need_packages
    configure_and_build
    start_xvfb
    start_wine
    wine "$build/win32/bench/LedBench.exe"
    wine "$build/win32/bench/CodecBench.exe"
    wine "$build/win32/bench/ResolveBench.exe" "$build/win32/app/Lumaro.exe"
    wine "$build/win32/bench/StackBench.exe"
    /usr/bin/time -f "vldebug on Lumaro.exe: %e s" "$build/host/tools/vldebug" \
        "$build/win32/app/LumaroBare.exe" "$top/app/Lumaro.options" "$build/vldata-bench.bin" >/dev/null
    "$top/bench/cpu-share.sh" "$build/win32/app/Lumaro.exe" 20
    ;;
fuzz)
    seconds="${2:-60}"
    if ! command -v clang++ >/dev/null || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
        sudo=""
        [ "$(id -u)" -eq 0 ] || sudo="sudo"
        $sudo apt-get update -q
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q clang libclang-rt-dev || \
            DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q clang libclang-rt-14-dev
    fi
    cmake -S "$top" -B "$build/host" -DCMAKE_BUILD_TYPE=Debug -DLUMARO_SANITIZE=ON >/dev/null
    cmake --build "$build/host" -j "$jobs" --target optblock
    CC=clang CXX=clang++ cmake -S "$top" -B "$build/fuzz" -DCMAKE_BUILD_TYPE=Debug -DLUMARO_FUZZ=ON >/dev/null
    cmake --build "$build/fuzz" -j "$jobs"
    # Seeds: Lumaro's own block behind each version selector (the first byte).
    seeds="$build/fuzz/seeds/options_stream_fuzz"
    mkdir -p "$seeds"
    "$build/host/tools/optblock" "$top/app/Lumaro.options" "$build/fuzz/lumaro-options.bin"
    for selector in 0 4 7 8 10 11; do
        { printf "\\$(printf '%03o' "$selector")"; cat "$build/fuzz/lumaro-options.bin"; } \
            > "$seeds/version-$selector.bin"
    done
    for target in "$build"/fuzz/tests/fuzz/*_fuzz; do
        corpus="$build/fuzz/corpus/$(basename "$target")"
        mkdir -p "$corpus" "$build/fuzz/seeds/$(basename "$target")"
        echo "== $(basename "$target") for ${seconds} s"
        "$target" -max_total_time="$seconds" -max_len=8192 "$corpus" "$build/fuzz/seeds/$(basename "$target")"
    done
    ;;
*)
    echo "usage: $0 run|test|bench|fuzz" >&2
    exit 2
    ;;
esac
