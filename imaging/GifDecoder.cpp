#include "GifDecoder.h"

#include "StreamErrors.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

int ReadFrom(GifFileType* gif, GifByteType* into, int count)
{
    return static_cast<int>(static_cast<MemoryStream*>(gif->UserData)->Read(into, count));
}

struct Close {
    void operator()(GifFileType* gif) const
    {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};
using Gif = std::unique_ptr<GifFileType, Close>;

// The rows of an image of height rows in the order the file gives them.
std::vector<std::int32_t> RowOrder(std::int32_t rows, bool interlaced)
{
    std::vector<std::int32_t> order;
    constexpr std::int32_t kFirst[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
    for (int pass = 0; pass < (interlaced ? 4 : 1); ++pass)
        for (std::int32_t y = interlaced ? kFirst[pass] : 0; y < rows;
             y += interlaced ? kStep[pass] : 1)
            order.push_back(y);
    return order;
}

class Reader {
public:
    Reader(GifFileType* gif, RgbaFrames& frames) : gif_(gif), frames_(frames) {}
    // Reads records until the end, a failure or a frame past the bounds.
    void Read()
    {
        for (GifRecordType type; DGifGetRecordType(gif_, &type) == GIF_OK;) {
            if (type == TERMINATE_RECORD_TYPE) return;
            if (type == EXTENSION_RECORD_TYPE && !Extension()) return;
            if (type == IMAGE_DESC_RECORD_TYPE && !Image()) return;
        }
    }

private:
    bool Extension()
    {
        int code = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension(gif_, &code, &block) == GIF_ERROR) return false;
        for (int index = 0; block; ++index) {
            if (code == GRAPHICS_EXT_FUNC_CODE && index == 0)
                DGifExtensionToGCB(block[0], block + 1, &control_);
            if (code == APPLICATION_EXT_FUNC_CODE && index == 0)
                netscape_ = block[0] == 11 && std::memcmp(block + 1, "NETSCAPE2.0", 11) == 0;
            if (code == APPLICATION_EXT_FUNC_CODE && index == 1 && netscape_ && block[0] >= 3 &&
                block[1] == 1) {
                const int loops = block[2] | block[3] << 8;
                frames_.SetPlays(loops == 0 ? 0 : loops + 1);
            }
            if (DGifGetExtensionNext(gif_, &block) == GIF_ERROR) return false;
        }
        return true;
    }

    bool Image()
    {
        const bool first = frames_.Frames().empty();
        if (frames_.Frames().size() >= RgbaFrames::kMaxFrames) return false;
        if (DGifGetImageDesc(gif_) == GIF_ERROR) return false;
        const GifImageDesc& d = gif_->Image;
        const std::int32_t x = d.Left, y = d.Top, width = d.Width, height = d.Height;
        // The picture the next frame starts from costs a frame; an image's rows, read whatever
        // part of them is seen, cost as pixels do.
        if (first) {
            width_ = std::max<std::int32_t>(gif_->SWidth, x + width);
            height_ = std::max<std::int32_t>(gif_->SHeight, y + height);
            if (!frames_.Spend(width_, height_))
                throw EStreamMemoryError("out of memory: the GIF image is too large");
            next_.SetSize(width_, height_);
        }
        const int cs = control_.DelayTime;
        if (!frames_.Spend(width, height) || !frames_.Fits(width_, height_)) {
            if (first) throw EStreamMemoryError("out of memory: the GIF image is too large");
            return false;
        }
        RgbaImage& frame = frames_.Add(width_, height_, cs <= 1 ? 100 : 10 * cs);
        frame = next_;
        const bool read = Pixels(frame, x, y, width, height);
        if (control_.DisposalMode == DISPOSE_BACKGROUND) {
            next_ = frame;
            for (std::int32_t row = std::min(y, height_); row < std::min(y + height, height_);
                 ++row)
                std::fill(next_.Row(row) + 4 * std::min(x, width_),
                          next_.Row(row) + 4 * std::min(x + width, width_), std::uint8_t{0});
        } else if (control_.DisposalMode != DISPOSE_PREVIOUS) {
            next_ = frame;
        }
        control_ = {DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
        return read;
    }

    // Draws the image's pixels over the frame; false when its rows are cut short.
    bool Pixels(RgbaImage& frame, std::int32_t x, std::int32_t y, std::int32_t width,
                std::int32_t height)
    {
        const ColorMapObject* map = gif_->Image.ColorMap ? gif_->Image.ColorMap : gif_->SColorMap;
        const int colours = map ? map->ColorCount : 0;
        std::vector<GifPixelType> line(static_cast<std::size_t>(width));
        for (const std::int32_t row : RowOrder(height, gif_->Image.Interlace)) {
            if (width > 0 && DGifGetLine(gif_, line.data(), width) == GIF_ERROR) return false;
            std::uint8_t* out = frame.Row(y + row);
            for (std::int32_t column = 0; out && column < width && x + column < width_; ++column) {
                const int index = line[static_cast<std::size_t>(column)];
                // Clear where the colour is transparent or the table has none.
                if (index == control_.TransparentColor || index >= colours) continue;
                const GifColorType& c = map->Colors[index];
                std::uint8_t* pixel = out + 4 * (x + column);
                pixel[0] = c.Red, pixel[1] = c.Green, pixel[2] = c.Blue, pixel[3] = 255;
            }
        }
        return true;
    }

    GifFileType* gif_;
    RgbaFrames& frames_;
    GraphicsControlBlock control_{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
    bool netscape_ = false;
    std::int32_t width_ = 0, height_ = 0;
    RgbaImage next_; // what the next frame starts from
};

} // namespace

void DecodeGif(MemoryStream& file, RgbaFrames& frames)
{
    frames.Clear();
    file.Seek(0);
    int error = 0;
    const Gif gif(DGifOpen(&file, ReadFrom, &error));
    if (!gif)
        throw EStreamReadError(std::string("the GIF image cannot be read: ") +
                               (GifErrorString(error) ? GifErrorString(error) : "unknown error"));
    Reader(gif.get(), frames).Read();
    if (frames.Frames().empty()) throw EStreamReadError("the GIF image holds no picture");
}
