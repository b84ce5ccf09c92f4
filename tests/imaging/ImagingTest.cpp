#include "imaging/DecodeCel.h"
#include "imaging/GifDecoder.h"
#include "imaging/ImageFileKind.h"
#include "imaging/JpegDecoder.h"
#include "imaging/PngDecoder.h"
#include "imaging/SetPicture.h"
#include "imaging/TruecolourCel.h"
#include "support/Test.h"

#include <ImageWriter.h>
#include <chrono>
#include <climits>
#include <functional>
#include <numeric>

using namespace kisswriter;
using Rows = std::vector<Bytes>; // picture rows, top first
const std::string kNoMemory = "ﾒﾓﾘｽﾄﾘｰﾑの拡大中にﾒﾓﾘが足りなくなりました";

const auto BytesOf = [](const MemoryStream& s) { return Bytes(s.Data(), s.Data() + s.Size()); };
const auto StreamOf = [](const auto& bytes) {
    MemoryStream s;
    s.Write(bytes.data(), bytes.size());
    return s;
};

// A picture and its colour table (0xRRGGBB: stored blue, green, red, 0), read back from the BMP bytes alone.
static std::pair<Rows, std::vector<int>> Read(const MemoryStream& s)
{
    const Bytes b = BytesOf(s);
    const auto u32 = [&b](int at) { return b.at(at) | b.at(at + 1) << 8 | b.at(at + 2) << 16 | b.at(at + 3) << 24; };
    const int width = u32(18), height = u32(22), stride = (width + 3) / 4 * 4;
    EXPECT_EQ(b.size(), 1078u + stride * height); // the file ends with the rows
    std::pair<Rows, std::vector<int>> read{Rows(height), {}};
    Bytes pad;
    for (int i = 0; i < stride * height; ++i) // stored bottom-up
        (i % stride < width ? read.first[height - 1 - i / stride] : pad).push_back(b[1078 + i]);
    EXPECT_EQ(pad, Bytes(pad.size()));
    for (int at = 54; at < 1078; at += 4)
        read.second.push_back(u32(at));
    return read;
}

// A colour table: head, then rest up to n entries, then the fresh grey ramp.
static std::vector<int> Colours(std::vector<int> head, int rest = 0, std::size_t n = 0)
{
    head.resize(std::max(n, head.size()), rest);
    for (int i = static_cast<int>(head.size()); i < 256; ++i)
        head.push_back(i * 0x010101);
    return head;
}

// Decodes from streams at their ends: the picture, its colours, where the palette was left.
static auto Decode(TBmp256Image& image, const Bytes& cel, const Bytes& palette, int offset)
{
    MemoryStream c = StreamOf(cel), p = StreamOf(palette);
    DecodeCel(image, c, p, static_cast<std::uint8_t>(offset));
    return std::tuple_cat(Read(image.Stream()), std::tuple(p.Position()));
}

TEST(Bmp256Image, SizesHeaderAndWrites)
{
    // clang-format off
    const std::pair<int, int> tooLarge[] = {{65536, 32768}, {4, 536870643}, {INT_MAX, INT_MAX}, {INT_MAX, 1}, {-1, 1}, {1, -1}};
    const Bytes header{'B', 'M', 0x66, 4, 0, 0, 0, 0, 0, 0, 0x36, 4, 0, 0, 40, 0, 0, 0, 10, 0, 0, 0, 4, 0, 0, 0, 1, 0, 8, 0, // 1 plane of 8 bits
                       0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const std::array<int, 3> pixels[] = {{0, 0, 1114}, {9, 3, 1087}, {0, 3, 1078}, {11, 0, 1125}, {12, 0, -1}, // the byte written, or none
        {-1, 0, -1}, {0, 4, -1}, {0, -1, -1}, {INT_MAX, 0, -1}, {0, INT_MIN, -1}};
    // clang-format on
    TBmp256Image image;
    for (const auto& [w, h] : tooLarge) { // files past 2^31 - 1 bytes, products past 64 bits, negative sizes
        image.WritePixel(0, 0, 1);        // harmless on an empty image, new or after the error
        image.WritePaletteEntry(0, 1, 2, 3);
        image.SetSize(3, 1);
        EXPECT_EQ(MessageOf([&, w = w, h = h] { image.SetSize(w, h); }), kNoMemory) << w << "x" << h;
        EXPECT_EQ(image.Stream().Size() + image.FileSize() + image.RowStride(), 0);
    }
    image.SetSize(10, 4); // usable again; rows of 12 bytes, stored bottom-up
    image.WritePaletteEntry(1, 255, 128, 0);
    const TBmp256Image::Colour run[] = {{10, 11, 12}, {20, 21, 22}, {30, 31, 32}};
    for (const int first : {256, -3, 255, -2}) // only the entries from 0 to 255 are written
        image.WritePaletteEntries(first, run, 3);
    std::vector<int> colours = Colours({0x1E1F20, 0xFF8000});
    colours[255] = 0x0A0B0C;
    EXPECT_EQ(Read(image.Stream()), std::pair(Rows(4, Bytes(10)), colours));
    Bytes expected = BytesOf(image.Stream());
    EXPECT_EQ(Bytes(expected.begin(), expected.begin() + 54), header);
    for (const auto& [x, y, at] : pixels) {
        image.WritePixel(x, y, static_cast<std::uint8_t>(at));
        if (at >= 0) expected[at] = static_cast<std::uint8_t>(at);
    }
    EXPECT_EQ(BytesOf(image.Stream()), expected);
    EXPECT_EQ(std::pair(image.RowStride(), image.FileSize()), std::pair(12, 1126));
}

TEST(MemoryStream, ReadsWritesAndFiles)
{
    TempDir dir;
    const std::string path = dir / "%s.bin", unmade = dir / "no/x", folder = dir.Path().string();
    MemoryStream s;
    std::uint8_t d[4] = {1, 2, 3, 4};
    s.Write(d, 2);
    s.Write(d + 2, 2);
    s.Seek(-5); // before the start is the start
    const std::vector<std::size_t> got = {s.Read(d + 1, 3), s.Read(d, 4), s.Read(d, 4), (s.Seek(5), s.Read(d, 4))};
    EXPECT_EQ(got, (std::vector<std::size_t>{3, 1, 0, 0})); // what is there, then nothing,
    EXPECT_EQ(Bytes(d, d + 4), (Bytes{4, 1, 2, 3}));        // leaving the rest as it was
    s.Write(d, 2);                                          // the gap before reads as 0
    MemoryStream big; // only the gap after a long content is cleared, not as much again past the end
    big.SetSize(16 << 20);
    big.Seek((16 << 20) + 1);
    big.Write(d, 1);
    EXPECT_EQ(std::tuple(big.Size(), big.Data()[16 << 20], big.Data()[(16 << 20) + 1]),
              std::tuple((16 << 20) + 2, 0, d[0]));
    WriteFile(path, std::string(5000, 0x55));
    s.SaveToFile(path); // replaces the longer file wholly
    s.LoadFromFile(path);
    EXPECT_EQ(std::tuple(BytesOf(s), s.Position()), std::tuple(Bytes{1, 2, 3, 4, 0, 4, 1}, 0));
    s.Seek(2);
    s.SetSize(3);
    EXPECT_EQ(std::tuple(BytesOf(s), s.Position()), std::tuple(Bytes(3), 0));
    MemoryStream().SaveToFile(path); // nothing to write is no failure
    // clang-format off
    const std::pair<std::string, std::string> failures[] = {
        {MessageOf([&] { s.LoadFromFile(path); s.Write(d, 2); s.Write(d, 1); }), "(no error)"}, {MessageOf([&] { s.SetSize(-1); }), kNoMemory},
        {MessageOf([&] { s.SetSize(MemoryStream::kMaxSize + 1); }), kNoMemory}, {MessageOf([&] { s.Seek(MemoryStream::kMaxSize); s.Write(d, 1); }), kNoMemory},
        {MessageOf([&] { s.LoadFromFile(path + "x"); }), "ﾌｧｲﾙ " + path + "x は開けません"}, {MessageOf([&] { s.LoadFromFile(folder); }), "ﾌｧｲﾙ " + folder + " は開けません"},
        {MessageOf([&] { s.SaveToFile(unmade); }), "ﾌｧｲﾙ " + unmade + " を作成できません"},
#ifndef _WIN32
        {MessageOf([&] { s.SaveToFile("/dev/full"); }), "ﾌｧｲﾙ /dev/full を作成できません"}, // a device: never opened
#endif
    };
    // clang-format on
    for (const auto& [message, wanted] : failures)
        EXPECT_EQ(message, wanted);
    EXPECT_EQ(BytesOf(s), (Bytes{4, 1, 4})); // as the failures left it
}

TEST(DecodeCel, PicturesAndColourTables)
{
    Bytes full(800); // colour k: the 2 or 3 bytes from 2k or 3k on, counting up; later ones unread
    std::iota(full.begin(), full.end(), 0);
    std::vector<int> oldColours(160), fullColours(256);
    for (int k = 0; k < 256; ++k)
        fullColours[k] = (3 * k & 255) << 16 | ((3 * k + 1) & 255) << 8 | ((3 * k + 2) & 255);
    for (int k = 0; k < 160; ++k)
        oldColours[k] = (2 * k & 0xF0) << 16 | ((2 * k + 1) & 15) << 12 | (2 * k & 15) << 4;
    const Rows one{{1}}, two(2, Bytes(3)), three(3, Bytes(3));
    // clang-format off
    const std::pair<Bytes, Rows> pictures[] = { // a cel; its picture with the palette offset 250
        {RawOldCel(3, 3, {15, 30, 32, 0x3F, 0x45}), {{0, 9, 251}, {252, 0, 253}, {254, 255, 254}}}, {RawHeaded(4, {3, 1, 1, 1}, {0x12, 0x34}), {Bytes(4), {0, 251, 252, 253}}},
        {RawHeaded(8, {3, 2, 1, 1}, {1, 2, 0, 7}), {Bytes(4), {0, 1, 2, 0}, {0, 7, 7, 7}}},
        // No pixels: other bits per pixel, width or height 0, header fields a short file lacks.
        {RawHeaded(32, {2, 2, 1, 1}, {9}), three}, {RawHeaded(0, {1, 1}, {0xFF}), {{0}}}, {RawHeaded(8, {0, 2, 3}, {1}), two}, {RawHeaded(4, {3, 0, 0, 2}, {1}), two},
        {{}, {}}, {{3, 0, 1}, {Bytes(3)}}, {{'K', 'i', 'S'}, Rows(0x53, Bytes(0x694B))}, {{'K', 'i', 'S', 'S', 0, 4, 0, 0, 2, 0, 1, 0, 3}, {Bytes(5)}}};
    const std::tuple<Bytes, std::vector<int>, int, int, int> palettes[] = { // a palette; its colour table (see Colours); where it ends
        {{}, {}, 0, 160, 0}, {full, oldColours, 0, 0, 320}, {RawHeaded(24, {200, 2}, full), fullColours, 0, 0, 800},
        // 12 bits: red and blue, then green in the low half. Cut short, a 12-bit colour keeps the bytes of the one before, a 24-bit one the last byte.
        {RawHeaded(12, {16, 1}, {0xF3, 0x0A, 0xFF, 0xF0, 0x78, 0x09, 0xAB}), {0xF0A030, 0xF000F0, 0x709080}, 0xA090B0, 16, 39},
        {RawHeaded(24, {4, 1}, {1, 2, 3, 4, 5}), {0x010203, 0x040505}, 0x050505, 4, 37}, {RawHeaded(12, {65535, 65535}, {0xF3, 0x0A}), {}, 0xF0A030, 256, 34},
        // Other bits read nothing; header fields cut off are 0; only "KiSS" marks a header.
        {RawHeaded(16, {16, 1}, {9}), {}, 0, 0, 32}, {RawHeaded(0, {16, 1}, {9}), {}, 0, 0, 32}, {RawHeaded(32, {16, 1}, {9}), {}, 0, 0, 32},
        {{'K', 'i', 'S', 'S', 0, 12}, {}, 0, 0, 6}, {{'K', 'i', 'S', 'S', 0, 24, 0, 0, 2, 0}, {}, 0, 0, 10},
        {{'K', 'i', 'S'}, {0x4090B0}, 0x509030, 160, 3}, {{'K', 'I', 'S', 'S'}, {0x4090B0}, 0x503030, 160, 4}};
    // clang-format on
    const auto start = std::chrono::steady_clock::now();
    TBmp256Image image; // each decoding replaces the picture and colours before it
    for (const auto& [cel, picture] : pictures)
        EXPECT_EQ(Decode(image, cel, {}, 250), std::tuple(picture, Colours({}, 0, 160), 0));
    for (const auto& [palette, head, rest, n, end] : palettes)
        for (const Bytes& cel : {RawOldCel(1, 1, {0x10}), RawHeaded(8, {1, 1}, {1})}) // any form
            EXPECT_EQ(Decode(image, cel, palette, 0), std::tuple(one, Colours(head, rest, n), end))
                << testing::PrintToString(palette);
    for (const Bytes& cel : {RawOldCel(65535, 65535, {1}), RawHeaded(8, {65535, 1, 65535, 65535}),
                             RawHeaded(8, {65535, 65535, 65535, 65535}, {1})}) // too large, leaving no picture
        EXPECT_EQ((std::tuple{MessageOf([&] { Decode(image, cel, {}, 0); }), image.Stream().Size()}),
                  (std::tuple{kNoMemory, 0}));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)); // not per pixel
}

TEST(TruecolourCel, PicturesRunsAndSizes)
{
    // clang-format off
    const std::tuple<Bytes, bool, int, int, Bytes, std::vector<std::int32_t>> cels[] = { // a cel; 32-bit; its picture (RGBA); opaque runs
        {RawHeaded(32, {2, 1, 1, 1}, {1, 2, 3, 4, 5, 6, 7, 0}), true, 3, 2, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 2, 1, 4, 7, 6, 5, 0}, {0, 1, 1, 2}},
        {RawHeaded(32, {2, 2, 0, 0}, {1, 2, 3, 4, 5, 6}), true, 2, 2, {3, 2, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {1, 0, 1, 0}}, // cut short, in a pixel
        {RawHeaded(32, {0, 2, 1, 0}, {9}), true, 1, 2, Bytes(8), {0, 0}}, {RawHeaded(8, {1, 1, 0, 0}, {5}), false, 1, 1, Bytes(4), {0}},
        {RawHeaded(32, {1, 1}, {1, 2, 3, 4}), false, 1, 1, Bytes(4), {0}}}; // a palette's mark
    const std::pair<int, int> tooLarge[] = {{-1, 1}, {1, -1}, {1, 536870912}, {INT_MAX, INT_MAX}, {0, 0}}; // (0, 0): a cel of 65535 x 65535
    // clang-format on
    RgbaImage image;
    for (const auto& [bytes, truecolour, width, height, rgba, runs] : cels) {
        MemoryStream cel = StreamOf(bytes);
        EXPECT_EQ((std::tuple{IsTruecolourCel(cel), cel.Position(), (DecodeTruecolourCel(image, cel), image.Width()),
                              image.Height(), image.Rgba(), OpaqueRuns(image)}), // in braces: in order
                  std::tuple(truecolour, 0, width, height, rgba, runs));
    }
    MemoryStream huge = StreamOf(RawHeaded(32, {65535, 65535, 0, 0}));
    for (const auto& [w, h] : tooLarge) { // leaving the image empty
        image.SetSize(1, 1);
        const std::string message =
            MessageOf([&, w = w, h = h] { w || h ? image.SetSize(w, h) : DecodeTruecolourCel(image, huge); });
        EXPECT_EQ(std::tuple(message, image.Width() + image.Height(), image.Rgba().size()),
                  std::tuple(kNoMemory, 0, 0u));
    }
}

TEST(DecodeCel, ColourScalesAndImageFileKinds)
{
    const auto Rgb = [](TBmp256Image::Colour c) { return std::array{c.red, c.green, c.blue}; };
    using Rgbs = std::array<std::uint8_t, 3>;
    MemoryStream palette = StreamOf(RawHeaded(12, {1, 1}, {0xF8, 0x0F})); // red 15, blue 8, green 15
    EXPECT_EQ(std::pair(Rgb(PaletteColour(palette, 0, 0)), Rgb(PaletteColour(palette, 0, 0, ColourScale::Viewer))),
              std::pair(Rgbs{240, 240, 128}, Rgbs{255, 255, 136}));
    // Pixel 1 of a 4-bit cel in group 2 of a palette of one group: group 0's colour as viewers show it, grey as
    // designed.
    for (const auto& [scale, colour] :
         {std::pair{ColourScale::Viewer, Rgbs{17, 17, 17}}, {ColourScale::Designed, Rgbs{33, 33, 33}}}) {
        MemoryStream cel = StreamOf(RawOldCel(1, 1, {0x10})), one = StreamOf(RawHeaded(12, {16, 1}, Bytes(32, 0x11)));
        TBmp256Image image;
        DecodeCel(image, cel, one, 32, scale);
        EXPECT_EQ(Rgb(image.ColourAt(33)), colour);
    }
    // clang-format off
    const std::pair<std::string, std::string> kinds[] = {{"GIF87a", "GIF"}, {"GIF89a;", "GIF"}, {"GIF88a", ""}, {"GIF8", ""},
        {"\x89PNG\r\n\x1a\n", "PNG"}, {"\x89PNG\r\n\x1a", ""}, {"\xFF\xD8\xFF\xE0", "JPEG"}, {"\xFF\xD8", ""}, {"KiSS", ""}, {"", ""}};
    // clang-format on
    for (const auto& [start, kind] : kinds) {
        MemoryStream file = StreamOf(start);
        const char* found = ImageFileKind(file);
        EXPECT_EQ(std::tuple(std::string(found ? found : ""), file.Position()), std::tuple(kind, 0)) << start;
    }
}

TEST(SetPicture, DrawOverBlendsBackToFront)
{
    TBmp256Image front, back; // front: colour 1, then 0; back: colours 1, 2, 3 of grey 1, 2, 3
    Decode(front, RawHeaded(8, {2, 1, 0, 0}, {1, 0}), RawHeaded(24, {2, 1}, {0, 0, 0, 201, 0, 50}), 0);
    Decode(back, RawHeaded(8, {3, 1, 0, 0}, {1, 2, 3}), RawHeaded(24, {4, 1}, {0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3}), 0);
    RgbaImage rgba; // green at about half alpha, then opaque
    MemoryStream rgbaCel = StreamOf(RawHeaded(32, {2, 1, 0, 0}, {0, 255, 0, 129, 30, 20, 10, 255}));
    DecodeTruecolourCel(rgba, rgbaCel);
    SetPicture behind(3, 1, {100, 100, 100});
    behind.DrawBehind(front, 1, 0), behind.DrawBehind(back, 0, 0);
    // clang-format off
    const std::pair<std::function<void(SetPicture&)>, Bytes> blends[] = { // the drawing on grey 100; the picture
        {[&](SetPicture& p) { p.DrawOver(front, 0, 0); }, {201, 0, 50, 100, 100, 100, 100, 100, 100}},
        {[&](SetPicture& p) { p.DrawOver(front, 1, 0, 128); }, {100, 100, 100, 150, 49, 74, 100, 100, 100}},
        {[&](SetPicture& p) { p.DrawOver(rgba, 0, 0, 128); p.DrawBehind(back, 0, 0); }, {74, 139, 74, 54, 59, 64, 3, 3, 3}}, // alpha x opacity; opaque: faded
        {[&](SetPicture& p) { for (const auto& [x, y] : {std::pair(2, 0), std::pair(-1, 0), std::pair(0, 1), std::pair(0, -1), std::pair(INT_MAX, 0), std::pair(INT_MIN, INT_MIN)}) p.DrawOver(rgba, x, y); },
         {10, 20, 30, 100, 100, 100, 49, 178, 49}}, // clipped
        {[&](SetPicture& p) { p.DrawOver(back, 0, 0); p.DrawOver(front, 1, 0); }, behind.Rgb()}}; // DrawBehind's picture
    // clang-format on
    for (const auto& [draw, rgb] : blends) {
        SetPicture picture(3, 1, {100, 100, 100});
        draw(picture);
        EXPECT_EQ(picture.Rgb(), rgb);
    }
}

// Files written by Debian's encoders, read back: every frame's pixels (JPEG's within 3 of each part), delays and plays.
TEST(ImageFiles, DecodedAsTheirEncodersWroteThem)
{
    const std::vector<Rgb> colours = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {9, 9, 9}};
    const Bytes R = {255, 0, 0, 255}, G = {0, 255, 0, 255}, B = {0, 0, 255, 255}, K = {9, 9, 9, 255}, _ = Bytes(4);
    const auto Px = [](std::initializer_list<Bytes> pixels, int times = 1) {
        Bytes all;
        for (int i = 0; i < times; ++i)
            for (const Bytes& p : pixels)
                all.insert(all.end(), p.begin(), p.end());
        return all;
    };
    const auto Pic = [](int w, int h, Bytes indices) {
        Picture p(w, h);
        p.pixels = std::move(indices);
        return p;
    };
    Bytes rgba(4 * 9 * 9);
    for (std::size_t i = 0; i < rgba.size(); ++i)
        rgba[i] = static_cast<std::uint8_t>(i * 37 + i / 5);
    // Left (disposal 1), cleared (2), put back (3, over a transparent colour), clipped to the screen.
    const std::vector<GifImage> moving = {{Pic(3, 1, {0, 0, 0}), 0, 0, 0, 1},
                                          {Pic(1, 1, {1}), 1, 0, 5, 2},
                                          {Pic(2, 1, {2, 3}), 1, 0, 1, 3, 3},
                                          {Pic(2, 1, {1, 1}), 2, 0, 2}};
    const Bytes animation = Gif(3, 1, colours, moving, false, 0);
    using Decoder = void (*)(MemoryStream&, RgbaFrames&);
    // clang-format off
    const std::tuple<Bytes, Decoder, std::vector<Bytes>, std::vector<std::int32_t>, int> files[] = { // file; frames; delays; plays
        {Gif(3, 2, colours, {{Pic(3, 2, {0, 1, 2, 3, 3, 0})}}), DecodeGif, {Px({R, G, B, K, K, R})}, {100}, 1}, // 87a
        {Gif(1, 9, colours, {{Pic(1, 9, {0, 1, 2, 3, 0, 1, 2, 3, 0})}}, true), DecodeGif, {Px({R, G, B, K, R, G, B, K, R})}, {100}, 1},
        {animation, DecodeGif, {Px({R, R, R}), Px({R, G, R}), Px({R, B, R}), Px({R, _, G})}, {100, 50, 100, 20}, 0},
        {Bytes(animation.begin(), animation.end() - 6), DecodeGif, {Px({R, R, R}), Px({R, G, R}), Px({R, B, R})}, {100, 50, 100}, 0}, // cut
        {Gif(1, 1, colours, {{Pic(2, 1, {1, 2}), 0, 0, 3}}, false, 2), DecodeGif, {Px({G, B})}, {30}, 3}, // the screen widened
        {Jpeg(8, 8, 1, Bytes(64, 128)), DecodeJpeg, {Px({{128, 128, 128, 255}}, 64)}, {0}, 1},
        {Jpeg(16, 8, 3, Px({{200, 100, 50}}, 128), true), DecodeJpeg, {Px({{200, 100, 50, 255}}, 128)}, {0}, 1},
        {Jpeg(8, 8, 4, Px({{255, 0, 255, 128}}, 64)), DecodeJpeg, {Px({{128, 0, 128, 255}}, 64)}, {0}, 1}, // CMYK
        {Png(9, 9, rgba), DecodePng, {rgba}, {0}, 1}, {Png(9, 9, rgba, true), DecodePng, {rgba}, {0}, 1}};
    // clang-format on
    RgbaFrames frames;
    int row = 0;
    for (const auto& [file, decode, pixels, delays, plays] : files) {
        SCOPED_TRACE(row++);
        MemoryStream stream = StreamOf(file);
        EXPECT_EQ(MessageOf([&, decode = decode] { decode(stream, frames); }), "(no error)");
        std::vector<Bytes> decoded;
        for (const RgbaImage& frame : frames.Frames())
            decoded.push_back(frame.Rgba());
        const int tolerance = decode == DecodeJpeg ? 3 : 0;
        const auto near = [&](const Bytes& a, const Bytes& b) {
            return std::ranges::equal(a, b, [&](int x, int y) { return std::abs(x - y) <= tolerance; });
        };
        EXPECT_TRUE(std::ranges::equal(decoded, pixels, near)) << testing::PrintToString(decoded);
        EXPECT_EQ(std::tuple(frames.Delays(), frames.Plays()), std::tuple(delays, plays));
    }
    // Refused: no GIF, PNG or JPEG past the first bytes, a screen past the bounds, a picture past those given.
    Bytes many = Gif(1, 1, colours, std::vector<GifImage>(1030, {Pic(1, 1, {2}), 0, 0, 2}));
    const std::tuple<Bytes, Decoder, std::int64_t, std::string> refused[] = {
        {Bytes{'G', 'I', 'F', '8', '9', 'a'}, DecodeGif, RgbaFrames::kMaxBytes, "ｽﾄﾘｰﾑからの読み込みｴﾗｰ"},
        {Bytes{0xFF, 0xD8, 0xFF}, DecodeJpeg, RgbaFrames::kMaxBytes, "ｽﾄﾘｰﾑからの読み込みｴﾗｰ"},
        {Bytes{0x89, 'P', 'N', 'G', 13, 10, 26, 10}, DecodePng, RgbaFrames::kMaxBytes, "ｽﾄﾘｰﾑからの読み込みｴﾗｰ"},
        {Gif(65535, 65535, colours, {{Pic(1, 1, {1})}}), DecodeGif, RgbaFrames::kMaxBytes, kNoMemory},
        {Jpeg(8, 8, 1, Bytes(64, 128)), DecodeJpeg, 255, kNoMemory},
        {Png(9, 9, rgba), DecodePng, 323, kNoMemory},
        {many, DecodeGif, RgbaFrames::kMaxBytes, "(no error)"}}; // the first 1,024 frames
    for (const auto& [file, decode, bound, message] : refused) {
        RgbaFrames bounded(bound);
        MemoryStream stream = StreamOf(file);
        const std::string thrown = MessageOf([&, decode = decode] { decode(stream, bounded); });
        EXPECT_EQ(std::tuple(thrown, bounded.Frames().size()),
                  std::tuple(message, message == "(no error)" ? 1024u : 0u));
    }
}
