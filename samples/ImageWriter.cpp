#include "ImageWriter.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>

#include <gif_lib.h>
#include <jpeglib.h>
#include <spng.h>

namespace kisswriter {

namespace {

void Check(bool ok, const char* what)
{
    if (!ok) throw std::runtime_error(std::string("cannot write the ") + what);
}

int WriteTo(GifFileType* gif, const GifByteType* bytes, int count)
{
    auto* out = static_cast<Bytes*>(gif->UserData);
    out->insert(out->end(), bytes, bytes + count);
    return count;
}

} // namespace

Bytes Gif(int width, int height, const std::vector<Rgb>& colours,
          const std::vector<GifImage>& images, bool interlaced, int loops)
{
    Bytes out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, WriteTo, &error);
    Check(gif, "GIF");
    int bits = 1;
    while ((1 << bits) < static_cast<int>(colours.size()))
        ++bits;
    std::vector<GifColorType> table(std::size_t{1} << bits, GifColorType{0, 0, 0});
    for (std::size_t i = 0; i < colours.size(); ++i)
        table[i] = {colours[i].red, colours[i].green, colours[i].blue};
    ColorMapObject* map = GifMakeMapObject(1 << bits, table.data());
    bool controlled = loops >= 0; // whether 89a's blocks are needed
    for (const GifImage& image : images)
        controlled = controlled || image.delay || image.disposal || image.transparent >= 0;
    EGifSetGifVersion(gif, controlled);
    bool ok = EGifPutScreenDesc(gif, width, height, bits, 0, map) == GIF_OK;
    if (loops >= 0) {
        const GifByteType loop[] = {1, static_cast<GifByteType>(loops & 255),
                                    static_cast<GifByteType>(loops >> 8)};
        ok = ok && EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
             EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0") == GIF_OK &&
             EGifPutExtensionBlock(gif, 3, loop) == GIF_OK &&
             EGifPutExtensionTrailer(gif) == GIF_OK;
    }
    for (const GifImage& image : images) {
        const GraphicsControlBlock control{image.disposal, false, image.delay, image.transparent};
        GifByteType block[4];
        EGifGCBToExtension(&control, block);
        ok = ok &&
             (!controlled || EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, block) == GIF_OK);
        const Picture& p = image.picture;
        ok = ok && EGifPutImageDesc(gif, image.left, image.top, p.width, p.height, interlaced,
                                    nullptr) == GIF_OK;
        // An interlaced image's rows are given in the order they are stored.
        constexpr int kFirst[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
        for (int pass = 0; pass < (interlaced ? 4 : 1); ++pass)
            for (int y = interlaced ? kFirst[pass] : 0; y < p.height;
                 y += interlaced ? kStep[pass] : 1)
                ok = ok && EGifPutLine(
                               gif, const_cast<GifPixelType*>(&p.pixels[std::size_t(y) * p.width]),
                               p.width) == GIF_OK;
    }
    ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
    GifFreeMapObject(map);
    Check(ok, "GIF");
    return out;
}

Bytes Jpeg(int width, int height, int components, const Bytes& pixels, bool progressive)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors); // a failure here ends the test program
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    if (progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    Bytes row;
    for (int y = 0; y < height; ++y) {
        row.assign(pixels.begin() + std::ptrdiff_t(y) * width * components,
                   pixels.begin() + std::ptrdiff_t(y + 1) * width * components);
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

Bytes Png(int width, int height, const Bytes& rgba, bool interlaced)
{
    const std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)> ctx(spng_ctx_new(SPNG_CTX_ENCODER),
                                                                  spng_ctx_free);
    spng_ihdr ihdr{static_cast<std::uint32_t>(width),
                   static_cast<std::uint32_t>(height),
                   8,
                   SPNG_COLOR_TYPE_TRUECOLOR_ALPHA,
                   0,
                   0,
                   static_cast<std::uint8_t>(interlaced)};
    int error = spng_set_option(ctx.get(), SPNG_ENCODE_TO_BUFFER, 1);
    if (!error) error = spng_set_ihdr(ctx.get(), &ihdr);
    if (!error)
        error = spng_encode_image(ctx.get(), rgba.data(), rgba.size(), SPNG_FMT_PNG,
                                  SPNG_ENCODE_FINALIZE);
    std::size_t size = 0;
    void* png = error ? nullptr : spng_get_png_buffer(ctx.get(), &size, &error);
    Check(png, "PNG");
    Bytes out(static_cast<std::uint8_t*>(png), static_cast<std::uint8_t*>(png) + size);
    std::free(png);
    return out;
}

} // namespace kisswriter
