#include "PngDecoder.h"

#include "StreamErrors.h"

#include <spng.h>

#include <memory>
#include <string>

void DecodePng(MemoryStream& file, RgbaFrames& frames)
{
    frames.Clear();
    const std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)> ctx(spng_ctx_new(0), spng_ctx_free);
    if (!ctx) throw EStreamMemoryError("out of memory for the PNG decoder");
    spng_ihdr ihdr{};
    // A chunk, and the chunks the picture does not need together, are held to 64 MiB.
    int error = spng_set_image_limits(ctx.get(), RgbaFrames::kMaxSide, RgbaFrames::kMaxSide);
    if (!error)
        error = spng_set_chunk_limits(ctx.get(), std::size_t{1} << 26, std::size_t{1} << 26);
    if (!error)
        error = spng_set_png_buffer(ctx.get(), file.Data(), static_cast<std::size_t>(file.Size()));
    if (!error) error = spng_get_ihdr(ctx.get(), &ihdr);
    if (error)
        throw EStreamReadError(std::string("the PNG image cannot be read: ") +
                               spng_strerror(error));
    if (!frames.Fits(ihdr.width, ihdr.height))
        throw EStreamMemoryError("out of memory: the PNG image is too large");
    RgbaImage& picture = frames.Add(static_cast<std::int32_t>(ihdr.width),
                                    static_cast<std::int32_t>(ihdr.height), 0);
    const std::size_t row = std::size_t{4} * ihdr.width;
    if (spng_decode_image(ctx.get(), nullptr, 0, SPNG_FMT_RGBA8,
                          SPNG_DECODE_TRNS | SPNG_DECODE_PROGRESSIVE))
        return;
    // An interlaced file gives each row in several passes, each placing its own pixels.
    for (spng_row_info info{}; !spng_get_row_info(ctx.get(), &info);)
        if (spng_decode_row(ctx.get(), picture.Row(static_cast<std::int32_t>(info.row_num)), row))
            return;
}
