#!/usr/bin/env bash
# Runs every benchmark against a build folder and prints a table of the figures.
#
#   bench/run_benchmarks.sh <build-dir> [options]
#
#   --runs N          start-up runs of each program, after one warm-up run (default 21)
#   --memory-runs N   whole-game memory runs (default 5)
#   --idle-seconds N  length of each idle phase (default 10)
#   --games N         games of 20 measured moves each (default 10)
#   --ticks N         countdown ticks (default 10, the quick run)
#   --long            the whole countdown: 120 ticks, about two minutes (and as long
#                     again for the plain-QTimer baseline)
#   --muted           no sounds in the game benchmarks (they play them by default, as the game does)
#   --only LIST       comma-separated subset of: startup,memory,idle,move,countdown,sound
#   --pulse           run everything against a private sound server with a null sink
#                     (tests/sound/sound-server; the sound phase always starts one of its own)
#
# Without a DISPLAY the script starts itself again under xvfb-run. Every program's
# own output is kept in <build-dir>/bench-results/ for the details behind the table.
set -euo pipefail

original_args=("$@")
here=$(cd "$(dirname "$0")" && pwd)
if [[ $# -lt 1 || $1 == -h || $1 == --help ]]; then
    sed -n '2,19p' "$0" | sed 's/^# \{0,1\}//'
    exit 2
fi
build=$(cd "$1" && pwd)
shift
# The benchmarks are built only on request; this is the request.
cmake -S "$(dirname "$0")/.." -B "$build" -DHOPSTONE_BENCH=ON >/dev/null
cmake --build "$build" -j2 >/dev/null

runs=21
memory_runs=5
idle_seconds=10
games=10
ticks=10
muted=()
pulse=
only=startup,memory,idle,move,countdown,sound
while [[ $# -gt 0 ]]; do
    case $1 in
        --runs) runs=$2; shift 2 ;;
        --memory-runs) memory_runs=$2; shift 2 ;;
        --idle-seconds) idle_seconds=$2; shift 2 ;;
        --games) games=$2; shift 2 ;;
        --ticks) ticks=$2; shift 2 ;;
        --long) ticks=120; shift ;;
        --muted) muted=(--muted); shift ;;
        --pulse) pulse=1; shift ;;
        --only) only=$2; shift 2 ;;
        *) echo "unknown option: $1" >&2; exit 2 ;;
    esac
done

# The figures are about drawing on a real display: the offscreen platform would
# leave out the window system entirely.
if [[ ${QT_QPA_PLATFORM:-} == offscreen ]]; then
    unset QT_QPA_PLATFORM
fi
if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} ]]; then
    if [[ -n ${HOPSTONE_BENCH_UNDER_XVFB:-} ]]; then
        echo "xvfb-run gave no DISPLAY" >&2
        exit 1
    fi
    export HOPSTONE_BENCH_UNDER_XVFB=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$0" "${original_args[@]}"
fi

bench=$build/bench
game=$build/game
for program in bench_startup_game bench_startup_bare bench_game_memory bench_idle bench_move bench_countdown bench_sound; do
    if [[ ! -x $bench/$program ]]; then
        echo "$bench/$program is missing: build the benchmarks first (HOPSTONE_BENCH=ON)" >&2
        exit 1
    fi
done
for file in back.kzt koma.kzt op.wav 001.wav; do
    if [[ ! -f $game/$file ]]; then
        echo "$game/$file is missing: build the target game_files first" >&2
        exit 1
    fi
done
results=$build/bench-results
mkdir -p "$results"
cd "$game"

# A sound server as a desktop has one: every sound call really reaches a sink.
if [[ -n $pulse ]]; then
    sound_dir=$(mktemp -d /tmp/hopstone-bench-sound-XXXXXX)
    "$here/../tests/sound/sound-server" "$sound_dir" > "$results/sound-server.log" 2>&1 &
    sound_pid=$!
    trap 'kill "$sound_pid"; wait "$sound_pid" || true; rm -rf "$sound_dir"' EXIT
    for ((i = 0; i < 200; i++)); do
        [[ -s $sound_dir/server ]] && break
        sleep 0.05
    done
    [[ -s $sound_dir/server ]] || { echo "the sound server did not start: $results/sound-server.log" >&2; exit 1; }
    export PULSE_SERVER=$(cat "$sound_dir/server") PULSE_COOKIE=$sound_dir/cookie  # not in the home
fi

wanted() { [[ ,$only, == *,$1,* ]]; }
field() { grep -o "\(^\| \)$1=[-+0-9.]*" | head -n 1 | sed 's/.*=//'; }
values() { while IFS= read -r l; do printf '%s\n' "$l" | field "$1"; done; }
median() { sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) print "nan"; else if (NR % 2) print v[(NR + 1) / 2]; else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
calc() { awk "BEGIN { printf \"$1\", $2 }"; }

rows=()
row() { rows+=("$(printf '%-42s | %-34s | %-17s | %s' "$1" "$2" "$3" "$4")"); }
verdict() { if awk "BEGIN { exit !($1) }"; then echo met; else echo MISSED; fi; }

# Timings on a shared machine mean little without the load they were taken under.
echo "Hopstone benchmarks: build $build, display ${DISPLAY:-$WAYLAND_DISPLAY}, $(nproc) cores, results in $results"
echo "sound server: ${PULSE_SERVER:-the desktop default, if any}"
echo "load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"

# 1 and 2: start-up time and its peak memory, the game against the bare program.
if wanted startup || wanted memory; then
    echo "start-up: 1 warm-up + $runs runs of each program, alternating"
    : > "$results/startup_game.txt"
    : > "$results/startup_bare.txt"
    for ((i = 0; i <= runs; i++)); do
        for which in game bare; do
            # $EPOCHREALTIME is read by this shell before it forks the program.
            line=$("$bench/bench_startup_$which" --t0="$EPOCHREALTIME" 2>>"$results/startup_$which.stderr")
            if [[ $line != *first_paint_ms=* ]]; then
                echo "bench_startup_$which failed: $line" >&2
                exit 1
            fi
            if ((i > 0)); then
                echo "$line" >> "$results/startup_$which.txt"
            fi
        done
    done
    game_paint=$(values first_paint_ms < "$results/startup_game.txt" | median)
    bare_paint=$(values first_paint_ms < "$results/startup_bare.txt" | median)
    game_frame=$(values frame_ms < "$results/startup_game.txt" | median)
    bare_frame=$(values frame_ms < "$results/startup_bare.txt" | median)
    game_rss=$(values maxrss_kb < "$results/startup_game.txt" | median)
    bare_rss=$(values maxrss_kb < "$results/startup_bare.txt" | median)
    if wanted startup; then
        row "start-up to first paint (median of $runs)" "$game_paint ms vs $bare_paint ms" "ratio <= 1.3" \
            "ratio $(calc %.3f "$game_paint / $bare_paint"): $(verdict "$game_paint / $bare_paint <= 1.3")"
        row "start-up to first frame out (median of $runs)" "$game_frame ms vs $bare_frame ms" "(ratio <= 1.3)" \
            "ratio $(calc %.3f "$game_frame / $bare_frame"): $(verdict "$game_frame / $bare_frame <= 1.3")"
    fi
    if wanted memory; then
        above=$(calc %.1f "($game_rss - $bare_rss) / 1024")
        row "peak RSS at start-up (median of $runs)" "$game_rss kB vs $bare_rss kB" "<= 10 MB above" \
            "+$above MB: $(verdict "$above <= 10")"
    fi
fi

if wanted memory; then
    if [[ -z ${bare_rss:-} ]]; then
        for ((i = 0; i < runs; i++)); do
            "$bench/bench_startup_bare" 2>/dev/null
        done > "$results/startup_bare.txt"
        bare_rss=$(values maxrss_kb < "$results/startup_bare.txt" | median)
    fi
    echo "memory: whole Board B game, $memory_runs runs"
    : > "$results/game_memory.txt"
    for ((i = 0; i < memory_runs; i++)); do
        "$bench/bench_game_memory" "${muted[@]}" >> "$results/game_memory.txt" 2>>"$results/game_memory.stderr" || {
            echo "bench_game_memory failed" >&2
            exit 1
        }
    done
    # Where the difference lies: the program's own (anonymous) pages against file pages.
    "$bench/bench_game_memory" "${muted[@]}" --smaps > "$results/game_memory_smaps.txt" 2>/dev/null || true
    "$bench/bench_startup_bare" --smaps > "$results/startup_bare_smaps.txt" 2>/dev/null || true
    game_rss_full=$(grep '^game ' "$results/game_memory.txt" | values maxrss_kb | median)
    cleared=$(grep -c 'cleared=1' "$results/game_memory.txt" || true)
    above=$(calc %.1f "($game_rss_full - $bare_rss) / 1024")
    row "peak RSS, whole Board B game (median of $memory_runs)" "$game_rss_full kB vs $bare_rss kB" "<= 8 MB above" \
        "+$above MB: $(verdict "$above <= 8") ($cleared/$memory_runs cleared)"
    game_line=$(grep '^smaps rss' "$results/game_memory_smaps.txt" || true)
    bare_line=$(grep '^smaps rss' "$results/startup_bare_smaps.txt" || true)
    game_anon=$(echo "$game_line" | field anonymous_kb)
    bare_anon=$(echo "$bare_line" | field anonymous_kb)
    if [[ -n $game_anon && -n $bare_anon ]]; then
        # Whatever is resident and not anonymous is file pages: code, data of libraries, fonts.
        game_file=$(($(echo "$game_line" | field rss_kb) - game_anon))
        bare_file=$(($(echo "$bare_line" | field rss_kb) - bare_anon))
        own=$(calc %.1f "($game_anon - $bare_anon) / 1024")
        row "  anonymous pages (heap, pixels), at end" "$game_anon kB vs $bare_anon kB" "<= 8 MB above" \
            "+$own MB: $(verdict "$own <= 8")"
        row "  file pages (code, fonts), at end" "$game_file kB vs $bare_file kB" "(shared, fixed)" \
            "+$(calc %.1f "($game_file - $bare_file) / 1024") MB"
    fi
fi

# 3: nothing wakes the process while it waits for the player.
if wanted idle; then
    echo "idle: ${idle_seconds} s on the menu, ${idle_seconds} s on a waiting Board B screen"
    "$bench/bench_idle" --seconds "$idle_seconds" "${muted[@]}" > "$results/idle.txt" 2>"$results/idle.stderr"
    for phase in menu board_b_waiting; do
        line=$(grep "^phase=$phase " "$results/idle.txt")
        timers=$(echo "$line" | field timer_events)
        main_vcs=$(echo "$line" | field main_vcs)
        all_vcs=$(echo "$line" | field all_vcs)
        row "idle ${idle_seconds} s: $phase" "$timers timer events; wakes $main_vcs main, $all_vcs all" "0 timer events" \
            "$(verdict "$timers == 0") (1 wake is the call that ends the wait)"
    done
    line=$(grep "^phase=roulette_spinning " "$results/idle.txt")
    cpu=$(echo "$line" | field cpu_pct)
    wakes=$(calc %.0f "$(echo "$line" | field all_vcs) / $idle_seconds")
    row "roulette spinning ${idle_seconds} s" "$cpu % of a core, $wakes wake-ups/s" "< 1 %, < 100/s" \
        "$(verdict "$cpu < 1 && $wakes < 100")"
fi

# 4: one move, release to repaint, and what the repaint covers.
if wanted move; then
    echo "move: 20 measured moves in each of $games Board B games"
    "$bench/bench_move" --games "$games" "${muted[@]}" > "$results/move.txt" 2>"$results/move.stderr"
    line=$(grep '^move ' "$results/move.txt")
    paint=$(grep '^paint painted' "$results/move.txt")
    med=$(echo "$line" | field median_of_game_medians_ms)
    p90=$(echo "$line" | field p90_ms)
    max=$(echo "$line" | field max_ms)
    row "move: release to 3 cells repainted" "median $med ms, p90 $p90, max $max" "< 16 ms" \
        "$(verdict "$max < 16") (median of $games game medians; max over all moves)"
    painted=$(echo "$paint" | field painted_px_median)
    expected=$(echo "$paint" | field expected_px_median)
    excess=$(echo "$paint" | field excess_px_max)
    window=$(echo "$paint" | field window_px)
    row "move: area repainted" "$painted px of $window" "3 cells + label" \
        "$(verdict "$excess == 0") (expected $expected px, outside it: $excess px at most)"
fi

# 5: the countdown's ticks against start + k * 980 ms.
if wanted countdown; then
    echo "countdown: $ticks ticks of Board B's Timer2 (about $((ticks * 98 / 100 + 3)) s)"
    "$bench/bench_countdown" --ticks "$ticks" "${muted[@]}" > "$results/countdown.txt" 2>"$results/countdown.stderr"
    line=$(grep '^countdown ' "$results/countdown.txt")
    maxabs=$(echo "$line" | field max_abs_offset_ms)
    minoff=$(echo "$line" | field min_offset_ms)
    maxoff=$(echo "$line" | field max_offset_ms)
    drift=$(echo "$line" | field drift_ms_per_tick)
    outside=$(echo "$line" | field outside_2ms)
    fromfirst=$(echo "$line" | field max_abs_from_first_ms)
    row "countdown: $ticks ticks, offset from start+k*980" "$minoff..$maxoff ms" "every tick +-2 ms" \
        "max |offset| $maxabs ms: $(verdict "$maxabs <= 2") ($outside outside)"
    row "countdown: drift trend" "$drift ms/tick" "no drift" "tick-to-tick jitter (from tick 1) $fromfirst ms at most"
    # The same measurement on a bare QTimer: how late Qt's timers are here without the game.
    echo "countdown baseline: $ticks ticks of a plain 980 ms QTimer"
    "$bench/bench_countdown" --plain --ticks "$ticks" > "$results/countdown_plain.txt" 2>"$results/countdown_plain.stderr"
    line=$(grep '^countdown ' "$results/countdown_plain.txt")
    row "  baseline: plain QTimer, same measurement" \
        "$(echo "$line" | field min_offset_ms)..$(echo "$line" | field max_offset_ms) ms" "(diagnosis)" \
        "max |offset| $(echo "$line" | field max_abs_offset_ms) ms, $(echo "$line" | field drift_ms_per_tick) ms/tick"
fi

# 6: sound against a daemon of its own: latency, 200 play-screen visits, two huge wave files.
if wanted sound; then
    echo "sound: latency, 200 Board B visits, two 60 MB wave files, 20 starts under load"
    "$bench/bench_sound" > "$results/sound.txt" 2>"$results/sound.stderr"
    for kind in reveal open closed; do
        line=$(grep "^latency_$kind " "$results/sound.txt")
        p95=$(echo "$line" | field p95_ms)
        row "sound: start to first sample, $kind" "p50 $(echo "$line" | field p50_ms) ms, p95 $p95, max $(echo "$line" | field max_ms)" \
            "p95 <= 30 ms" "$(verdict "$p95 <= 30") ($(echo "$line" | field heard) heard of $(echo "$line" | field starts))"
    done
    line=$(grep '^visits ' "$results/sound.txt")
    growth=$(echo "$line" | field growth_kb)
    row "sound: heap growth, visits 10 to 200" "$growth kB" "< 1 MB" "$(verdict "$growth < 1024")"
    line=$(grep '^huge ' "$results/sound.txt")
    growth=$(echo "$line" | field growth_kb)
    row "sound: RSS growth, two 60 MB wave files" "$growth kB" "(far below 123 MB)" "$(verdict "$growth < 20480")"
    for who in game paplay; do
        line=$(grep "^load_$who " "$results/sound.txt" || true)
        [[ -n $line ]] || continue
        row "sound under stress-ng --cpu 2: $who" "opening $(echo "$line" | grep -o 'opening_whole=[0-9/]*' | cut -d= -f2), clicks $(echo "$line" | grep -o 'clicks_whole=[0-9/]*' | cut -d= -f2) whole" \
            "every sound whole" "$(echo "$line" | grep -q 'opening_whole=\([0-9]*\)/\1 clicks_whole=\([0-9]*\)/\2' && echo met || echo MISSED)"
    done
fi

echo
echo "load average at end: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-42s | %-34s | %-17s | %s\n' "Benchmark" "Measured" "Target" "Result"
printf '%s\n' "-------------------------------------------+------------------------------------+-------------------+-------"
printf '%s\n' "${rows[@]}"
