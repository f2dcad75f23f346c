#!/usr/bin/env bash
# make-pictures.sh: draws the builder's two pictures with ImageMagick: logo.bmp (the
# start page, on white) and wait.bmp (131 x 75, the wait window). Both are committed;
# run this again only to change them.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
# A box with a lid and the name beside it.
convert -size 300x80 xc:white \
    -fill '#1c3f8c' -draw 'rectangle 14,30 60,68' \
    -fill '#3a6fd8' -draw 'polygon 10,30 64,30 56,16 18,16' \
    -fill '#f2b632' -draw 'rectangle 33,30 41,68' \
    -font DejaVu-Sans-Bold -pointsize 34 -fill '#1c3f8c' -annotate +78+54 'Kitforge' \
    -font DejaVu-Sans -pointsize 11 -fill '#555555' -annotate +80+70 'Installation builder' \
    -type TrueColor BMP3:logo.bmp
# The box again, on the installer's default gradient (dark blue to black).
convert -size 131x75 gradient:'#000080-#000000' \
    -fill '#3a6fd8' -draw 'polygon 40,28 92,28 84,14 48,14' \
    -fill '#f0f0f0' -draw 'rectangle 44,28 88,64' \
    -fill '#f2b632' -draw 'rectangle 62,28 70,64' \
    -type TrueColor BMP3:wait.bmp
