#!/bin/sh
# Installs the build into a fresh prefix and checks what the user gets: the three programs in
# one folder, menu entries that start them, and the login start that can be turned on and off.
# Usage: install_test.sh BUILD_DIR
set -eu
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" > "$work/install.log" || fail "cmake --install failed"
programs="$prefix/lib/corvane"
for program in corvane_110 corvane設定 corvane操作; do
    [ -x "$programs/$program" ] || fail "$program is not in the programs' folder $programs"
done
[ -f "$programs/libcorvane_sound.so" ] || fail "the runner's sound plugin is not beside it in $programs"
[ -x "$programs/corvane_import" ] || fail "the runner's calendar import is not beside it in $programs"
[ -x "$programs/corvane_reminder" ] || fail "the runner's reminder window program is not beside it in $programs"

# Each entry starts an installed program, whatever prefix was chosen at install time.
for entry in "$prefix/share/applications/corvane-controller.desktop" \
             "$prefix/share/applications/corvane-editor.desktop" \
             "$prefix/share/corvane/corvane-runner.desktop"; do
    [ -f "$entry" ] || fail "missing $entry"
    exec_line=$(sed -n 's/^Exec=//p' "$entry" | tr -d '"')
    [ -x "$exec_line" ] || fail "$entry starts '$exec_line', which is not an installed program"
    grep -q '^Icon=corvane$' "$entry" || fail "$entry has no icon"
    # Qt names a program's windows' class after its file: the taskbar matches them by it.
    [ "$(sed -n 's/^StartupWMClass=//p' "$entry")" = "$(basename "$exec_line")" ] \
        || fail "$entry's StartupWMClass is not its program's window class"
    # A Japanese desktop shows the Japanese generic name.
    grep -q '^GenericName\[ja\]=.*[^ -~]' "$entry" || fail "$entry has no Japanese GenericName"
    desktop-file-validate "$entry" || fail "$entry is not a valid desktop entry"
done
[ -f "$prefix/share/icons/hicolor/scalable/apps/corvane.svg" ] || fail "icon not installed"
# Each drawn size in the folder of its size, where icon themes look it up.
for size in 16 24 32 48 64 128 256; do
    png="$prefix/share/icons/hicolor/${size}x${size}/apps/corvane.png"
    [ -f "$png" ] || fail "the ${size}px icon is not installed as $png"
    # PNG header: width and height, 4 bytes each, big-endian, from byte 16.
    side="0 0 $((size / 256)) $((size % 256))"
    [ "$(od -An -tu1 -j16 -N8 "$png" | tr -s ' ')" = " $side $side" ] || fail "$png is not ${size}x${size}"
done

# Login start: off until the user turns it on.
export XDG_CONFIG_HOME="$work/config"
autostart="$prefix/bin/corvane-autostart"
[ "$("$autostart" status)" = "無効" ] || fail "autostart should start off"
"$autostart" on > /dev/null
cmp -s "$XDG_CONFIG_HOME/autostart/corvane-runner.desktop" "$prefix/share/corvane/corvane-runner.desktop" \
    || fail "autostart on did not place the runner's entry"
[ "$("$autostart" status)" = "有効" ] || fail "autostart status after on"
"$autostart" off > /dev/null
[ ! -e "$XDG_CONFIG_HOME/autostart/corvane-runner.desktop" ] || fail "autostart off left the entry"
if "$autostart" sideways 2> /dev/null; then fail "an unknown word was accepted"; fi
echo "installation checked in $prefix"
