// The typeface: found once per style through the program directory or fontconfig, opened once
// per pixel size with SDL_ttf.
#include "ui/Fonts.h"

#include "ui/Canvas.h"
#include "ui/Paths.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <tuple>
#include <vector>

namespace ui
{
namespace
{

struct FontDeleter
{
    void operator()(TTF_Font* f) const { TTF_CloseFont(f); }
};
struct SurfaceDeleter
{
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};

std::string Fontconfig(const std::string& family, bool bold)
{
    static std::once_flag init;
    std::call_once(init, [] { FcInit(); });
    std::string result;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult res = FcResultNoMatch;
    if (FcPattern* match = FcFontMatch(nullptr, pattern, &res))
    {
        FcChar8* file = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file != nullptr)
            result = reinterpret_cast<const char*>(file);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return result;
}

class FontCache
{
public:
    static FontCache& Instance()
    {
        static FontCache cache;
        return cache;
    }

    // The opened face and whether it needs synthetic bold. No face (null) when the system has no
    // font file to give: the game then runs without its texts rather than not at all.
    std::pair<TTF_Font*, bool> Get(const Font& font)
    {
        std::lock_guard lock(mutex_);
        if (!TTF_WasInit() && TTF_Init() != 0)
            throw std::runtime_error(TTF_GetError());
        const int size = std::max(1, font.height);
        const auto key = std::make_tuple(font.name, font.bold, size);
        auto it = open_.find(key);
        if (it != open_.end())
            return {it->second.font.get(), it->second.synthBold};
        const std::string file = FileFor(font);
        Entry entry;
        if (!file.empty())
        {
            // Each size is opened from the bytes read once: opening the file again for every
            // size made FreeType seek through it thousands of times at start-up.
            const std::vector<char>& bytes = BytesOf(file);
            SDL_RWops* rw = bytes.empty()
                                ? nullptr
                                : SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
            entry.font.reset(rw != nullptr ? TTF_OpenFontRW(rw, 1, size)
                                           : TTF_OpenFont(file.c_str(), size));
        }
        // A regular face asked for bold gets SDL_ttf's emboldening.
        entry.synthBold = entry.font && font.bold &&
                          !(TTF_GetFontStyle(entry.font.get()) & TTF_STYLE_BOLD) &&
                          file == FileFor(Font{font.name, font.height, false, font.color});
        if (entry.synthBold)
            TTF_SetFontStyle(entry.font.get(), TTF_STYLE_BOLD);
        TTF_Font* raw = entry.font.get();
        const bool synth = entry.synthBold;
        open_.emplace(key, std::move(entry));
        return {raw, synth};
    }

    std::string LockedFileFor(const Font& font)
    {
        std::lock_guard lock(mutex_);
        return FileFor(font);
    }

    void Prepare()
    {
        std::lock_guard lock(mutex_);
        for (const bool bold : {false, true})
        {
            const std::string file = FileFor(Font{"Comic Sans MS", 13, bold, clBlack});
            if (!file.empty())
                BytesOf(file);
        }
    }

    std::string FileFor(const Font& font)
    {
        const auto key = std::make_pair(font.name, font.bold);
        auto it = files_.find(key);
        if (it != files_.end())
            return it->second;
        std::string file;
        if (font.name == "Comic Sans MS")
        {
            const std::string own = ProgramDirectory() + (font.bold ? "comicbd.ttf" : "comic.ttf");
            std::error_code ec;
            if (std::filesystem::exists(own, ec))
                file = own;
        }
        if (file.empty())
            file = Fontconfig(font.name, font.bold);
        if (file.empty())
            file = Fontconfig("sans-serif", font.bold);
        files_.emplace(key, file);
        return file;
    }

private:
    struct Entry
    {
        std::unique_ptr<TTF_Font, FontDeleter> font;
        bool synthBold = false;
    };

    // Caller holds mutex_. Empty when the file cannot be read.
    const std::vector<char>& BytesOf(const std::string& file)
    {
        auto it = bytes_.find(file);
        if (it == bytes_.end())
        {
            std::ifstream in(file, std::ios::binary);
            std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
            it = bytes_.emplace(file, std::move(bytes)).first;
        }
        return it->second;
    }

    std::mutex mutex_;
    // Kept for as long as the fonts opened from them: SDL_ttf reads the face as it renders.
    std::map<std::string, std::vector<char>> bytes_;
    std::map<std::tuple<std::string, bool, int>, Entry> open_;
    std::map<std::pair<std::string, bool>, std::string> files_;
};

// Without a face, texts keep roughly the room they would take, so that the screens' layout
// still works out: a line a quarter taller than the pixel size, characters half as wide.
int NoFaceLineHeight(const Font& font)
{
    const int size = std::max(1, font.height);
    return size + size / 4;
}

int NoFaceWidth(const Font& font, std::string_view text)
{
    // UTF-8 continuation bytes do not start a character.
    const auto characters =
        std::count_if(text.begin(), text.end(),
                      [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
    return static_cast<int>(characters) * std::max(1, font.height / 2);
}

} // namespace

std::string FontFileFor(const Font& font)
{
    return FontCache::Instance().LockedFileFor(font);
}

void PrepareFonts()
{
    FontCache::Instance().Prepare();
}

int LineHeight(const Font& font)
{
    TTF_Font* f = FontCache::Instance().Get(font).first;
    return f != nullptr ? TTF_FontHeight(f) : NoFaceLineHeight(font);
}

TextSize TextExtent(const Font& font, std::string_view text)
{
    TTF_Font* f = FontCache::Instance().Get(font).first;
    if (f == nullptr)
        return {NoFaceWidth(font, text), NoFaceLineHeight(font)};
    TextSize size{0, TTF_FontHeight(f)};
    if (!text.empty())
    {
        const std::string s(text);
        TTF_SizeUTF8(f, s.c_str(), &size.width, nullptr);
    }
    return size;
}

TextSize TextExtent(const Font& font, std::string_view text, double scale)
{
    TextSize size = TextExtent(font, text);
    if (scale == 1.0)
        return size;
    Font physical = font;
    physical.height = std::max(1, static_cast<int>(std::floor(font.height * scale + 0.5)));
    const TextSize big = TextExtent(physical, text);
    size.width = std::max(size.width, static_cast<int>(std::ceil(big.width / scale)));
    size.height = std::max(size.height, static_cast<int>(std::ceil(big.height / scale)));
    return size;
}

void Canvas::TextOut(int x, int y, std::string_view text, const Font& font)
{
    if (text.empty())
        return;
    // At a scale the face is opened at the physical pixel size, so the glyphs are rasterised
    // for the screen they land on rather than magnified from the logical size.
    Font physical = font;
    physical.height = std::max(1, static_cast<int>(std::floor(font.height * scale_ + 0.5)));
    TTF_Font* f = FontCache::Instance().Get(physical).first;
    if (f == nullptr)
        return;
    const std::string s(text);
    const SDL_Color fg{font.color.r, font.color.g, font.color.b, 255};
    std::unique_ptr<SDL_Surface, SurfaceDeleter> rendered(TTF_RenderUTF8_Blended(f, s.c_str(), fg));
    if (!rendered)
        return;
    std::unique_ptr<SDL_Surface, SurfaceDeleter> argb(
        SDL_ConvertSurfaceFormat(rendered.get(), SDL_PIXELFORMAT_ARGB8888, 0));
    if (!argb)
        return;
    const int px = PhysX(x);
    const int py = PhysY(y);
    SDL_LockSurface(argb.get());
    for (int sy = 0; sy < argb->h; ++sy)
    {
        const auto* row = reinterpret_cast<const std::uint32_t*>(
            static_cast<const std::uint8_t*>(argb->pixels) + sy * argb->pitch);
        for (int sx = 0; sx < argb->w; ++sx)
        {
            const std::uint32_t p = row[sx];
            Blend(px + sx, py + sy, Color::FromPixel(p), p >> 24);
        }
    }
    SDL_UnlockSurface(argb.get());
}

} // namespace ui
