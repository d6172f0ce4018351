#!/usr/bin/env bash
# Regenerates the header-typing fixtures of this folder with independent tools
# (ImageMagick convert, cjpeg, wrjpgcom, exiftool, tiffcp, tiffset, opj_compress).
# The expected values in tests/zq7/ZqFileType_test.cpp were read from these files with
# exiftool, identify and tiffinfo.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Every picture is the built-in rose, made small: 32 x 21, and 16 x 11 for second pages.
convert rose: -resize 32x21! "$work/rose.ppm"
convert "$work/rose.ppm" -colorspace Gray "$work/rose.pgm"
convert "$work/rose.ppm" -colorspace Gray -threshold 50% -depth 1 -compress none "$work/mono.tif"
convert rose: -resize 16x11! "$work/small.ppm"

ex() { exiftool -q -overwrite_original "$@"; }

# JPEG
cjpeg -quality 60 "$work/rose.ppm" > "$work/b.jpg"
wrjpgcom -comment "baseline rose" "$work/b.jpg" > jpeg_baseline.jpg
cjpeg -quality 60 -progressive "$work/rose.ppm" > jpeg_progressive.jpg
cjpeg -quality 60 -grayscale "$work/rose.ppm" > jpeg_grey.jpg
convert "$work/rose.ppm" -colorspace CMYK -units PixelsPerInch -density 150 -quality 60 jpeg_cmyk.jpg
convert "$work/rose.ppm" -units PixelsPerCentimeter -density 40 -quality 60 jpeg_jfif_dpcm.jpg
cjpeg -quality 60 "$work/rose.ppm" > jpeg_exif.jpg
ex -XResolution=300 -YResolution=150 -ResolutionUnit=inches -Make=Tesmarin -Model="Rose One" \
  -DateTimeOriginal="2024:05:06 07:08:09" -FNumber=2.8 -ExposureTime=0.004 -ISO=200 -Orientation#=6 \
  -GPSLatitude=35.5 -GPSLatitudeRef=N -GPSLongitude=139.25 -GPSLongitudeRef=E jpeg_exif.jpg
# Exif takes precedence over JFIF: give JFIF a different density.
ex -JFIF:XResolution=72 -JFIF:YResolution=72 -JFIF:ResolutionUnit=inches jpeg_exif.jpg
cjpeg -quality 60 -progressive "$work/rose.ppm" > jpeg_exif_cm.jpg
ex -XResolution=40 -YResolution=40 -ResolutionUnit=cm jpeg_exif_cm.jpg
ex -JFIF:ResolutionUnit=None jpeg_exif_cm.jpg

# PNG
convert "$work/rose.ppm" -define png:exclude-chunks=date,time -units PixelsPerInch -density 72 PNG24:png_rgb.png
ex -PNG:Comment="rose in png" png_rgb.png
convert "$work/rose.ppm" -define png:exclude-chunks=date,time -colors 200 -interlace PNG PNG8:png_palette_interlaced.png
convert "$work/rose.pgm" -define png:exclude-chunks=date,time -depth 16 -define png:bit-depth=16 -define png:color-type=0 \
  -units PixelsPerCentimeter -density 40 png_grey16_dpcm.png
convert "$work/rose.ppm" -define png:exclude-chunks=date,time -alpha set -channel A -evaluate set 50% PNG32:png_rgba.png

# GIF
convert "$work/rose.ppm" GIF87:gif87a.gif
convert -delay 10 "$work/rose.ppm" \( "$work/rose.ppm" -flip \) \( "$work/small.ppm" -repage +5+7 \) -set comment "three roses" \
  -interlace GIF gif89a_frames.gif
convert "$work/rose.ppm" -colors 16 -interlace GIF gif_interlaced16.gif

# TIFF
tiffcp -c g3 "$work/mono.tif" tiff_g3.tif
tiffcp -c g3:2d "$work/mono.tif" tiff_g3_2d.tif
tiffcp -c g4 "$work/mono.tif" tiff_g4.tif
convert "$work/rose.ppm" -units PixelsPerInch -density 96 "$work/rgb.tif"
tiffcp -c lzw "$work/rgb.tif" tiff_lzw.tif
tiffcp -c packbits "$work/rgb.tif" tiff_packbits.tif
tiffcp -c jpeg -r 16 "$work/rgb.tif" tiff_jpeg.tif
tiffcp -c none "$work/rgb.tif" tiff_none_desc.tif
tiffset -s 270 "rose described" tiff_none_desc.tif
convert "$work/small.ppm" -units PixelsPerCentimeter -density 40 "$work/small.tif"
tiffcp -c lzw "$work/small.tif" "$work/small-lzw.tif"
tiffcp "$work/rgb.tif" tiff_g4.tif "$work/small-lzw.tif" tiff_multipage.tif
tiffset -d 2 -s 270 "third page" tiff_multipage.tif
tiffcp -8 -B -c lzw "$work/rgb.tif" "$work/small.tif" tiff_bigtiff_be.tif
tiffcp -c packbits "$work/rgb.tif" tiff_nounit.tif
tiffset -s 296 1 tiff_nounit.tif

# BMP
convert "$work/rose.ppm" -units PixelsPerCentimeter -density 40 BMP3:bmp_rgb24.bmp
convert "$work/rose.ppm" -colors 200 -compress RLE BMP3:bmp_rle8.bmp
convert "$work/rose.ppm" BMP2:bmp_os2.bmp
convert "$work/rose.ppm" -colors 2 -type Palette BMP3:bmp_pal1.bmp

# PCX
convert "$work/rose.ppm" -units PixelsPerInch -density 150 pcx_rgb.pcx
convert "$work/rose.ppm" -colors 200 -type Palette pcx_palette.pcx

# JPEG 2000
opj_compress -i "$work/rose.ppm" -o jp2_rgb.jp2 -r 40 -n 4 > /dev/null

convert "$work/rose.pgm" -depth 16 "$work/rose16.pgm"
opj_compress -i "$work/rose16.pgm" -o jp2_grey16.j2k -r 40 -n 4 > /dev/null
opj_compress -i "$work/small.ppm" -o jp2_codestream.j2c -r 20 -n 3 > /dev/null
