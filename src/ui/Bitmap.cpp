// Decoding BMP images through SDL and keeping them as plain 32-bit pixels.
#include "ui/Bitmap.h"

#include "ui/SdlPtrs.h"

#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace ui
{
namespace
{

Bitmap FromSurface(SDL_Surface* loaded)
{
    SurfacePtr converted(SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_XRGB8888, 0));
    if (!converted)
        throw std::runtime_error(SDL_GetError());
    Bitmap result(converted->w, converted->h);
    SDL_LockSurface(converted.get());
    for (int y = 0; y < converted->h; ++y)
    {
        const auto* src = reinterpret_cast<const std::uint32_t*>(
            static_cast<const std::uint8_t*>(converted->pixels) + y * converted->pitch);
        std::uint32_t* dst = result.Row(y);
        for (int x = 0; x < converted->w; ++x)
            dst[x] = src[x] & 0xFFFFFF;
    }
    SDL_UnlockSurface(converted.get());
    return result;
}

} // namespace

Bitmap::Bitmap(int width, int height, Color fill)
{
    Resize(width, height, fill);
}

Bitmap Bitmap::View(std::uint32_t* pixels, int width, int height, int stride)
{
    Bitmap view;
    view.external_ = pixels;
    view.width_ = width;
    view.height_ = height;
    view.stride_ = stride;
    return view;
}

void Bitmap::Resize(int width, int height, Color fill)
{
    external_ = nullptr;
    width_ = std::max(0, width);
    height_ = std::max(0, height);
    stride_ = width_;
    pixels_.assign(static_cast<std::size_t>(width_) * height_, fill.Pixel());
    pixels_.shrink_to_fit();
}

void Bitmap::Fill(Color c)
{
    for (int y = 0; y < height_; ++y)
        std::fill(Row(y), Row(y) + width_, c.Pixel());
}

Bitmap Bitmap::FromBmp(std::span<const std::uint8_t> bytes)
{
    if (bytes.empty())
        throw std::runtime_error("Bitmap image is not valid");
    // The loader closes the memory stream whether or not it succeeds.
    SurfacePtr loaded(
        SDL_LoadBMP_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1));
    if (!loaded)
        throw std::runtime_error("Bitmap image is not valid");
    return FromSurface(loaded.get());
}

Bitmap Bitmap::LoadFromFile(const std::string& path)
{
    SurfacePtr loaded(SDL_LoadBMP(path.c_str()));
    if (!loaded)
    {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        if (f == nullptr)
            throw std::runtime_error("Cannot open file \"" + path +
                                     "\". No such file or directory");
        std::fclose(f);
        throw std::runtime_error("Bitmap image is not valid: " + path);
    }
    return FromSurface(loaded.get());
}

void Bitmap::SaveToFile(const std::string& path) const
{
    SurfacePtr surface(SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(Data()),
                                                          width_, height_, 32, stride_ * 4,
                                                          SDL_PIXELFORMAT_XRGB8888));
    if (!surface || SDL_SaveBMP(surface.get(), path.c_str()) != 0)
        throw std::runtime_error("Cannot write " + path);
}

Rect Bitmap::NonBlackBounds() const
{
    Rect bounds{width_, height_, 0, 0};
    for (int y = 0; y < height_; ++y)
    {
        const std::uint32_t* row = Row(y);
        int first = 0;
        while (first < width_ && (row[first] & 0xFFFFFF) == 0)
            ++first;
        if (first == width_)
            continue;
        int last = width_ - 1;
        while ((row[last] & 0xFFFFFF) == 0)
            --last;
        bounds = {std::min(bounds.left, first), std::min(bounds.top, y),
                  std::max(bounds.right, last + 1), y + 1};
    }
    return bounds.Empty() ? Rect{} : bounds;
}

} // namespace ui
