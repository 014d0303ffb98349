#!/bin/sh
# wine-fonts.sh: gives the Wine prefix in WINEPREFIX Wine's own Tahoma and
# Marlett (Debian package fonts-wine) in its Fonts folder, where Wine finds
# them. Debian's Wine does not look in fonts-wine's folder, so without this
# a fresh prefix draws dialog texts in a wider substitute font and the
# caption buttons without their symbols. Run it after the prefix exists.
set -u
src=/usr/share/wine/fonts
dest="$WINEPREFIX/drive_c/windows/Fonts"
[ -d "$dest" ] || { echo "wine-fonts: no prefix at $WINEPREFIX" >&2; exit 1; }
for font in tahoma.ttf tahomabd.ttf marlett.ttf; do
    [ -f "$dest/$font" ] && continue
    cp "$src/$font" "$dest/$font" || { echo "wine-fonts: $src/$font missing (fonts-wine)" >&2; exit 1; }
done
