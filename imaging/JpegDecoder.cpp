#include "JpegDecoder.h"

#include "StreamErrors.h"

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE
#include <string>

#include <jerror.h>
#include <jpeglib.h>

namespace {

constexpr int kMaxScans = 1000; // a progressive file of many scans takes time, not memory

// libjpeg's failures come back here by longjmp: only libjpeg's frames and ours, which hold
// nothing to destroy, lie between.
struct Failure {
    jpeg_error_mgr manager;
    std::jmp_buf back;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void Fail(j_common_ptr info)
{
    Failure* failure = reinterpret_cast<Failure*>(info->err);
    info->err->format_message(info, failure->message);
    std::longjmp(failure->back, 1);
}

void Unsaid(j_common_ptr, int) {} // warnings: what a damaged file gives is shown as it comes

void Progress(j_common_ptr info)
{
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number <= kMaxScans) return;
    info->err->msg_code = JERR_NOTIMPL; // its text is replaced below
    Failure* failure = reinterpret_cast<Failure*>(info->err);
    std::snprintf(failure->message, sizeof failure->message, "more than %d scans", kMaxScans);
    std::longjmp(failure->back, 1);
}

// Four bytes of CMYK, each 0 for full ink or 255 for none when inverted, become red, green, blue.
void Uncmyk(std::uint8_t* pixels, std::int32_t count, bool inverted)
{
    for (std::int32_t i = 0; i < count; ++i) {
        std::uint8_t* p = pixels + 4 * i;
        const unsigned k = inverted ? p[3] : 255 - p[3];
        for (int part = 0; part < 3; ++part)
            p[part] = static_cast<std::uint8_t>((inverted ? p[part] : 255 - p[part]) * k / 255);
        p[3] = 255;
    }
}

// Decodes into the frames; the text of libjpeg's failure and whether a picture was begun, or
// "" and true.
std::pair<std::string, bool> Decode(MemoryStream& file, RgbaFrames& frames)
{
    jpeg_decompress_struct info{};
    Failure failure{};
    jpeg_progress_mgr progress{};
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = Fail;
    failure.manager.emit_message = Unsaid;
    progress.progress_monitor = Progress;
    RgbaImage* volatile picture = nullptr; // changed between setjmp and longjmp
    if (setjmp(failure.back)) {
        jpeg_destroy_decompress(&info);
        return {failure.message, picture != nullptr};
    }
    jpeg_create_decompress(&info);
    info.progress = &progress;
    info.mem->max_memory_to_use = static_cast<long>(frames.MaxBytes());
    jpeg_mem_src(&info, file.Data(), static_cast<unsigned long>(file.Size()));
    jpeg_read_header(&info, TRUE);
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_RGBA;
    if (!frames.Fits(info.image_width, info.image_height)) {
        jpeg_destroy_decompress(&info);
        throw EStreamMemoryError("out of memory: the JPEG image is too large");
    }
    try {
        picture = &frames.Add(static_cast<std::int32_t>(info.image_width),
                              static_cast<std::int32_t>(info.image_height), 0);
    } catch (...) {
        jpeg_destroy_decompress(&info);
        throw;
    }
    jpeg_start_decompress(&info);
    while (info.output_scanline < info.output_height) {
        const auto row = static_cast<std::int32_t>(info.output_scanline);
        JSAMPROW rows[] = {picture->Row(row)};
        jpeg_read_scanlines(&info, rows, 1);
        if (cmyk) Uncmyk(picture->Row(row), picture->Width(), info.saw_Adobe_marker);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return {"", true};
}

} // namespace

void DecodeJpeg(MemoryStream& file, RgbaFrames& frames)
{
    frames.Clear();
    const auto [failure, begun] = Decode(file, frames);
    if (!begun) throw EStreamReadError("the JPEG image cannot be read: " + failure);
}
