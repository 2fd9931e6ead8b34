#include <spng.h>

#include <memory>
#include <vector>

#include "io/safe_save.h"
#include "png/png.h"

namespace tolvane {

namespace {

struct Sink_Stream {
  const Byte_Sink& sink;
  bool failed = false;
};

int Write_Stream(spng_ctx*, void* user, void* data, std::size_t length) {
  auto& s = *static_cast<Sink_Stream*>(user);
  if (!s.sink(data, length)) {
    s.failed = true;
    return SPNG_IO_ERROR;
  }
  return 0;
}

struct Context_Free {
  void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};

// Encodes row by row, so no second copy of a large strip is made.
bool Encode(const Byte_Sink& sink, const Raster_Image& image) {
  std::unique_ptr<spng_ctx, Context_Free> ctx(spng_ctx_new(SPNG_CTX_ENCODER));
  if (!ctx) throw std::bad_alloc();
  Sink_Stream stream{sink};
  if (spng_set_png_stream(ctx.get(), Write_Stream, &stream) != 0) return false;
  spng_ihdr ihdr{};
  ihdr.width = std::uint32_t(image.Width());
  ihdr.height = std::uint32_t(image.Height());
  ihdr.bit_depth = 8;
  ihdr.color_type = SPNG_COLOR_TYPE_TRUECOLOR;
  if (spng_set_ihdr(ctx.get(), &ihdr) != 0) return false;
  if (spng_encode_image(ctx.get(), nullptr, 0, SPNG_FMT_PNG,
                        SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE) != 0)
    return false;
  const int w = image.Width();
  std::vector<std::uint8_t> row(std::size_t(w) * 3);
  int ret = 0;
  for (int y = 0; y < image.Height(); ++y) {
    const Colour* src = image.Row(y);
    std::uint8_t* out = row.data();
    for (int x = 0; x < w; ++x, out += 3) {
      out[0] = std::uint8_t(Red_Of(src[x]));
      out[1] = std::uint8_t(Green_Of(src[x]));
      out[2] = std::uint8_t(Blue_Of(src[x]));
    }
    ret = spng_encode_row(ctx.get(), row.data(), row.size());
    if (ret != 0 && ret != SPNG_EOI) return false;
  }
  return ret == SPNG_EOI && !stream.failed;
}

}  // namespace

void Write_Png(const std::string& path, const Raster_Image& image) {
  Write_Png(path, image, Write_Function());
}

void Write_Png(const std::string& path, const Raster_Image& image, const Write_Function& write_fn) {
  Save_File(
      path, [&](const Byte_Sink& sink) { return Encode(sink, image); }, write_fn);
}

}  // namespace tolvane
