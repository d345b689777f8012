#!/usr/bin/env bash
# cpack -G DEB: the package declares what it needs, and once unpacked into a scratch root the
# game starts through its command from another directory on a player's first start.
# Usage: deb_package_test.sh <build dir>

# shellcheck source=installkit.sh
. "$(dirname "$0")/installkit.sh"
needs_display

if ! cpack -G DEB -B "$scratch/deb" --config "$BUILD_DIR/CPackConfig.cmake" > "$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log"
    echo "FAILED: cpack -G DEB"
    exit 1
fi
deb=$(ls "$scratch"/deb/grov-rage_*.deb)
field() { dpkg-deb -f "$deb" "$1"; }

check "the package is grov-rage" [ "$(field Package)" = grov-rage ]
check "the package is in games" [ "$(field Section)" = games ]
depends=$(field Depends)
depended=$(tr ',|' '\n' <<< "$depends" | awk '{print $1}')
for library in libglfw3 libglew2.2 libopengl0 libglx0 libgl1 libgl1-mesa-dri libassimp5 libfreeimage3 \
    libopenal1 libsndfile1 libstdc++6; do
    check "the package depends on $library" grep -qxF "$library" <<< "$depended"
done
# Every dependency can be met by a real package: one of each set of alternatives is on this
# machine, which runs the game.
IFS=, read -ra clauses <<< "$depends"
for clause in "${clauses[@]}"; do
    met=no
    IFS='|' read -ra alternatives <<< "$clause"
    for alternative in "${alternatives[@]}"; do
        name=$(awk '{print $1}' <<< "$alternative")
        dpkg-query -W -f='${Status}' "$name" 2> /dev/null | grep -q 'install ok installed' && met=yes
    done
    check "the dependency$clause is installed here" [ $met = yes ]
done
check "the package holds no build tools" \
    [ -z "$(dpkg-deb -c "$deb" | grep -E '_tests$|grov-bench|grov-generate')" ]

root=$scratch/root
dpkg-deb -x "$deb" "$root"
env=$(player_env player)
mkdir -p "$scratch/elsewhere"
# shellcheck disable=SC2086 # the environment is a list of words
play_and_quit "$root/usr/bin/grov-rage" "$scratch/elsewhere" $env
check "the unpacked game exits 0 after Ctrl+Q (exit $game_rc)" [ "$game_rc" -eq 0 ]
check "the game opened its window" grep -q '^OpenGL Version: ' "$scratch/game.out"
check "the first start copied the settings" cmp -s "$root/usr/share/grov-rage/settings.txt" \
    "$scratch/player/config/grov-rage/settings.txt"
check "the game found its settings" [ -z "$(grep 'Could not find' "$scratch/game.out")" ]

finish
