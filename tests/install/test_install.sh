#!/usr/bin/env bash
# Installs the built tree the ways a user and a packager do (staged, into a prefix
# that is then moved, as a .deb unpacked into a scratch root) and plays each
# installed copy from an empty folder, on a display of its own with xdotool as the
# player (the offscreen platform cannot be clicked from outside). Never touches
# the machine's own folders.
#   test_install.sh <build-folder> <files|run|deb> <version> <application id>
set -euo pipefail
sound_server=$(cd "$(dirname "$0")/../sound" && pwd)/sound-server
build=$(cd "$1" && pwd)
what=$2
version=$3
id=$4
scratch=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
mkdir "$scratch/empty"
mkdir -m 700 "$scratch/run" "$scratch/home"

# Whatever the desktop this runs on has set (its display, Wayland, a platform, a
# language), the game gets only what it is given here.
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
# game <variable=value...> <command> <arguments>: from the empty folder (as one process,
# so that $! is the game's own PID)
game=(env -i -C "$scratch/empty" PATH="$PATH" HOME="$scratch/home" XDG_RUNTIME_DIR="$scratch/run" LANG=C.UTF-8)

# A sound server of our own, as on a desktop, so the game has no reason to complain
# about sound; it lives in a folder of its own and meets no other.
start_sound() {
    mkdir "$scratch/sound"
    "$sound_server" "$scratch/sound" &
    pids+=($!)
    for _ in $(seq 200); do [ -s "$scratch/sound/server" ] && break; sleep 0.1; done
    [ -s "$scratch/sound/server" ] || fail "the sound server did not start"
    pulse=$(cat "$scratch/sound/server")
}

# Every file a desktop and a packager look for, and each icon as big as its folder says.
check_tree() { # <folder holding the prefix's files> <the prefix as listed> <list of installed files> <bin or games>
    local root=$1 prefix=$2 list=$3 bin=$4 want icons=0
    for want in "$bin/hopstone" libexec/hopstone/H_Stone share/games/hopstone/back.kzt share/games/hopstone/koma.kzt \
                share/games/hopstone/op.wav share/games/hopstone/001.wav share/applications/$id.desktop \
                share/metainfo/$id.metainfo.xml share/icons/hicolor/scalable/apps/$id.svg \
                share/man/man6/hopstone.6.gz share/doc/hopstone/copyright share/doc/hopstone/changelog.gz; do
        grep -qx "$prefix/$want" "$list" && [ -e "$root/$want" ] || fail "$want is not installed"
    done
    while read -r png; do
        local folder size
        folder=$(basename "$(dirname "$(dirname "$png")")")
        size=$(file -b "$png" | grep -o '[0-9]* x [0-9]*' | tr -d ' ')
        [ "$folder" = "$size" ] || fail "$png is $size pixels"
        icons=$((icons + 1))
    done < <(grep "/share/icons/hicolor/.*/apps/$id.png$" "$list" | sed "s|^$prefix|$root|")
    [ "$icons" -ge 8 ] || fail "only $icons PNG icons installed"
    [ -x "$root/$bin/hopstone" ] || fail "hopstone is not executable"
    [ "$(grep -c "^$prefix/\(bin\|games\)/[^/]\+$" "$list")" = 1 ] || fail "more than the hopstone command is on PATH"
    desktop-file-validate "$root/share/applications/$id.desktop" || fail "the launcher does not validate"
    appstreamcli validate --no-net --pedantic "$root/share/metainfo/$id.metainfo.xml" >"$scratch/as.log" 2>&1 &&
        appstream-util validate-relax --nonet "$root/share/metainfo/$id.metainfo.xml" >>"$scratch/as.log" 2>&1 ||
        { cat "$scratch/as.log"; fail "the metainfo does not validate"; }
}

refused() { # <name typed> <what it says> <variable=value...> <command> <arguments>: ends at once
    # with status 2 and one line of its own on stderr (Qt may add lines of its own); a game that
    # plays on instead is stopped by the timeout, not by ctest ten minutes later
    local name=$1 says=$2 status=0
    shift 2
    timeout 60 "${game[@]}" "$@" >"$scratch/out.log" 2>"$scratch/err.log" || status=$?
    [ "$status" = 2 ] && [ "$(grep -c "^$name: " "$scratch/err.log")" = 1 ] && [ ! -s "$scratch/out.log" ] &&
        grep -q "^$name: .*$says" "$scratch/err.log" ||
        fail "$* gave status $status and said: $(cat "$scratch/out.log" "$scratch/err.log")"
}

# ---- on a desktop: click through title and menu into each play screen ----
start_desktop() {
    start_sound
    # -noreset: between two xdotool calls no client may be left, and a server
    # resetting just then would refuse the game's first connection.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$scratch/display" 2>/dev/null &
    pids+=($!)
    for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.1; done
    export DISPLAY=":$(cat "$scratch/display")"
}

latin_fonts() { # -> a fontconfig file that knows no font with Japanese glyphs
    printf '<fontconfig><dir>%s</dir><cachedir>%s</cachedir></fontconfig>\n' /usr/share/fonts/truetype/dejavu \
        "$scratch/fc" >"$scratch/fonts.conf"
    echo "$scratch/fonts.conf"
}

visible() { xdotool search --onlyvisible --class Hopstone 2>/dev/null || true; }

wait_window() { # <caption> -> the id of the one visible window with that caption
    for _ in $(seq 150); do
        for w in $(visible); do
            [ "$(xdotool getwindowname "$w")" = "$1" ] && { echo "$w"; return; }
        done
        sleep 0.1
    done
    fail "no window '$1' appeared; the game said: $(cat "$scratch/game.log" 2>/dev/null)"
}

click_at() { # <window> <x fraction> <y fraction> of its size
    eval "$(xdotool getwindowgeometry --shell "$1")"
    xdotool mousemove --window "$1" "$(awk "BEGIN{print int($WIDTH*($2))}")" "$(awk "BEGIN{print int($HEIGHT*($3))}")" click 1
}

# Starts <command> from the empty folder and presses menu button <row> (0, 1, 2).
# Sets result to "ok" when the play screen is the one window open, "message" if a dialog shows instead.
open_play_screen() { # <command> <row>
    "${game[@]}" DISPLAY="$DISPLAY" PULSE_SERVER="$pulse" "$1" >"$scratch/game.log" 2>&1 &
    local pid=$! title menu screen
    pids+=("$pid")
    # The borderless title carries the application's name.
    title=$(wait_window Hopstone)
    click_at "$title" 0.5 0.5
    menu=$(wait_window "Hopstoneのｹﾞｰﾑﾓｰﾄﾞ")
    # The menu's buttons are in its left column, in rows a quarter of its height apart.
    click_at "$menu" 0.18 "0.13 + $2 * 0.256"
    screen=$(wait_window Hopstone)
    sleep 0.5
    if [ "$(visible | wc -l)" -ne 1 ] || xprop -id "$screen" _NET_WM_WINDOW_TYPE | grep -q DIALOG; then
        result=message
    else
        result=ok
        local class
        class=$(xprop -id "$screen" WM_CLASS | sed 's/.*, "\(.*\)"/\1/')
        grep -qx "StartupWMClass=$class" "$launcher" || fail "window class $class is not the launcher's"
    fi
    kill -0 "$pid" 2>/dev/null || fail "$1 ended: $(cat "$scratch/game.log")"
    kill "$pid"; wait "$pid" 2>/dev/null || true
    [ ! -s "$scratch/game.log" ] || fail "$1 printed: $(cat "$scratch/game.log")"
}

play_all_screens() { # <folder of the hopstone command of an installed prefix>
    launcher="$1/../share/applications/$id.desktop"
    for row in 0 1 2; do
        open_play_screen "$1/hopstone" "$row"
        [ "$result" = ok ] || fail "play screen $row showed a message"
    done
}

case "$what" in
files)
    # Staged: files land under DESTDIR and the manifest lists them there.
    DESTDIR="$scratch/stage" cmake --install "$build" --prefix /opt/hopstone >/dev/null
    check_tree "$scratch/stage/opt/hopstone" /opt/hopstone "$build/install_manifest.txt" bin
    # --prefix, then the whole tree moved: the command finds its files from where it lies.
    cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
    check_tree "$scratch/prefix" "$scratch/prefix" "$build/install_manifest.txt" bin
    mv "$scratch/prefix" "$scratch/moved"
    ln -s "$scratch/moved/bin/hopstone" "$scratch/empty/hop"
    for cmd in "$scratch/moved/bin/hopstone" "$scratch/empty/hop" "$scratch/moved/libexec/hopstone/H_Stone"; do
        name=$(basename "$cmd")
        [ "$(timeout 60 "${game[@]}" "$cmd" --version)" = "Hopstone $version" ] || fail "$cmd --version"
        [ "$(timeout 60 "${game[@]}" "$cmd" -platform offscreen --help | head -n 1)" = "Usage: $name [options]" ] || fail "$cmd --help"
        refused "$name" "Unknown option 'no-such-option'" QT_QPA_PLATFORM=offscreen "$cmd" -style fusion --no-such-option
    done
    # Qt's own options, as a session manager passes them, are not the game's to refuse.
    status=0
    "${game[@]}" timeout 5 "$scratch/moved/bin/hopstone" -platform offscreen -session 1234 >/dev/null 2>&1 || status=$?
    [ "$status" = 124 ] || fail "hopstone -platform offscreen -session 1234 ended with status $status"
    # Without a font that has Japanese glyphs: one line naming the package, and the game plays on.
    "${game[@]}" FONTCONFIG_FILE="$(latin_fonts)" timeout 5 "$scratch/moved/bin/hopstone" -platform offscreen \
        2>"$scratch/err.log" || true
    grep -q "^hopstone: .*fonts-ipafont-gothic" "$scratch/err.log" ||
        fail "no word on the missing Japanese font: $(cat "$scratch/err.log")"
    # A display that names nothing: one line and status 2, never Qt's abort.
    n=700; while [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    hop=$scratch/moved/bin/hopstone
    refused hopstone "could not open a display" DISPLAY=":$n" "$hop"
    refused hopstone "could not open a display" WAYLAND_DISPLAY="$scratch/none" XDG_SESSION_TYPE=wayland "$hop"
    refused hopstone "could not open a display" DISPLAY=":$n" "$hop" -session 1234
    # An unknown option is found before the display is missed, with a display or without.
    refused hopstone "Unknown option 'bogus'" "$hop" --bogus
    refused hopstone "Unknown option 'bogus'" DISPLAY=":$n" "$hop" -session 1234 --bogus
    # A platform plugin Qt does not have is named, and is no missing display.
    refused hopstone 'platform plugin named "nosuch"' "$hop" -platform nosuch
    refused hopstone 'platform plugin named "nosuch"' QT_QPA_PLATFORM=nosuch DISPLAY=":$n" "$hop"
    ;;
run)
    cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
    mv "$scratch/prefix" "$scratch/moved"
    start_desktop
    play_all_screens "$scratch/moved/bin"
    # The launcher's second action starts the game on the slower clock, which the menu's
    # caption tells.
    action=$(sed -n '/^\[Desktop Action slow-clock\]/,/^\[/s/^Exec=//p' "$scratch/moved/share/applications/$id.desktop")
    [ -n "$action" ] || fail "the launcher has no slower clock"
    "${game[@]}" DISPLAY="$DISPLAY" PULSE_SERVER="$pulse" "$scratch/moved/bin/"$action >"$scratch/game.log" 2>&1 &
    pids+=($!)
    click_at "$(wait_window Hopstone)" 0.5 0.5
    caption=
    for _ in $(seq 150); do
        for w in $(visible); do
            name=$(xdotool getwindowname "$w")
            [ "${name#Hopstoneのｹﾞｰﾑﾓｰﾄﾞ}" != "$name" ] && caption=${name#Hopstoneのｹﾞｰﾑﾓｰﾄﾞ}
        done
        [ -n "$caption" ] && break
        sleep 0.1
    done
    [ -n "$caption" ] || fail "the slower clock's menu does not say so: $(cat "$scratch/game.log")"
    kill "${pids[-1]}"
    # Without a font that has Japanese glyphs, a window says so between the title and the
    # menu, and Return closes it.
    "${game[@]}" DISPLAY="$DISPLAY" PULSE_SERVER="$pulse" FONTCONFIG_FILE="$(latin_fonts)" \
        "$scratch/moved/bin/hopstone" >"$scratch/game.log" 2>&1 &
    pids+=($!)
    click_at "$(wait_window Hopstone)" 0.5 0.5
    hint=
    for _ in $(seq 150); do
        for w in $(visible); do
            xprop -id "$w" _NET_WM_WINDOW_TYPE | grep -q DIALOG && hint=$w
        done
        [ -n "$hint" ] && break
        sleep 0.1
    done
    [ -n "$hint" ] && [ "$(visible)" = "$hint" ] || fail "no window alone tells of the missing Japanese font"
    xdotool key Return
    wait_window "Hopstoneのｹﾞｰﾑﾓｰﾄﾞ" >/dev/null
    for _ in $(seq 50); do grep -q "fonts-ipafont-gothic" "$scratch/game.log" && break; sleep 0.1; done
    grep -q "fonts-ipafont-gothic" "$scratch/game.log" || fail "no line on the missing font: $(cat "$scratch/game.log")"
    kill "${pids[-1]}"
    # The game itself still reads its files from where it starts: from elsewhere they are missing.
    open_play_screen "$scratch/moved/libexec/hopstone/H_Stone" 0
    [ "$result" = message ] || fail "H_Stone opened Board A without its files"
    ;;
deb)
    # Without dpkg-shlibdeps, or when it works out nothing, there is no package: one that
    # depends on no library would install and then not start.
    no_package() { # <PATH for cpack> <what cpack must say>
        local status=0
        (cd "$build" && PATH=$1 "$(command -v cpack)" -G DEB -B "$scratch/refused") >"$scratch/cpack.log" 2>&1 ||
            status=$?
        [ "$status" != 0 ] && ! ls "$scratch"/refused/*.deb >/dev/null 2>&1 && grep -q "$2" "$scratch/cpack.log" ||
            fail "cpack with PATH=$1 gave status $status and said: $(cat "$scratch/cpack.log")"
    }
    # A PATH with every command but dpkg-shlibdeps (cpack itself would still find it in
    # /usr/bin: only the build's own check can tell).
    mkdir "$scratch/tools"
    IFS=: read -ra folders <<<"$PATH"
    for folder in "${folders[@]}"; do
        [ -d "$folder" ] && find "$folder" -maxdepth 1 ! -type d -exec ln -s -t "$scratch/tools" {} + 2>/dev/null || true
    done
    rm -f "$scratch/tools/dpkg-shlibdeps"
    no_package "$scratch/tools" "scripts/install-deps --package"
    printf '#!/bin/sh\necho shlibs:Depends=\n' >"$scratch/tools/dpkg-shlibdeps"
    chmod +x "$scratch/tools/dpkg-shlibdeps"
    no_package "$scratch/tools" "dpkg-shlibdeps did not work them out"
    (cd "$build" && cpack -G DEB -B "$scratch/deb" >/dev/null)
    deb=$(ls "$scratch"/deb/hopstone_*.deb)
    info=$(dpkg-deb -I "$deb")
    for want in "Package: hopstone" "Section: games" "Depends: .*libqt6widgets6" "Depends: .*libpulse0" \
                "Depends: .*libc6" "Depends: fonts-ipafont-gothic | fonts-japanese-gothic"; do
        grep -q "^ $want" <<<"$info" || fail "the package's control data lacks '$want'"
    done
    # What a distribution asks of a package, down to its pedantic notes: not a word. Only a
    # Debug build (the sanitizers', the mutations') lacks fortified calls: they need the optimiser.
    suppress=()
    grep -qx "CMAKE_BUILD_TYPE:STRING=Debug" "$build/CMakeCache.txt" &&
        suppress=(--suppress-tags hardening-no-fortify-functions)
    LANG=C.UTF-8 lintian -I -E --pedantic "${suppress[@]}" "$deb" >"$scratch/lintian.log" 2>"$scratch/lintian.err" &&
        [ ! -s "$scratch/lintian.log" ] ||
        { cat "$scratch/lintian.log" "$scratch/lintian.err"; fail "lintian finds fault with the package"; }
    dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\.||' >"$scratch/contents"
    dpkg-deb -x "$deb" "$scratch/root"
    check_tree "$scratch/root/usr" /usr "$scratch/contents" games
    start_desktop
    play_all_screens "$scratch/root/usr/games"
    ;;
*) fail "unknown check $what" ;;
esac
