// An owned 32-bit picture in memory; every control and the screen paint into these.
#pragma once

#include "ui/Types.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ui
{

// The multiples of its size at which a picture may come drawn anew besides ("b0@2x.bmp").
inline constexpr std::array<int, 2> kFinerFactors{2, 4};
// The name of a picture's finer drawing: "b0.bmp" and 2 give "b0@2x.bmp".
std::string FinerName(std::string_view name, int factor);

class Bitmap
{
public:
    Bitmap() = default;
    Bitmap(int width, int height, Color fill = clBlack);
    // A bitmap over pixels it does not own (the window's own framebuffer, so that the screen
    // image exists once); stride is the distance between rows in pixels. Copies share them.
    static Bitmap View(std::uint32_t* pixels, int width, int height, int stride);

    // Decodes a BMP file image (any depth SDL reads); throws std::runtime_error on bad data.
    static Bitmap FromBmp(std::span<const std::uint8_t> bytes);
    // Loads a BMP file; throws std::runtime_error carrying the file name when it cannot.
    static Bitmap LoadFromFile(const std::string& path);
    // LoadFromFile, with the finer drawings found beside the file (AddFiner decides which).
    static Bitmap LoadPicture(const std::string& path);
    struct PictureFile
    {
        Bitmap* picture;
        std::string path;
    };
    // LoadPicture for each file, every one tried so that one bad file costs only its own picture:
    // the failures' messages, one a line; empty when all loaded.
    static std::string LoadPictures(std::span<const PictureFile> files);
    // A picture compiled into the program, with its finer drawings; empty when there is none.
    static Bitmap Embedded(std::string_view name);

    // Finer drawings of this picture at whole multiples of its size, smallest first. A scaled
    // copy reduces the smallest one at least as large as it needs, which stays sharp where
    // magnifying this one would blur. Drawing into a bitmap changes only its own pixels.
    std::span<const Bitmap> Finer() const;
    // Keeps `finer` as a finer drawing if it is one of this picture: a multiple of kFinerFactors
    // of its size that, reduced to it, matches it closely. A file left beside a picture that a
    // player has replaced is not. Returns whether it was kept.
    bool AddFiner(Bitmap finer);

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }
    Rect BoundsRect() const { return {0, 0, width_, height_}; }
    // The smallest rectangle holding every pixel that is not black; empty when all are.
    Rect NonBlackBounds() const;

    Color Pixel(int x, int y) const { return Color::FromPixel(Data()[Index(x, y)] & 0xFFFFFF); }
    void SetPixel(int x, int y, Color c) { Data()[Index(x, y)] = c.Pixel(); }
    std::uint32_t* Row(int y) { return Data() + static_cast<std::size_t>(y) * stride_; }
    const std::uint32_t* Row(int y) const { return Data() + static_cast<std::size_t>(y) * stride_; }
    std::uint32_t* Data() { return external_ != nullptr ? external_ : pixels_.data(); }
    const std::uint32_t* Data() const { return external_ != nullptr ? external_ : pixels_.data(); }
    int Stride() const { return stride_; }

    void Fill(Color c);
    // Makes an owned bitmap of the size, every pixel fill (a view becomes an owned bitmap).
    void Resize(int width, int height, Color fill = clBlack);

    // Writes a 24-bit BMP (tests and screenshots).
    void SaveToFile(const std::string& path) const;

private:
    std::size_t Index(int x, int y) const
    {
        return static_cast<std::size_t>(y) * stride_ + static_cast<std::size_t>(x);
    }

    int width_ = 0;
    int height_ = 0;
    int stride_ = 0;
    std::vector<std::uint32_t> pixels_; // 0x00RRGGBB
    std::uint32_t* external_ = nullptr;
    std::shared_ptr<const std::vector<Bitmap>> finer_; // shared by copies; never changed in place
};

} // namespace ui
