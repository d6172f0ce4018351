#include "zq7/Zq7File/ZqJpegCodec.h"

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

#include "zq7/Zq7Com/ZqDibBuilder.h"
#include "zq7/Zq7File/ZqFile.h"
#include "zq7/Zq7File/ZqProgress.h"

namespace {

// More scans than any real progressive file has; hostile files with thousands of tiny
// scans would otherwise keep the decoder busy for minutes.
constexpr int kMaxScans = 1000;
// libjpeg's own working memory (whole-image coefficient buffers of progressive files).
constexpr long kMaxWorkingMemory = 1L << 30;
// Rows handed to libjpeg per call; progress is reported per band.
constexpr int kBandRows = 32;

struct JpegError {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  int code = 0;           // message code of the fatal error
  bool dataLost = false;  // a warning that pixels are missing (premature end, bad data)
};

void ErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<JpegError*>(cinfo->err);
  err->code = cinfo->err->msg_code;
  std::longjmp(err->jump, 1);
}

void EmitMessage(j_common_ptr cinfo, int level) {
  if (level >= 0) return;  // trace messages
  auto* err = reinterpret_cast<JpegError*>(cinfo->err);
  const int code = cinfo->err->msg_code;
  // Extraneous bytes between markers are common in files that decode fine; a premature
  // end or undecodable entropy data means part of the picture is missing.
  if (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER || code == JWRN_HUFF_BAD_CODE || code == JWRN_BOGUS_PROGRESSION ||
      code == JWRN_NOT_SEQUENTIAL || code == JWRN_MUST_RESYNC)
    err->dataLost = true;
}

void OutputMessage(j_common_ptr) {}

void ProgressMonitor(j_common_ptr cinfo) {
  auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (d->input_scan_number > kMaxScans) ERREXIT(cinfo, JERR_NOTIMPL);
}

WORD StatusFromCode(int code) {
  switch (code) {
    case JERR_OUT_OF_MEMORY:
      return ZQ_ERR_NO_MEMORY;
    case JERR_IMAGE_TOO_BIG:
      return ZQ_ERR_TOO_LARGE;
    case JERR_BAD_PRECISION:
    case JERR_CONVERSION_NOTIMPL:
    case JERR_NO_ARITH_TABLE:
    case JERR_NOT_COMPILED:
    case JERR_NOTIMPL:
      return ZQ_ERR_UNSUPPORTED;
    default:
      return ZQ_ERR_DAMAGED;
  }
}

// The only place where libjpeg may jump to. fn and everything it calls hold plain C data
// only, so the jump skips no destructor.
bool JpegGuard(JpegError* err, void (*fn)(void*), void* context) {
  if (setjmp(err->jump)) return false;
  fn(context);
  return true;
}

// One decompressor with its error manager, destroyed with everything libjpeg allocated.
class JpegDecompressor {
 public:
  JpegDecompressor() {
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.emit_message = EmitMessage;
    err.pub.output_message = OutputMessage;
    progress.progress_monitor = ProgressMonitor;
  }
  ~JpegDecompressor() { jpeg_destroy_decompress(&cinfo); }
  JpegDecompressor(const JpegDecompressor&) = delete;
  JpegDecompressor& operator=(const JpegDecompressor&) = delete;

  jpeg_decompress_struct cinfo{};
  JpegError err;
  jpeg_progress_mgr progress{};
};

struct ReadCall {
  j_decompress_ptr cinfo;
  std::FILE* file;
  JSAMPARRAY rows;
  JDIMENSION count;
  JDIMENSION done;
};

void OpenAndReadHeader(void* p) {
  auto* c = static_cast<ReadCall*>(p);
  jpeg_create_decompress(c->cinfo);
  jpeg_stdio_src(c->cinfo, c->file);
  jpeg_read_header(c->cinfo, TRUE);
}

void StartDecompress(void* p) {
  auto* c = static_cast<ReadCall*>(p);
  c->cinfo->mem->max_memory_to_use = kMaxWorkingMemory;
  jpeg_start_decompress(c->cinfo);
}

void ReadScanlines(void* p) {
  auto* c = static_cast<ReadCall*>(p);
  c->done = jpeg_read_scanlines(c->cinfo, c->rows, c->count);
}

void FinishDecompress(void* p) { jpeg_finish_decompress(static_cast<ReadCall*>(p)->cinfo); }

// Whether the file is long enough for the picture its header claims. Huffman coding
// spends at least one bit on every 8 x 8 block of every component (its DC difference), so
// a few kilobytes claiming 16000 x 16000 are refused before libjpeg allocates the
// whole-image buffers of a progressive decode for them. Arithmetic coding can code a
// flat block in a fraction of a bit; its files are left to the working-memory cap.
bool Plausible(const jpeg_decompress_struct& ci, std::uint64_t fileBytes) {
  if (ci.arith_code) return true;
  std::uint64_t fewest = UINT64_MAX;
  for (int i = 0; i < ci.num_components; ++i) {
    const jpeg_component_info& c = ci.comp_info[i];
    fewest = std::min<std::uint64_t>(fewest, std::uint64_t{c.width_in_blocks} * c.height_in_blocks);
  }
  return fewest / 8 <= fileBytes;
}

// CMYK as stored becomes BGR. Adobe writers store the inks inverted (0 = full ink).
void CmykRowToBgr(const JSAMPLE* src, BYTE* dst, JDIMENSION width, bool inverted) {
  for (JDIMENSION x = 0; x < width; ++x, src += 4, dst += 3) {
    unsigned c = src[0], m = src[1], y = src[2], k = src[3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    dst[0] = static_cast<BYTE>((y * k + 127) / 255);
    dst[1] = static_cast<BYTE>((m * k + 127) / 255);
    dst[2] = static_cast<BYTE>((c * k + 127) / 255);
  }
}

}  // namespace

WORD ZqJpegDecode(ZqFile& file, ZqProgress& progress, HGLOBAL* out) {
  *out = 0;
  std::FILE* stream = file.Stream();
  if (!stream) return ZQ_ERR_NO_MEMORY;

  JpegDecompressor d;
  ReadCall call{&d.cinfo, stream, nullptr, 0, 0};
  if (!JpegGuard(&d.err, OpenAndReadHeader, &call)) return StatusFromCode(d.err.code);
  d.cinfo.progress = &d.progress;

  jpeg_decompress_struct& ci = d.cinfo;
  bool cmyk = false;
  unsigned bits = 24;
  switch (ci.jpeg_color_space) {
    case JCS_GRAYSCALE:
      ci.out_color_space = JCS_GRAYSCALE;
      bits = 8;
      break;
    case JCS_CMYK:
    case JCS_YCCK:
      ci.out_color_space = JCS_CMYK;
      cmyk = true;
      break;
    case JCS_RGB:
    case JCS_YCbCr:
      ci.out_color_space = JCS_EXT_BGR;
      break;
    default:
      return ZQ_ERR_UNSUPPORTED;
  }
  if (const WORD s = ZqDibBuilder::CheckSize(ci.image_width, ci.image_height, bits, bits == 8 ? 256 : 0); s != ZQ_OK)
    return s;
  if (!Plausible(ci, file.size())) return ZQ_ERR_DAMAGED;
  if (!JpegGuard(&d.err, StartDecompress, &call)) return StatusFromCode(d.err.code);

  ZqDibBuilder dib;
  if (const WORD s = dib.Create(ci.output_width, ci.output_height, bits, bits == 8 ? 256 : 0); s != ZQ_OK) return s;
  if (bits == 8) dib.SetGreyPalette(false);

  std::vector<JSAMPLE> cmykRows;
  if (cmyk) cmykRows.resize(std::size_t{ci.output_width} * 4 * kBandRows);
  JSAMPROW rows[kBandRows];
  const JDIMENSION height = ci.output_height;
  while (ci.output_scanline < height) {
    const JDIMENSION first = ci.output_scanline;
    const JDIMENSION count = std::min<JDIMENSION>(kBandRows, height - first);
    for (JDIMENSION i = 0; i < count; ++i)
      rows[i] = cmyk ? cmykRows.data() + std::size_t{i} * ci.output_width * 4 : dib.Row(first + i);
    call.rows = rows;
    call.count = count;
    call.done = 0;
    if (!JpegGuard(&d.err, ReadScanlines, &call)) return StatusFromCode(d.err.code);
    // libjpeg pads a cut file with grey to the end; there is no point decoding that.
    if (call.done == 0 || d.err.dataLost) return ZQ_ERR_DAMAGED;
    if (cmyk)
      for (JDIMENSION i = 0; i < call.done; ++i) CmykRowToBgr(rows[i], dib.Row(first + i), ci.output_width, ci.saw_Adobe_marker);
    if (!progress.Step(ci.output_scanline, height)) return ZQ_ERR_CANCELLED;
  }
  if (!JpegGuard(&d.err, FinishDecompress, &call)) return StatusFromCode(d.err.code);
  if (d.err.dataLost) return ZQ_ERR_DAMAGED;
  if (!progress.Finish()) return ZQ_ERR_CANCELLED;
  *out = dib.Release();
  return ZQ_OK;
}
