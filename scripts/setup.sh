# Sourced by ./run and ./test: installs the Debian packages of packages.txt that are missing.
travek_install_packages() {
    local root
    root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
    local wanted missing=()
    wanted=$(grep -v '^\s*#' "$root/packages.txt" | grep -v '^\s*$')
    for p in $wanted; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "Installing missing packages: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

# Configures (once) and builds a preset.
travek_build() {
    local preset="$1"
    local root
    root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
    cd "$root" || return 1
    cmake --preset "$preset" >/dev/null || return 1
    cmake --build --preset "$preset" || return 1
}

# The Debian package of the Linux build in build/ (build/travek_<version>_amd64.deb), checked by
# lintian: an error or a warning fails, as it would fail a Debian archive's checks.
travek_package_deb() {
    local root
    root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
    cd "$root" || return 1
    rm -f build/travek_*.deb
    cpack --config build/CPackConfig.cmake -B build >/dev/null || return 1
    ls build/travek_*.deb
    lintian --fail-on error,warning build/travek_*.deb || return 1
}

# Configures and builds the Windows build (preset windows or windows-ci: mingw-w64, tests under
# wine). pty_echo is serial_pty_echo of a Linux build, which the Windows serial test on a pty needs;
# without it that test is skipped. gauge_sim is travek-sim of a Linux build, the gauge box of the
# Win32 end-to-end test.
travek_build_windows() {
    local preset="$1" pty_echo="${2:-}" gauge_sim="${3:-}"
    local root
    root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
    cd "$root" || return 1
    cmake --preset "$preset" -DTRAVEK_PTY_ECHO="$pty_echo" -DTRAVEK_GAUGE_SIM="$gauge_sim" >/dev/null || return 1
    cmake --build --preset "$preset" || return 1
}

# The Windows packages of a built Windows preset: travek-<version>-win64.zip and the NSIS
# installer, in build-windows/packages.
travek_package_windows() {
    local preset="$1"
    local root
    root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
    cd "$root" || return 1
    cmake --build --preset "$preset" --target package || return 1
    ls build-windows/packages/travek-*-win64.zip build-windows/packages/travek-*-win64.exe
}

# The C++ sources as .clang-format lays them out. Under CI a file that differs fails the run, with
# the list and the command that fixes it; elsewhere the list is a warning.
travek_check_format() {
    local root files off=()
    root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
    cd "$root" || return 1
    mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.c')
    for f in "${files[@]}"; do
        clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || off+=("$f")
    done
    [ ${#off[@]} -eq 0 ] && return 0
    echo "Not laid out as .clang-format says (${#off[@]} files):" >&2
    printf '  %s\n' "${off[@]}" >&2
    echo "Fix with: clang-format -i ${off[*]}" >&2
    [ "${CI:-}" = "true" ] && return 1
    return 0
}
