#!/usr/bin/env bash
# Cross-builds brindle.exe for 64-bit Windows with MinGW-w64 (warnings as errors), runs every
# test under Wine, runs the example project through the packed brindle.exe under Wine with its
# settings in Wine's registry, and packs build-windows/brindle-VERSION-win64.zip. Builds the
# add-in's VBBrindle.dll for 32-bit Windows too (build-windows32, the DLL and its tests alone),
# runs its tests under 32-bit Wine, and packs both DLLs in build-windows/brindle-addin-VERSION-win.zip.
# Installs the cross compilers, Wine and Xvfb from Debian's packages when they are missing. Needs
# no display: Wine runs on a virtual screen of its own (Xvfb), where the suites that show windows
# run one at a time beside the others. Under CI (CI=true) a kernel that runs 32-bit programs
# must run 32-bit Wine too. Says how long each step took.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
mark=$SECONDS
# took WHAT: how long WHAT took since the last step.
took() {
    echo "windows: $1 took $((SECONDS - mark)) s"
    mark=$SECONDS
}
# Wine's 32-bit half, for the 32-bit DLL, needs Debian's i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo dpkg --add-architecture i386
fi
scripts/install-deps.sh g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix libz-mingw-w64-dev \
    googletest wine \
    wine64 wine32:i386 zip unzip binutils xvfb

# Whether the kernel runs 32-bit x86 programs at all: a static one that only exits, assembled
# here, so that the answer depends on no 32-bit package.
kernel_runs_32bit() {
    local probe
    probe="$(mktemp -d)"
    printf '.globl _start\n_start:\n    movl $1, %%eax\n    xorl %%ebx, %%ebx\n    int $0x80\n' \
        >"$probe/exit.s"
    local status=0
    { as --32 -o "$probe/exit.o" "$probe/exit.s" && ld -m elf_i386 -o "$probe/exit" "$probe/exit.o" &&
        "$probe/exit"; } 2>/dev/null || status=$?
    rm -rf "$probe"
    return "$status"
}

# Debian's wine command starts a 32-bit program. Where the kernel cannot run 32-bit programs,
# Wine's 64-bit loader runs the 64-bit ones, and what needs 32-bit Wine (the 32-bit DLL's tests,
# install.cmd, which registers both DLLs) is skipped, and said so. Where the kernel can, 32-bit
# Wine that does not start is a broken installation: under CI that fails the run.
wine32=1
if ! wine --version >/dev/null 2>&1; then
    wine32=""
    if kernel_runs_32bit; then
        if [ "${CI:-}" = true ]; then
            echo "error: this machine runs 32-bit programs, but 32-bit Wine does not start" \
                "(wine --version fails): install wine32:i386 or mend it; the 32-bit DLL's tests" \
                "and install.cmd must run under CI" >&2
            exit 1
        fi
        echo "note: 32-bit Wine does not start (wine --version fails), though this machine runs" \
            "32-bit programs: the 32-bit DLL's tests and install.cmd are not run; under CI this" \
            "fails" >&2
    else
        echo "************************************************************************" >&2
        echo "note: this machine's kernel cannot run 32-bit programs (Exec format error):" \
            "the 32-bit DLL is built, but its tests and install.cmd are NOT run here;" \
            "they run on a machine that can" >&2
        echo "************************************************************************" >&2
    fi
    wine() { /usr/lib/wine/wine64 "$@"; }
    wineboot() { /usr/lib/wine/wine64 wineboot "$@"; }
fi
dir=build-windows
cmake -S . -B "$dir" -G Ninja --toolchain cmake/MinGW.cmake -DCMAKE_BUILD_TYPE=Release \
    -DBRINDLE_WERROR=ON
cmake --build "$dir"
took "the 64-bit build"

work="$(mktemp -d)"
xvfb=""
build32=""
stop() {
    wineserver -k 2>/dev/null || true
    [ -z "$build32" ] || kill "$build32" 2>/dev/null || true
    [ -z "$xvfb" ] || { kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; }
    rm -rf "$work"
}
trap stop EXIT

# The 32-bit build (the DLL and its tests alone) goes on beside the 64-bit tests under Wine,
# which leave a core idle while they wait on the Wine server and on each other.
dir32=build-windows32
cmake -S . -B "$dir32" -G Ninja --toolchain cmake/MinGW32.cmake -DCMAKE_BUILD_TYPE=Release \
    -DBRINDLE_WERROR=ON >"$work/build32.log"
cmake --build "$dir32" --target VBBrindle dll_server_test >>"$work/build32.log" 2>&1 &
build32=$!

# Wine in a fresh prefix of its own, without the Mono and Gecko prompts, made without a
# display. Without a window manager Wine would wait for one at each window it hides: it draws
# the windows' frames itself.
export WINEPREFIX="$work/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
# Then on a virtual screen: the Wine server of the prefix's making must be gone first, as its
# desktop has no screen.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
wineserver -w
export DISPLAY=":$(head -n 1 "$work/display")"
# The Wine server and its services started here and kept until the end: started by a suite, they
# would hold that suite's output open until the last Wine program ended, and ctest would count
# the suites running beside it (minutes) as its own time.
wineserver -p
wine cmd /c exit >/dev/null 2>&1 </dev/null
took "starting Wine"

# Every suite once; those that show windows (label screen) hold a lock that keeps them from
# running at the same time as each other.
rm -rf "$dir/tests/results"
ctest --test-dir "$dir" --output-on-failure -j 3
took "the 64-bit tests under Wine"
# What Wine cannot run is skipped with its reason, test by test.
grep -ho '<testcase name="[^"]*"[^>]*classname="[^"]*"\|<skipped message="[^"]*"' \
    "$dir"/tests/results/*.xml | grep -B1 '<skipped' | sed -n 's/.*name="\([^"]*\)".*classname="\([^"]*\)"/skipped under Wine: \2.\1/p; s/<skipped message="\(.*&#x0A;\)\{0,1\}\(.*\)"/    \2/p' || true

status=0
wait "$build32" || status=$?
build32=""
if [ "$status" -ne 0 ]; then
    cat "$work/build32.log" >&2
    exit "$status"
fi
took "the rest of the 32-bit build"
# Both DLLs and brindle.exe load on Windows 7 SP1 (the 64-bit build's check ran with its tests).
ctest --test-dir "$dir32" -R '^programs_load_on_windows_7$' --output-on-failure

# The 32-bit DLL's tests, under 32-bit Wine in the same prefix, on the same screen.
rm -rf "$dir32/tests/results"
if [ -n "$wine32" ]; then
    ctest --test-dir "$dir32" -R '^dll_server_test$' --output-on-failure
    took "the 32-bit tests under Wine"
fi
if grep -ls 'no screen to make windows on' "$dir"/tests/results/*.xml \
    "$dir32"/tests/results/*.xml; then
    echo "the suites above were skipped for want of a screen, though Wine has a virtual one" >&2
    exit 1
fi

# The zip: brindle.exe and its templates side by side, the README and the license.
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$dir/CMakeCache.txt")"
name="brindle-$version-win64"
rm -rf "$dir/$name" "$dir/$name.zip"
cmake --install "$dir" --prefix "$dir/$name" >/dev/null
cp README.md "$dir/$name/"
test -f "$dir/$name/LICENSE"
(cd "$dir" && zip -qr "$name.zip" "$name")

# The add-in's zip: each DLL with the templates beside it, the scripts that register both per
# user or for all users (with CR LF, for cmd), the README and the license.
addin="brindle-addin-$version-win"
rm -rf "${dir:?}/$addin" "$dir/$addin.zip"
cmake --install "$dir" --prefix "$dir/$addin/x64" --component addin >/dev/null
cmake --install "$dir32" --prefix "$dir/$addin/x86" --component addin >/dev/null
for script in install.cmd uninstall.cmd; do
    sed 's/$/\r/' "scripts/addin/$script" >"$dir/$addin/$script"
done
cp README.md LICENSE "$dir/$addin/"
(cd "$dir" && zip -qr "$addin.zip" "$addin")

# install.cmd and uninstall.cmd under Wine, from the unpacked zip: the add-in in the add-in
# lists of the VB6 IDE and of both VBA editors, and gone again; then for all users (Wine's user
# is an administrator): the class and the VB6 IDE's list the machine's (the 32-bit view, as VB6
# is a 32-bit program), the VBA editors' lists still the user's, and gone again.
unzip -q "$dir/$addin.zip" -d "$work"
if [ -n "$wine32" ]; then
    addins=('HKCU\Software\Microsoft\Visual Basic\6.0\Addins\VBBrindle.Brindle'
            'HKCU\Software\Microsoft\VBA\VBE\6.0\Addins\VBBrindle.Brindle'
            'HKCU\Software\Microsoft\VBA\VBE\6.0\Addins64\VBBrindle.Brindle')
    (cd "$work/$addin" && wine cmd /c install.cmd)
    for key in "${addins[@]}"; do
        wine reg query "$key" /v FriendlyName | tr -d '\r' | grep -q 'REG_SZ *Visual Basic Brindle'
    done
    (cd "$work/$addin" && wine cmd /c uninstall.cmd)
    for key in "${addins[@]}" 'HKCU\Software\Classes\VBBrindle.Brindle'; do
        if wine reg query "$key" >/dev/null 2>&1; then
            echo "uninstall.cmd left $key" >&2
            exit 1
        fi
    done
    echo "install.cmd and uninstall.cmd registered the add-in for both bitnesses and left nothing."

    machine=('HKLM\Software\Classes\VBBrindle.Brindle'
             'HKLM\Software\Wow6432Node\Microsoft\Visual Basic\6.0\Addins\VBBrindle.Brindle'
             "${addins[@]:1}")
    (cd "$work/$addin" && wine cmd /c install.cmd /allusers) | tr -d '\r' | tee "$work/allusers.txt"
    grep -q '^Brindle is installed for all users' "$work/allusers.txt"
    wine reg query "${machine[1]}" /v FriendlyName | tr -d '\r' | grep -q 'REG_SZ *Visual Basic Brindle'
    for key in "${machine[@]}"; do
        wine reg query "$key" >/dev/null
    done
    if wine reg query 'HKCU\Software\Classes\VBBrindle.Brindle' >/dev/null 2>&1; then
        echo "install.cmd /allusers registered the class for the user too" >&2
        exit 1
    fi
    (cd "$work/$addin" && wine cmd /c uninstall.cmd /allusers)
    for key in "${machine[@]}"; do
        if wine reg query "$key" >/dev/null 2>&1; then
            echo "uninstall.cmd /allusers left $key" >&2
            exit 1
        fi
    done
    echo "install.cmd /allusers and uninstall.cmd /allusers registered the add-in for all users" \
        "and left nothing."
fi

# End to end under Wine, from the unpacked zip, in a folder without the default templates:
# add-all, check, then remove-code-all gives back every byte. The settings are Wine's
# registry's, and a team's brindle.ini beside the project names its own module header (with a
# backslash, as written by hand).
unzip -q "$dir/$name.zip" -d "$work"
exe="$work/$name/brindle.exe"
key='HKCU\Software\VB and VBA Program Settings\VBBrindle\Options'
cp -r examples "$work/original"
mkdir "$work/original/Team"
printf "' Team header of %%ModuleName%% by %%Author%%\r\n" >"$work/original/Team/Header.txt"
printf '[Options]\r\nModule Header Filename=Team\\Header.txt\r\n' >"$work/original/brindle.ini"
cp -r "$work/original" "$work/Inventory"
cd "$work/Inventory"
unset BRINDLE_SETTINGS
wine reg add "$key" /v Author /t REG_SZ /d "Ann from the registry" /f >/dev/null
wine "$exe" options --splash off | tr -d '\r' | tee "$work/options.txt"
grep -q '^settings-key  *HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\VBBrindle$' \
    "$work/options.txt"
grep -q '^author  *Ann from the registry$' "$work/options.txt"
wine reg query "$key" /v "Disable Splash" | tr -d '\r' | grep -q 'REG_SZ *True'
grep -q '^team-settings  *Z:.*\\Inventory\\brindle.ini$' "$work/options.txt"
grep -q '^module-header-template .*\\Inventory\\Team\\Header.txt .*(from brindle.ini)$' \
    "$work/options.txt"
status=0
wine "$exe" check Inventory.vbp --quiet >/dev/null || status=$?
if [ "$status" -ne 1 ]; then
    echo "brindle check before add-all exited with $status, not 1 for its findings" >&2
    exit 1
fi
wine "$exe" add-all Inventory.vbp --yes --quiet
grep -q "' Team header of modMain by Ann from the registry" modMain.bas
grep -q "' \[Brindle Begin\]" frmMain.frm
wine "$exe" check Inventory.vbp --format json | tr -d '\r' | grep -q '"findings": \[\]'
wine "$exe" remove-code-all Inventory.vbp --yes --quiet
diff -r ../original .
echo "brindle.exe under Wine gave every file back byte for byte, its settings in the registry"
echo "and the team's brindle.ini."
echo "$dir/$name.zip"
echo "$dir/$addin.zip"
took "packing and the example under Wine"
echo "The Windows build, its tests and checks took $((SECONDS - start)) s."
