#!/usr/bin/env bash
# Regenerates the renamer's fixtures with ImageMagick and libtiff's tools.
set -euo pipefail
cd "$(dirname "$0")"
convert -size 640x480 gradient:navy-orange -density 72 -units PixelsPerInch -quality 40 \
  -sampling-factor 2x2 -strip photo.jpg
convert -size 16x8 gradient:white-black -depth 16 -define png:color-type=2 -strip rgb48.png
convert -size 12x10 xc:red -fill blue -draw "rectangle 0,0 5,9" -type Palette -colors 2 \
  -define png:bit-depth=8 -define png:color-type=3 -density 96 -units PixelsPerInch -define png:exclude-chunks=date,time PNG8:palette96.png
convert -size 40x30 xc:white -fill black -draw "circle 20,15 20,5" -monochrome -density 200 \
  -units PixelsPerInch -compress Group4 g4.tif
convert -size 10x10 xc:green -compress zip deflate.tif
