#!/usr/bin/env bash
# The installed launcher, with a stand-in for the game that reports the directory it was started
# in and what it finds there, so that every start-up case runs in a moment without a display.
# Usage: launcher_test.sh <build dir>

# shellcheck source=installkit.sh
. "$(dirname "$0")/installkit.sh"

prefix="$scratch/pre fix"   # a space in the path, as under a home folder's "My Games"
install_into "$prefix" || { echo "FAILED: cmake --install"; exit 1; }
data="$prefix/share/grov-rage"
launcher="$prefix/bin/grov-rage"
cat > "$prefix/libexec/grov-rage/grov-rage" << 'EOF'
#!/bin/sh
echo "cwd=$(pwd -P)"
for entry in shader res assets; do echo "$entry=$(readlink -f "$entry")"; done
if [ -r settings.txt ]; then echo "settings=$(tr -s ' \n' '  ' < settings.txt)"; else echo "settings=missing"; fi
echo "args=$*"
exit "${STAND_IN_EXIT:-0}"
EOF
elsewhere="$scratch/elsewhere"
mkdir -p "$elsewhere"
default=$(tr -s ' \n' '  ' < "$data/settings.txt")
shared_files() { find "$data" -printf '%P %s %T@\n' | sort; }
shared_before=$(shared_files)

start() { # start ENVIRONMENT...: runs the launcher from elsewhere; output in $out, code in $rc
    out=$(cd "$elsewhere" && env -i PATH="$PATH" "$@" "$launcher" one two 2> "$scratch/launcher.err")
    rc=$?
}
says() { grep -qxF -- "$1" <<< "$out"; }
warned() { grep -q -- "$1" "$scratch/launcher.err"; }
# The owner's write bit itself: as root, test -w is always true.
owner_may_write() { [ $((0$(stat -c %a "$1") & 0200)) -ne 0 ]; }

# First start: the player gets the defaults in the configuration directory, and the game runs
# in the private runtime directory with the shared data and the player's copy.
p=$scratch/first
mkdir -p "$p/runtime" && chmod 700 "$p/runtime"
start HOME="$p/home" XDG_CONFIG_HOME="$p/config" XDG_CACHE_HOME="$p/cache" XDG_RUNTIME_DIR="$p/runtime"
check "first start exits with the game's code" [ "$rc" -eq 0 ]
check "the defaults are copied on first start" cmp -s "$data/settings.txt" "$p/config/grov-rage/settings.txt"
check "the game runs in the runtime directory" says "cwd=$p/runtime/grov-rage"
for entry in shader res assets; do
    check "$entry comes from the shared data" says "$entry=$(readlink -f "$data/$entry")"
done
check "the game reads the defaults" says "settings=$default"
check "arguments reach the game" says "args=one two"
check "nothing is said on a normal start" [ ! -s "$scratch/launcher.err" ]

# The player's copy is theirs: edited, it is used as it stands; it stays writable even when the
# shared default is read-only; deleted, the defaults come back.
chmod 444 "$data/settings.txt"
printf 'FULLSCREEN 0\nWIDTH 800\nHEIGHT 600\n' > "$p/config/grov-rage/settings.txt"
start HOME="$p/home" XDG_CONFIG_HOME="$p/config" XDG_CACHE_HOME="$p/cache" XDG_RUNTIME_DIR="$p/runtime"
check "an edited copy is used" says "settings=FULLSCREEN 0 WIDTH 800 HEIGHT 600 "
rm "$p/config/grov-rage/settings.txt"
p2=$scratch/readonly
start HOME="$p2/home" XDG_CONFIG_HOME="$p2/config" XDG_CACHE_HOME="$p2/cache"
check "the copy of a read-only default is writable" owner_may_write "$p2/config/grov-rage/settings.txt"
start HOME="$p/home" XDG_CONFIG_HOME="$p/config" XDG_CACHE_HOME="$p/cache" XDG_RUNTIME_DIR="$p/runtime"
check "a deleted copy brings the defaults back" says "settings=$default"
chmod 644 "$data/settings.txt"

# A broken copy (here a link to nothing) is left alone: the game finds no settings, as it does
# without a settings.txt, and the launcher does not paper over it with the defaults.
ln -sf "$p/nowhere.txt" "$p/config/grov-rage/settings.txt"
start HOME="$p/home" XDG_CONFIG_HOME="$p/config" XDG_CACHE_HOME="$p/cache" XDG_RUNTIME_DIR="$p/runtime"
check "a broken copy reads as missing" says "settings=missing"
check "a broken copy is not replaced" [ -L "$p/config/grov-rage/settings.txt" ]

# Without a runtime directory, and with relative XDG paths (which the rules say to ignore), the
# files go under HOME; the launcher also works when started through a link, as from /usr/games.
p=$scratch/plain
mkdir -p "$p/home" "$p/games"
ln -s "$launcher" "$p/games/grov-rage"
out=$(cd "$elsewhere" && env -i PATH="$PATH" HOME="$p/home" XDG_CONFIG_HOME=rel XDG_CACHE_HOME=rel \
    "$p/games/grov-rage" 2> "$scratch/launcher.err")
check "relative XDG paths fall back to HOME" [ -f "$p/home/.config/grov-rage/settings.txt" ]
check "the run directory is in the cache" says "cwd=$p/home/.cache/grov-rage/run"
check "a linked launcher finds the data" says "shader=$(readlink -f "$data/shader")"

# The game's exit code comes back to the caller, so a failed start is not reported as success.
start HOME="$p/home" STAND_IN_EXIT=3
check "the game's exit code is passed on" [ "$rc" -eq 3 ]

# Nowhere to put the run directory: the game still starts, from the shared data with the
# defaults, and the launcher says why.
p=$scratch/nocache
mkdir -p "$p/home"
touch "$p/cache"
start HOME="$p/home" XDG_CACHE_HOME="$p/cache"
check "without a run directory the game runs in the data" says "cwd=$(readlink -f "$data")"
check "without a run directory the defaults are read" says "settings=$default"
check "without a run directory the launcher says so" warned "cannot prepare the run directory"
start XDG_CONFIG_HOME="$p/config"
check "without HOME the game runs in the data" says "cwd=$(readlink -f "$data")"
check "without HOME nothing is written" [ ! -e "$p/config" ]

# No configuration directory can be made: the game starts without settings, as with no
# settings.txt, and the launcher names the file it could not write.
p=$scratch/noconfig
mkdir -p "$p/home"
touch "$p/config"
start HOME="$p/home" XDG_CONFIG_HOME="$p/config"
check "without a settings copy the game still starts" [ "$rc" -eq 0 ]
check "without a settings copy the game finds none" says "settings=missing"
check "without a settings copy the launcher says so" warned "cannot write the settings file $p/config/grov-rage/settings.txt"

# The shared data is never written.
check "the shared data holds only what was installed" [ "$(shared_files)" = "$shared_before" ]

finish
