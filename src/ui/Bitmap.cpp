// Decoding BMP images through SDL and keeping them as plain 32-bit pixels.
#include "ui/Bitmap.h"

#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <stdexcept>

#include <sys/mman.h>

namespace ui
{
namespace
{

constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;

struct SurfaceDeleter
{
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

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

void Bitmap::Resize(int width, int height, Color fill)
{
    width_ = std::max(0, width);
    height_ = std::max(0, height);
    const std::size_t count = static_cast<std::size_t>(width_) * height_;
    if (count > pixels_.capacity() && count * sizeof(std::uint32_t) >= kHugePage * 2)
    {
        // A screen-sized image in large pages: filling it then costs a few page faults
        // instead of one per 4 KiB, which is most of what painting the first frame costs.
        std::vector<std::uint32_t>().swap(pixels_);
        pixels_.reserve(count);
        const auto begin = reinterpret_cast<std::uintptr_t>(pixels_.data());
        const std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
        const std::uintptr_t last = (begin + count * sizeof(std::uint32_t)) & ~(kHugePage - 1);
        if (last > first)
            madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
    pixels_.assign(count, fill.Pixel());
}

void Bitmap::Fill(Color c)
{
    std::fill(pixels_.begin(), pixels_.end(), c.Pixel());
}

Bitmap Bitmap::FromBmp(std::span<const std::uint8_t> bytes)
{
    if (bytes.empty())
        throw std::runtime_error("Bitmap image is not valid");
    SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    SurfacePtr loaded(SDL_LoadBMP_RW(rw, 1));
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
    SurfacePtr surface(
        SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(pixels_.data()), width_,
                                           height_, 32, width_ * 4, SDL_PIXELFORMAT_XRGB8888));
    if (!surface || SDL_SaveBMP(surface.get(), path.c_str()) != 0)
        throw std::runtime_error("Cannot write " + path);
}

} // namespace ui
