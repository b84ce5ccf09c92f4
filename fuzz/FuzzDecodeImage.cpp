// One image file decoder (KISS_DECODE: DecodeGif, DecodeJpeg or DecodePng) over arbitrary bytes: it gives frames or
// refuses with the stream's errors before making one, and what it gives keeps the bounds it was given: one size, a
// delay each, no more frames or bytes than allowed. The bound here is small, so inputs reach it and stay quick.
#include "Fuzz.h"

#include "imaging/GifDecoder.h"
#include "imaging/JpegDecoder.h"
#include "imaging/PngDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    MemoryStream file;
    file.Write(data, size);
    static RgbaFrames frames(std::int64_t{4} << 20); // reused, as a run reuses its decoder's
    if (Thrown([&] { KISS_DECODE(file, frames); })) {
        assert(frames.Frames().empty()); // refused before a frame was made
        return 0;
    }
    const auto& all = frames.Frames();
    assert(!all.empty() && all.size() <= RgbaFrames::kMaxFrames && frames.Delays().size() == all.size());
    std::int64_t bytes = 0;
    for (const RgbaImage& frame : all) {
        assert(frame.Width() == all[0].Width() && frame.Height() == all[0].Height());
        bytes += std::ssize(frame.Rgba());
    }
    assert(bytes <= frames.MaxBytes());
    return 0;
}
