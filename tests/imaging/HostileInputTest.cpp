#include "KissBytes.h"

#include "imaging/KissHeaders.h"
#include "imaging/StreamErrors.h"

#include <chrono>
#include <gtest/gtest.h>

namespace {

using namespace kissbytes;
using Clock = std::chrono::steady_clock;

// A header's largest counts must neither allocate beyond the BMP size limit nor loop over them.
TEST(HostileInput, HugeCelsRaiseTheMemoryErrorAtOnce) {
    const Bytes cels[] = {OldCel(65535, 65535, {0x12}), HeadedCel(4, 65535, 65535, 0, 0, {}),
                          HeadedCel(8, 65535, 65535, 65535, 65535, {1}),
                          HeadedCel(8, 65535, 1, 65535, 65535, {})};
    for (const Bytes& cel : cels) {
        const auto start = Clock::now();
        MemoryStream c = StreamOf(cel), p = StreamOf({});
        TBmp256Image image;
        try {
            DecodeCel(image, c, p, 0);
            ADD_FAILURE() << "no error";
        } catch (const EStreamMemoryError& e) {
            EXPECT_STREQ(e.what(), "ﾒﾓﾘｽﾄﾘｰﾑの拡大中にﾒﾓﾘが足りなくなりました");
        }
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
        EXPECT_EQ(image.FileSize(), 0);
    }
}

TEST(HostileInput, HugePalettesAndThreeByteFiles) {
    using E = std::array<int, 4>; // red, green, blue, reserved
    struct Row {
        Bytes cel, palette;
        int width, height, position;
        E entry0, entry255;
    };
    // clang-format off
    const Row rows[] = {
        {OldCel(1, 1, {}), HeadedPalette(12, 65535, 65535, {0xF3, 0x0A}), 1, 1, 34, {240, 160, 48, 0}, {240, 160, 48, 0}},
        {OldCel(1, 1, {}), HeadedPalette(24, 65535, 65535, Bytes(900, 9)), 1, 1, 800, {9, 9, 9, 0}, {9, 9, 9, 0}},
        {{'K', 'i', 'S'}, {'K', 'i', 'S'}, 0x694B, 0x53, 3, {64, 144, 176, 0}, {255, 255, 255, 0}},
        {{2, 0, 1}, {0xF3, 0x0A, 0x55}, 2, 1, 3, {240, 160, 48, 0}, {255, 255, 255, 0}},
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE(&r - rows);
        const auto start = Clock::now();
        std::int64_t position = -1;
        const BmpView view = Decode(r.cel, r.palette, &position);
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
        EXPECT_EQ(view.Width(), r.width);
        EXPECT_EQ(view.Height(), r.height);
        EXPECT_EQ(position, r.position);
        EXPECT_EQ(view.Entry(0), r.entry0);
        EXPECT_EQ(view.Entry(255), r.entry255);
        for (std::size_t i = 1078; i < view.bytes.size(); ++i)
            ASSERT_EQ(view.bytes[i], 0) << i;
    }
    // The cut 12-bit colour keeps the second byte of the one before it.
    EXPECT_EQ(Decode({2, 0, 1}, {'K', 'i', 'S'}).Entry(159), (E{80, 144, 48, 0}));
    EXPECT_EQ(Decode({2, 0, 1}, {0xF3, 0x0A, 0x55}).Entry(1), (E{80, 160, 80, 0}));
}

// Every byte set to ~b, 0 and 255, and the file cut at every length (after lodepng's sweep).
struct Mutation {
    std::string what;
    Bytes bytes;
    long at; // the byte changed, -1 for a cut
};

std::vector<Mutation> Mutations(const Bytes& base) {
    std::vector<Mutation> out;
    for (std::size_t i = 0; i < base.size(); ++i) {
        for (const int v :
             {static_cast<std::uint8_t>(~base[i]), std::uint8_t{0}, std::uint8_t{255}}) {
            Bytes b = base;
            b[i] = static_cast<std::uint8_t>(v);
            out.push_back(
                {"byte " + std::to_string(i) + " = " + std::to_string(v), b, static_cast<long>(i)});
        }
    }
    for (std::size_t n = 0; n < base.size(); ++n)
        out.push_back({"cut to " + std::to_string(n), Bytes(base.begin(), base.begin() + n), -1});
    return out;
}

bool NotExamined(long offset, long headerFieldsEnd) {
    return offset == 4 || offset == 6 || offset == 7 || (offset >= headerFieldsEnd && offset < 32);
}

void ExpectSound(const BmpView& view) {
    ASSERT_GE(view.bytes.size(), 1078u);
    EXPECT_EQ(view.bytes[0], 'B');
    EXPECT_EQ(U32(&view.bytes[2]), view.bytes.size());
    EXPECT_LE(view.Width(), 2 * 65535);
    EXPECT_LE(view.Height(), 2 * 65535);
    EXPECT_EQ(view.bytes.size(), 1078u + static_cast<std::size_t>(view.Stride()) * view.Height());
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(view.Entry(i)[3], 0);
}

int Differences(const Bytes& a, const Bytes& b) {
    int n = 0;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        n += a[i] != b[i];
    return n;
}

Bytes Sequence(std::size_t n, int step) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>(i * step + 1);
    return b;
}

TEST(HostileInput, MutationSweep) {
    const Bytes cel4 = HeadedCel(4, 5, 3, 2, 1, Sequence(9, 29));
    const Bytes pal12 = HeadedPalette(12, 16, 2, Sequence(64, 37));
    struct Base {
        bool isCel;
        Bytes bytes;
        int changesPerByte; // BMP bytes that one pixel or colour byte can change
    };
    const Base bases[] = {{true, cel4, 2},
                          {true, HeadedCel(8, 3, 2, 1, 0, Sequence(6, 71)), 1},
                          {false, pal12, 2},
                          {false, HeadedPalette(24, 4, 1, Sequence(12, 53)), 1}};
    for (const Base& base : bases) {
        const auto decode = [&](const Bytes& b, std::int64_t* position) {
            return base.isCel ? Decode(b, pal12, position) : Decode(cel4, b, position);
        };
        const Bytes expected = decode(base.bytes, nullptr).bytes;
        for (const auto& [what, bytes, at] : Mutations(base.bytes)) {
            SCOPED_TRACE(what);
            if (base.isCel && at >= 0 && at < 4) {
                // A broken magic makes the letters an old-form size near 27000 x 21000, a valid
                // picture too large for a quick sweep: only the choice of form is checked.
                MemoryStream s = StreamOf(bytes);
                EXPECT_FALSE(ReadCelHeader(s).headed);
                continue;
            }
            std::int64_t position = -1;
            const BmpView view = decode(bytes, &position);
            ExpectSound(view);
            EXPECT_LE(position, 32 + 768);
            if (NotExamined(at, base.isCel ? 16 : 12)) {
                EXPECT_EQ(view.bytes, expected);
            }
            if (at >= 32) { // a pixel or colour byte changes only what it holds
                EXPECT_EQ(view.bytes.size(), expected.size());
                EXPECT_LE(Differences(view.bytes, expected), base.changesPerByte);
            }
            if (base.isCel || base.bytes[5] == 12) { // each entry a 12-bit colour or still grey
                for (int i = 0; i < 256; ++i) {
                    const auto e = view.Entry(i);
                    ASSERT_TRUE(view.IsGrey(i) ||
                                (e[0] % 16 == 0 && e[1] % 16 == 0 && e[2] % 16 == 0))
                        << i;
                }
            }
        }
    }
}

} // namespace
