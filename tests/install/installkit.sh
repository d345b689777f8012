# shellcheck shell=bash
# Shared by the install tests (sourced): a scratch folder, checks that name what went wrong,
# and a real game started through an installed launcher in the virtual display.

set -u

BUILD_DIR=${1:?usage: $0 <build dir>}
scratch=$(mktemp -d "${TMPDIR:-/tmp}/grov-install-test.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
failures=0
checks=0

check() { # check DESCRIPTION COMMAND...: counts a failure when the command fails
    local what=$1
    shift
    checks=$((checks + 1))
    if ! "$@"; then
        echo "FAILED: $what" >&2
        failures=$((failures + 1))
    fi
}

finish() {
    echo "$((checks - failures)) passed, $failures failed"
    [ "$failures" -eq 0 ]
    exit
}

needs_display() {
    if [ -z "${DISPLAY:-}" ]; then
        echo "no display: run inside xvfb-run"
        exit 77
    fi
}

install_into() { # install_into PREFIX [DESTDIR]: cmake --install of the build
    DESTDIR=${2:-} cmake --install "$BUILD_DIR" --prefix "$1" > "$scratch/install.log" 2>&1 ||
        { cat "$scratch/install.log" >&2; return 1; }
}

# play_and_quit LAUNCHER WORKDIR [NAME=VALUE...]: starts the launcher from WORKDIR with the
# given environment, waits for the window, presses Ctrl+Q and waits for the end. Sets
# game_rc (the exit code, or -1 when it never opened or never ended), game_size (WxH) and
# leaves the output in $scratch/game.out and $scratch/game.err.
play_and_quit() {
    local launcher=$1 workdir=$2
    shift 2
    game_rc=-1
    game_size=
    (cd "$workdir" && exec env "$@" "$launcher" < /dev/null > "$scratch/game.out" 2> "$scratch/game.err") &
    # Deadlines in wall-clock seconds: a busy machine starts the game slowly, but it does start.
    local pid=$! window='' deadline=$((SECONDS + 90))
    while [ $SECONDS -lt $deadline ] && kill -0 $pid 2> /dev/null; do
        window=$(xdotool search --onlyvisible --pid $pid --name '^Grov Rage$' 2> /dev/null | head -n 1)
        [ -n "$window" ] && grep -q '^OpenGL Version: ' "$scratch/game.out" && break
        window=
        sleep 0.2
    done
    if [ -z "$window" ]; then
        echo "no game window; its output:" >&2
        cat "$scratch/game.out" "$scratch/game.err" >&2
        kill $pid 2> /dev/null
        wait $pid 2> /dev/null
        return
    fi
    game_size=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: \([0-9]*x[0-9]*\).*/\1/p')
    xdotool windowfocus --sync "$window" key ctrl+q
    deadline=$((SECONDS + 30))
    while [ $SECONDS -lt $deadline ] && kill -0 $pid 2> /dev/null; do
        sleep 0.1
    done
    if kill -0 $pid 2> /dev/null; then
        echo "the game did not end after Ctrl+Q" >&2
        kill $pid
        wait $pid 2> /dev/null
        return
    fi
    wait $pid
    game_rc=$?
}

# A player's environment inside the scratch folder, with nothing taken from the real one.
player_env() { # player_env NAME: prints the NAME=VALUE words for a fresh player called NAME
    mkdir -p "$scratch/$1/home" "$scratch/$1/runtime"
    chmod 700 "$scratch/$1/runtime"
    echo "HOME=$scratch/$1/home XDG_CONFIG_HOME=$scratch/$1/config XDG_CACHE_HOME=$scratch/$1/cache" \
        "XDG_RUNTIME_DIR=$scratch/$1/runtime"
}
