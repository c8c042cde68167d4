// Decoding BMP images through SDL and keeping them as plain 32-bit pixels.
#include "ui/Bitmap.h"

#include "assets/Assets.h"
#include "platform/SdlPtrs.h"

#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace ui
{
namespace
{

Bitmap FromSurface(SDL_Surface* loaded)
{
    platform::SurfacePtr converted(SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_XRGB8888, 0));
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

// How far a finer drawing, each block of it averaged, may lie from the picture: the mean
// difference per channel. Our drawings of one picture differ by less than one step of 255 (where
// edges and highlights fall between pixels); a picture of another colour or shape by tens.
constexpr int kMostMeanDifference = 3;

bool SamePicture(const Bitmap& picture, const Bitmap& finer, int factor)
{
    long long difference = 0;
    const int block = factor * factor;
    for (int y = 0; y < picture.Height(); ++y)
    {
        for (int x = 0; x < picture.Width(); ++x)
        {
            int sum[3] = {};
            for (int j = 0; j < factor; ++j)
            {
                for (int i = 0; i < factor; ++i)
                {
                    const Color c = finer.Pixel(x * factor + i, y * factor + j);
                    sum[0] += c.r;
                    sum[1] += c.g;
                    sum[2] += c.b;
                }
            }
            const Color c = picture.Pixel(x, y);
            difference += std::abs((sum[0] + block / 2) / block - c.r) +
                          std::abs((sum[1] + block / 2) / block - c.g) +
                          std::abs((sum[2] + block / 2) / block - c.b);
        }
    }
    const long long channels = 3LL * picture.Width() * picture.Height();
    return difference <= kMostMeanDifference * channels;
}

} // namespace

std::string FinerName(std::string_view name, int factor)
{
    const std::size_t dot = name.rfind('.');
    const std::size_t slash = name.find_last_of("/\\");
    const std::size_t stem =
        dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)
            ? name.size()
            : dot;
    return std::string(name.substr(0, stem)) + "@" + std::to_string(factor) + "x" +
           std::string(name.substr(stem));
}

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
    finer_.reset();
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
    platform::SurfacePtr loaded(
        SDL_LoadBMP_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1));
    if (!loaded)
        throw std::runtime_error("Bitmap image is not valid");
    return FromSurface(loaded.get());
}

Bitmap Bitmap::LoadFromFile(const std::string& path)
{
    platform::SurfacePtr loaded(SDL_LoadBMP(path.c_str()));
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

Bitmap Bitmap::LoadPicture(const std::string& path)
{
    Bitmap picture = LoadFromFile(path);
    for (const int factor : kFinerFactors)
    {
        const std::string name = FinerName(path, factor);
        if (platform::SurfacePtr finer{SDL_LoadBMP(name.c_str())})
            picture.AddFiner(FromSurface(finer.get()));
    }
    return picture;
}

std::string Bitmap::LoadPictures(std::span<const PictureFile> files)
{
    std::string failures;
    for (const PictureFile& file : files)
    {
        try
        {
            *file.picture = LoadPicture(file.path);
        }
        catch (const std::exception& e)
        {
            failures += (failures.empty() ? "" : "\n") + std::string(e.what());
        }
    }
    return failures;
}

Bitmap Bitmap::Embedded(std::string_view name)
{
    const auto bytes = assets::Find(name);
    if (bytes.empty())
        return {};
    Bitmap picture = FromBmp(bytes);
    for (const int factor : kFinerFactors)
    {
        if (const auto finer = assets::Find(FinerName(name, factor)); !finer.empty())
            picture.AddFiner(FromBmp(finer));
    }
    return picture;
}

std::span<const Bitmap> Bitmap::Finer() const
{
    if (!finer_)
        return {};
    return *finer_;
}

bool Bitmap::AddFiner(Bitmap finer)
{
    if (Empty())
        return false;
    const int factor = finer.Width() / width_;
    if (std::find(kFinerFactors.begin(), kFinerFactors.end(), factor) == kFinerFactors.end() ||
        finer.Width() != width_ * factor || finer.Height() != height_ * factor ||
        !SamePicture(*this, finer, factor))
        return false;
    finer.finer_.reset();
    auto drawings = finer_ ? std::make_shared<std::vector<Bitmap>>(*finer_)
                           : std::make_shared<std::vector<Bitmap>>();
    std::erase_if(*drawings, [&](const Bitmap& b) { return b.Width() == finer.Width(); });
    const auto at = std::find_if(drawings->begin(), drawings->end(),
                                 [&](const Bitmap& b) { return b.Width() > finer.Width(); });
    drawings->insert(at, std::move(finer));
    finer_ = std::move(drawings);
    return true;
}

void Bitmap::SaveToFile(const std::string& path) const
{
    platform::SurfacePtr surface(
        SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(Data()), width_, height_, 32,
                                           stride_ * 4, SDL_PIXELFORMAT_XRGB8888));
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
