#!/bin/sh
# Regenerates the loader fixtures in this folder with independent tools (ImageMagick,
# libtiff's tiffcp, libjpeg-turbo's cjpeg, openjpeg's opj_compress), and beside each
# fixture <name>.rgba: the pixels ImageMagick decodes from it, 8 bits RGBA, top row first.
# Run from anywhere; needs imagemagick, libtiff-tools, libjpeg-turbo-progs, libopenjp2-tools
# and python3.
set -eu
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Sources: a 37 x 23 colour picture (odd sizes exercise row padding), a copy with alpha,
# a bilevel page and a grey ramp.
convert -size 37x23 -seed 7 plasma:red-blue -blur 0x1 -depth 8 "$work/rgb.ppm"
convert "$work/rgb.ppm" \( -size 37x23 gradient:white-black \) -alpha off -compose CopyOpacity -composite "$work/rgba.png"
convert -size 37x23 xc:white -fill black -draw "circle 18,11 18,2" -draw "rectangle 2,2 8,20" -type bilevel "$work/bw.pbm"
convert "$work/rgb.ppm" -colorspace Gray -depth 8 "$work/grey.pgm"

# BMP: every stored depth, RLE, bit fields, alpha, OS/2 header.
convert "$work/rgb.ppm" -type TrueColor BMP3:bmp24.bmp
convert "$work/rgb.ppm" -colors 200 -type Palette BMP3:bmp8.bmp
convert "$work/rgb.ppm" -colors 16 -type Palette BMP3:bmp4.bmp
convert "$work/bw.pbm" -type Bilevel BMP3:bmp1.bmp
convert "$work/rgb.ppm" -colors 200 -type Palette -compress RLE BMP3:rle8.bmp
convert "$work/rgb.ppm" -define bmp:subtype=RGB565 BMP:bmp565.bmp
convert "$work/rgba.png" -type TrueColorAlpha BMP:bmp32a.bmp
convert "$work/rgb.ppm" -colors 200 -type Palette BMP2:os2.bmp

# PNG: grey of 1, 2, 4, 8 and 16 bits, palettes with and without transparency, colour
# of 8 and 16 bits, alpha, Adam7 interlace, a resolution in metres.
convert "$work/bw.pbm" -define png:bit-depth=1 -define png:color-type=0 grey1.png
convert "$work/grey.pgm" -depth 2 -define png:bit-depth=2 -define png:color-type=0 grey2.png
convert "$work/grey.pgm" -depth 4 -define png:bit-depth=4 -define png:color-type=0 grey4.png
convert "$work/grey.pgm" -depth 16 -define png:bit-depth=16 -define png:color-type=0 grey16.png
convert "$work/rgb.ppm" -colors 12 -define png:bit-depth=4 PNG8:pal4.png
convert "$work/rgba.png" -channel A -threshold 50% +channel PNG8:paltrns.png
convert "$work/rgb.ppm" -density 300 -units PixelsPerInch PNG24:rgb8.png
convert "$work/rgb.ppm" -depth 16 PNG48:rgb16.png
convert "$work/rgba.png" PNG32:rgba.png
convert "$work/grey.pgm" \( -size 37x23 gradient:white-black \) -alpha off -compose CopyOpacity -composite -define png:color-type=4 greyalpha.png
convert "$work/rgb.ppm" -interlace PNG PNG24:interlaced.png

# JPEG: baseline and progressive from cjpeg, grey, CMYK (Adobe, inverted), a JFIF density.
cjpeg -quality 90 -outfile baseline.jpg "$work/rgb.ppm"
cjpeg -quality 90 -progressive -outfile progressive.jpg "$work/rgb.ppm"
cjpeg -quality 90 -grayscale -outfile grey.jpg "$work/rgb.ppm"
convert "$work/rgb.ppm" -colorspace CMYK -quality 95 cmyk.jpg
convert "$work/rgb.ppm" -density 72x150 -units PixelsPerInch -quality 90 density.jpg

# GIF: 87a, 89a with two frames and a transparent index, interlaced.
convert "$work/rgb.ppm" -colors 64 GIF87:gif87.gif
convert "$work/rgb.ppm" \( "$work/rgb.ppm" -flop \) -colors 32 -transparent-color black gif89.gif
convert "$work/rgb.ppm" -colors 64 -interlace GIF interlaced.gif

# TIFF: each compression from tiffcp, tiles, planes, 16 bits, CMYK, palette,
# min-is-white, YCbCr JPEG, a resolution in centimetres, two pages.
convert "$work/rgb.ppm" -compress None -density 118 -units PixelsPerCentimeter "$work/rgb.tif"
convert "$work/bw.pbm" -compress None "$work/bw.tif"
tiffcp -c none "$work/rgb.tif" rgb_none.tif
tiffcp -c lzw "$work/rgb.tif" rgb_lzw.tif
tiffcp -c packbits "$work/rgb.tif" rgb_packbits.tif
tiffcp -c zip "$work/rgb.tif" rgb_zip.tif
tiffcp -c jpeg -r 16 "$work/rgb.tif" rgb_jpeg.tif
tiffcp -c lzw -t -w 16 -l 16 "$work/rgb.tif" rgb_tiled.tif
tiffcp -c none -p separate "$work/rgb.tif" rgb_planar.tif
tiffcp -c g3 "$work/bw.tif" bw_g3.tif
tiffcp -c g3:2d "$work/bw.tif" bw_g3_2d.tif
tiffcp -c g4 "$work/bw.tif" bw_g4.tif
tiffcp -c g4 -t -w 16 -l 16 "$work/bw.tif" bw_tiled.tif
convert "$work/bw.pbm" -define quantum:polarity=min-is-white -compress None bw_miniswhite.tif
convert "$work/rgb.ppm" -depth 16 -compress LZW rgb16.tif
convert "$work/rgb.ppm" -colorspace CMYK -compress None cmyk.tif
convert "$work/rgb.ppm" -colors 16 -type Palette -compress None pal4.tif
convert "$work/grey.pgm" -compress None grey8.tif
convert "$work/grey.pgm" -depth 16 -compress Zip grey16.tif
convert "$work/rgba.png" -compress LZW rgba.tif
tiffcp -c lzw "$work/rgb.tif" "$work/bw.tif" twopages.tif

# PCX: 24 bits in 3 planes, 8 bits with the palette at the end, monochrome.
convert "$work/rgb.ppm" -type TrueColor pcx24.pcx
convert "$work/rgb.ppm" -colors 200 -type Palette pcx8.pcx

# Variants ImageMagick does not write (RLE4 and top-down BMP, 1-bit and 4-plane PCX) are
# encoded here from ImageMagick's own BMP and from raw pixels; the expected pixels
# below still come from ImageMagick decoding the result.
convert "$work/rgb.ppm" -colors 16 -type Palette -depth 8 "$work/pal16.bmp"
convert "$work/bw.pbm" -depth 8 gray:"$work/bw.gray"
convert "$work/rgb.ppm" -colors 16 -depth 8 "$work/pal16.gif"
convert "$work/pal16.gif" -depth 8 rgb:"$work/pal16.rgb"
python3 - "$work" <<'PY'
import struct, sys
work = sys.argv[1]
W, H = 37, 23

def rle_row(idx):
    # Runs of equal pixels as encoded pairs, the rest as absolute runs (at least 3 pixels).
    out, i = bytearray(), 0
    while i < len(idx):
        j = i
        while j < len(idx) and j - i < 255 and idx[j] == idx[i]: j += 1
        if j - i >= 2 or len(idx) - i < 3:
            out += bytes([j - i, (idx[i] << 4) | idx[i]]); i = j; continue
        k = i
        while k < len(idx) and k - i < 254 and (k + 1 >= len(idx) or idx[k + 1] != idx[k]): k += 1
        n = max(3, k - i) if len(idx) - i >= 3 else len(idx) - i
        n = min(n, len(idx) - i)
        chunk = idx[i:i + n] + [0] * (n & 1)
        data = bytes((chunk[t] << 4) | chunk[t + 1] for t in range(0, len(chunk), 2))
        out += bytes([0, n]) + data + (b"\0" if len(data) & 1 else b""); i += n
    return out

# rle4.bmp: the 16-colour picture as RLE4, one row skipped by a delta (left at index 0).
d = open(work + "/pal16.bmp", "rb").read()
off = struct.unpack("<I", d[10:14])[0]
bits = struct.unpack("<H", d[28:30])[0]
pal = d[54:off]
stride = ((W * bits + 31) // 32) * 4
rows = []
for y in range(H):
    r = d[off + y * stride: off + (y + 1) * stride]
    rows.append([r[x] & 15 for x in range(W)] if bits == 8 else [(r[x // 2] >> (4 * (1 - x % 2))) & 15 for x in range(W)])
body = bytearray()
for y in range(H):
    if y == 5:
        body += bytes([0, 2, 0, 1]); continue   # delta: down one row
    body += rle_row(rows[y]) + bytes([0, 0])
body += bytes([0, 1])
pal = pal[:64].ljust(64, b"\0")
hdr = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 4, 2, len(body), 2835, 2835, 16, 0)
open("rle4.bmp", "wb").write(b"BM" + struct.pack("<IHHI", 14 + 40 + 64 + len(body), 0, 0, 14 + 40 + 64) + hdr + pal + body)

# topdown.bmp: bmp24.bmp with its rows reversed and a negative height.
d = open("bmp24.bmp", "rb").read()
off = struct.unpack("<I", d[10:14])[0]
stride = ((W * 24 + 31) // 32) * 4
px = b"".join(d[off + (H - 1 - y) * stride: off + (H - y) * stride] for y in range(H))
open("topdown.bmp", "wb").write(d[:22] + struct.pack("<i", -H) + d[26:off] + px)

def pcx_rle(line):
    out, i = bytearray(), 0
    while i < len(line):
        j = i
        while j < len(line) and j - i < 63 and line[j] == line[i]: j += 1
        if j - i > 1 or line[i] >= 0xC0: out += bytes([0xC0 | (j - i), line[i]])
        else: out.append(line[i])
        i = j
    return out

def pcx(name, bits, planes, bpl, lines, palette16, dpi):
    hdr = bytearray(128)
    hdr[0:4] = bytes([10, 5, 1, bits])
    hdr[4:16] = struct.pack("<HHHHHH", 0, 0, W - 1, H - 1, dpi[0], dpi[1])
    hdr[16:64] = palette16
    hdr[65] = planes
    hdr[66:70] = struct.pack("<HH", bpl, 1)
    open(name, "wb").write(bytes(hdr) + b"".join(pcx_rle(l) for l in lines))

bpl = 6  # even, as writers keep it
g = open(work + "/bw.gray", "rb").read()
lines = []
for y in range(H):
    l = bytearray(bpl)
    for x in range(W):
        if g[y * W + x] > 127: l[x // 8] |= 0x80 >> (x % 8)
    lines.append(bytes(l))
pcx("pcx1.pcx", 1, 1, bpl, lines, bytes(48), (96, 96))

# pcx4planes.pcx: 16 colours as four bit planes, the EGA layout.
rgb = open(work + "/pal16.rgb", "rb").read()
colours = []
idx = []
for p in range(W * H):
    c = rgb[3 * p: 3 * p + 3]
    if c not in colours: colours.append(c)
    idx.append(colours.index(c))
lines = []
for y in range(H):
    l = bytearray(bpl * 4)
    for x in range(W):
        for k in range(4):
            if (idx[y * W + x] >> k) & 1: l[k * bpl + x // 8] |= 0x80 >> (x % 8)
    lines.append(bytes(l))
pcx("pcx4planes.pcx", 1, 4, bpl, lines, b"".join(colours).ljust(48, b"\0"), (300, 200))
PY

# JPEG 2000 (lossless, so that the pixels must match exactly): JP2 file, code stream, grey.
opj_compress -n 3 -i "$work/rgb.ppm" -o rgb.jp2 >/dev/null
opj_compress -n 3 -i "$work/rgb.ppm" -o rgb.j2k >/dev/null
opj_compress -n 3 -i "$work/grey.pgm" -o grey.jp2 >/dev/null

# What ImageMagick decodes from each fixture (the first frame or page).
for f in *.bmp *.png *.jpg *.gif *.tif *.pcx *.jp2 *.j2k; do
  convert "$f[0]" -colorspace sRGB -alpha on -depth 8 "rgba:$f.rgba"
done
convert "gif89.gif[1]" -alpha on -depth 8 "rgba:gif89.gif.1.rgba"
# ImageMagick 6 shows 1-bit PCX inverted (0 white); the expected pixels of pcx1.pcx are
# its source picture, where a set bit is white as PCX writers intend.
convert "$work/bw.pbm" -alpha on -depth 8 "rgba:pcx1.pcx.rgba"
convert "twopages.tif[1]" -alpha on -depth 8 "rgba:twopages.tif.1.rgba"
