#!/usr/bin/env bash
# The installed menu entry, metainfo and icons: valid for the desktop's own tools, and pointing
# at each other and at the installed command by the same names.
# Usage: metadata_test.sh <build dir>

# shellcheck source=installkit.sh
. "$(dirname "$0")/installkit.sh"

prefix=$scratch/prefix
install_into "$prefix" || { echo "FAILED: cmake --install"; exit 1; }
share=$prefix/share

desktop=$(ls "$share"/applications/*.desktop)
metainfo=$(ls "$share"/metainfo/*.metainfo.xml)
id=$(basename "$desktop" .desktop)

check "the desktop entry is valid" desktop-file-validate "$desktop"
check "the metainfo is valid" appstreamcli validate --no-net --no-color "$metainfo"

entry() { sed -n "s/^$1=//p" "$desktop"; }
check "the entry starts the installed command" [ -x "$prefix/bin/$(entry Exec | cut -d' ' -f1)" ]
check "the metainfo has the entry's id" grep -q "<id>$id</id>" "$metainfo"
check "the metainfo launches the entry" grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo"
check "the metainfo names the command" grep -q "<binary>$(entry Exec | cut -d' ' -f1)</binary>" "$metainfo"

# The newest release in the metainfo is the version being packaged.
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$BUILD_DIR/CPackConfig.cmake")
newest=$(grep -o '<release version="[^"]*"' "$metainfo" | head -n 1 | cut -d'"' -f2)
check "the newest release ($newest) is the package version ($version)" [ -n "$version" -a "$newest" = "$version" ]

# One icon per size under the entry's icon name: RGBA at its size, a see-through corner and a
# solid middle, so that it sits on any panel as a round wheel rather than a square.
for size in 64 128 256; do
    icon=$share/icons/hicolor/${size}x$size/apps/$(entry Icon).png
    if [ ! -f "$icon" ]; then
        check "the $size px icon is installed" false
        continue
    fi
    check "the $size px icon is $size x $size RGBA" \
        [ "$(identify -format '%m %w %h %[channels]' "$icon")" = "PNG $size $size srgba" ]
    alpha() { convert "$icon" -format "%[fx:round(255*p{$1,$2}.a)]" info:; }
    check "the $size px icon's corner is clear" [ "$(alpha 0 0)" -eq 0 ]
    check "the $size px icon's middle is solid" [ "$(alpha $((size / 2)) $((size / 2)))" -eq 255 ]
done

finish
