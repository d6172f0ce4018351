#include "zq7/Zq7VectCom/ZqSvgRender.h"

#include <cairo.h>
#include <librsvg/rsvg.h>

#include <memory>

namespace {

struct GObjectFree {
  void operator()(RsvgHandle* h) const { g_object_unref(h); }
};
struct SurfaceFree {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct CairoFree {
  void operator()(cairo_t* c) const { cairo_destroy(c); }
};

}  // namespace

WORD ZqRenderSvg(const std::uint8_t* data, std::size_t bytes, int width, int height, std::uint32_t* pixels) {
  if (!data || bytes == 0) return ZQ_ERR_DAMAGED;
  GError* error = nullptr;
  // Made from memory without a base file, librsvg loads no external resources.
  const std::unique_ptr<RsvgHandle, GObjectFree> svg(rsvg_handle_new_from_data(data, bytes, &error));
  if (error) g_error_free(error);
  if (!svg) return ZQ_ERR_DAMAGED;
  // Cairo's RGB24 is a native 32-bit xRGB word: B, G, R, x in memory, as our bitmaps.
  const std::unique_ptr<cairo_surface_t, SurfaceFree> surface(cairo_image_surface_create_for_data(
      reinterpret_cast<unsigned char*>(pixels), CAIRO_FORMAT_RGB24, width, height, width * 4));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return ZQ_ERR_NO_MEMORY;
  const std::unique_ptr<cairo_t, CairoFree> cr(cairo_create(surface.get()));
  const RsvgRectangle viewport{0, 0, static_cast<double>(width), static_cast<double>(height)};
  const gboolean drawn = rsvg_handle_render_document(svg.get(), cr.get(), &viewport, &error);
  if (error) g_error_free(error);
  cairo_surface_flush(surface.get());
  return drawn ? ZQ_OK : ZQ_ERR_DAMAGED;
}
