#!/usr/bin/env bash
# cmake --install into a fresh prefix: the files the game reads are all there and nothing of
# the build's own tools is, and the real game starts through the launcher from another
# directory with the player's own settings.
# Usage: installed_game_test.sh <build dir>

# shellcheck source=installkit.sh
. "$(dirname "$0")/installkit.sh"
needs_display

prefix=$scratch/prefix
install_into "$prefix" || { echo "FAILED: cmake --install"; exit 1; }
data=$prefix/share/grov-rage

check "the command is installed" [ -x "$prefix/bin/grov-rage" ]
check "the game is installed" [ -x "$prefix/libexec/grov-rage/grov-rage" ]
missing=
for file in settings.txt \
    shader/BlinnPhongTexture.{vert,frag} shader/{fullscreen,heightmap,simple,standard,vertexSkinning}.vert \
    shader/{heightmapBlinnPhongTexture,heightmapLod,heightmapFar,motionblur,texture,textureWithColor}.frag \
    res/{font,heightmap,wheel,arrow,altitudewarning,rageometer1,rageometer2,sun,moon}.png \
    res/menu_{panel,highlight,shade}.png \
    res/1047-5.jpg res/1047-5-normal.jpg res/skybox2/{back,bottom,front,left,right,top}.jpg \
    res/sounds/{ah,donk,flight,goal,grunt,haha,haha2,inbetween,intro,mm,uff,uuh}.wav \
    assets/{grov,grov_anim,grov_anim_low,tank}.dae assets/{grov,tank}_skin.png icons/grov-rage-{64,128,256}.png; do
    [ -s "$data/$file" ] || missing="$missing $file"
done
check "every file the game reads is installed (missing:$missing)" [ -z "$missing" ]
strays=$(find "$prefix" \( -name '*_tests' -o -name 'grov-bench*' -o -name 'grov-generate' -o -name 'grov-benchmarks' \
    -o -name '.generated' \) -printf '%P ')
check "no build tools are installed (found: $strays)" [ -z "$strays" ]
check "bin holds only the command" [ "$(ls "$prefix/bin")" = grov-rage ]

# A player who has already set a window size: the game opens at that size, from a directory
# that holds none of its data, and Ctrl+Q ends it normally.
env=$(player_env player)
mkdir -p "$scratch/player/config/grov-rage" "$scratch/elsewhere"
printf 'FULLSCREEN 0\nWIDTH 800\nHEIGHT 600\n' > "$scratch/player/config/grov-rage/settings.txt"
# shellcheck disable=SC2086 # the environment is a list of words
play_and_quit "$prefix/bin/grov-rage" "$scratch/elsewhere" $env
check "the installed game exits 0 after Ctrl+Q (exit $game_rc)" [ "$game_rc" -eq 0 ]
check "the window has the player's size ($game_size)" [ "$game_size" = 800x600 ]
check "the game loaded its models" grep -q '^Import successful$' "$scratch/game.out"
check "the player's settings are kept" grep -qx 'WIDTH 800' "$scratch/player/config/grov-rage/settings.txt"

finish
