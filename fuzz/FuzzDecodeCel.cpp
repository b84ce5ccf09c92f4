// DecodeCel over arbitrary cel and palette bytes, compared byte for byte with a plain decoder that follows the format
// rules one read at a time. Input: one byte of palette offset, two bytes (little-endian) of cel length, cel, palette.
#include "Fuzz.h"

static const auto U16 = [](const std::uint8_t* p) { return p[0] | p[1] << 8; };

// One read per pixel byte and colour part into one reused variable: a cut-short file repeats what the last read left.
static void PlainDecode(TBmp256Image& image, MemoryStream& cel, MemoryStream& palette, int offset)
{
    std::uint8_t h[32] = {}, ph[32] = {}, b = 0, pair[2] = {}, part = 0, rgb[3]; // headers: 0 past a file's end
    cel.Seek(0);
    cel.Read(h, 32);
    palette.Seek(0);
    palette.Read(ph, 32);
    const bool headed = std::memcmp(h, "KiSS", 4) == 0, headedPalette = std::memcmp(ph, "KiSS", 4) == 0;
    const int bits = headed ? h[5] : 4, x = headed ? U16(h + 12) : 0, y = headed ? U16(h + 14) : 0;
    const std::int64_t width = U16(h + (headed ? 8 : 0)), height = U16(h + (headed ? 10 : 2));
    image.SetSize(x + width, y + height);
    if (!headed) cel.Seek(4);
    for (std::int64_t p = 0, c = 0; p < width * height && (bits == 4 || bits == 8); c = ++p % width) {
        if (bits == 8 || c % 2 == 0) cel.Read(&b, 1);
        const int nibble = c % 2 == 0 ? b >> 4 : b & 15;
        image.WritePixel(x + c, y + p / width, bits == 8 ? b : nibble == 0 ? 0 : nibble + offset);
    }
    const int depth = headedPalette ? ph[5] : 12;
    const std::int64_t colours = headedPalette ? std::int64_t{U16(ph + 8)} * U16(ph + 10) : 160;
    if (!headedPalette) palette.Seek(0);
    // Entries past 255 do not exist; their colours are not read.
    for (int k = 0; k < std::min<std::int64_t>(colours, 256) && (depth == 12 || depth == 24); ++k) {
        if (depth == 12) palette.Read(pair, 2);
        for (int i = 0; i < 3; ++i) {
            if (depth == 24) palette.Read(&part, 1);
            rgb[i] = depth == 24 ? part : i == 0 ? pair[0] & 0xF0 : (i == 1 ? pair[1] : pair[0]) << 4;
        }
        image.WritePaletteEntry(k, rgb[0], rgb[1], rgb[2]);
    }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3) return 0;
    const std::size_t celSize = std::min<std::size_t>(U16(data + 1), size - 3);
    MemoryStream cel, palette;
    cel.Write(data + 3, celSize);
    palette.Write(data + 3 + celSize, size - 3 - celSize);
    const CelHeader header = ReadCelHeader(cel);
    const std::int64_t bytes = ImageBytes(header);
    // Pictures up to the stream's 2 GB limit are valid, but they cost per pixel, not per input byte, and trip
    // libFuzzer's memory limits: those over 256 KiB are skipped. Over the limit they are refused without allocating.
    if (bytes > (256 << 10) && bytes <= MemoryStream::kMaxSize) return 0;

    static RgbaImage rgba; // any cel read as a 32-bit one: refused exactly when too large, else sized
    const auto rgbaBytes = 4 * std::int64_t{header.xOffset + header.width} * (header.yOffset + header.height);
    const bool refused = Thrown([&] { DecodeTruecolourCel(rgba, cel); }).has_value();
    assert(refused == (rgbaBytes > MemoryStream::kMaxSize) && std::ssize(rgba.Rgba()) == (refused ? 0 : rgbaBytes));

    static TBmp256Image image; // one for all inputs, as a run reuses one for all its cels
    if (const auto thrown = Thrown([&] { DecodeCel(image, cel, palette, data[0]); })) {
        assert(bytes > MemoryStream::kMaxSize && image.FileSize() == 0 && image.Stream().Size() == 0);
        assert(*thrown == "ﾒﾓﾘｽﾄﾘｰﾑの拡大中にﾒﾓﾘが足りなくなりました");
        return 0;
    }
    TBmp256Image plain;
    PlainDecode(plain, cel, palette, data[0]);
    assert(image.FileSize() == bytes && image.Stream().Size() == bytes && plain.Stream().Size() == bytes);
    assert(std::memcmp(image.Stream().Data(), plain.Stream().Data(), bytes) == 0);
    return 0;
}
