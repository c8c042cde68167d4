// The typeface: its files found once per style (the program directory, then fontconfig or the
// Windows fonts folder), opened once per pixel size with SDL_ttf.
#include "ui/Fonts.h"

#include "platform/Paths.h"
#include "platform/SdlPtrs.h"
#include "ui/Canvas.h"
#include "ui/FrameTiming.h"

#include <SDL.h>
#include <SDL_ttf.h>
#ifdef _WIN32
#include "ui/WindowsFonts.h"
#else
#include <fontconfig/fontconfig.h>
#endif

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <stdexcept>
#include <tuple>
#include <unordered_map>
#include <vector>

namespace ui
{

// A line of text as a face rasterises it: the coverage of each pixel, to be laid on in any colour.
struct RenderedText
{
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> alpha;
};

// The faces opened so far, the files that may serve each typeface and the bytes read from them.
class FontCache
{
public:
    ~FontCache()
    {
        // Every face goes before the memory it reads from, and fontconfig's configuration after
        // the last lookup.
        open_.clear();
        bytes_.clear();
#ifndef _WIN32
        if (fontconfigStarted_)
            FcFini();
#endif
    }

    // The opened face and whether it needs synthetic bold. No face (null) when no font file on
    // the system opens: the game then runs without its texts rather than not at all.
    std::pair<TTF_Font*, bool> Get(const Font& font)
    {
        std::lock_guard lock(mutex_);
        const Entry& entry = Open(font);
        return {entry.font.get(), entry.synthBold};
    }

    std::string LockedFileFor(const Font& font)
    {
        std::lock_guard lock(mutex_);
        return Open(font).file;
    }

    // The text rasterised by the face of the font, from the last paints when it was among them:
    // a screen shown again, or a panel repainted round a changed control, rasterises nothing.
    // Null when there is no face.
    std::shared_ptr<const RenderedText> Rendered(const Font& font, std::string_view text)
    {
        std::lock_guard lock(mutex_);
        TTF_Font* face = Open(font).font.get();
        if (face == nullptr)
            return nullptr;
        std::string key(text);
        key.push_back('\0');
        key.append(reinterpret_cast<const char*>(&face), sizeof face);
        if (auto it = rendered_.find(key); it != rendered_.end())
        {
            recent_.splice(recent_.begin(), recent_, it->second);
            return it->second->second;
        }
        // Rendered in white: the face gives every pixel the colour asked for and the glyph's
        // coverage as its alpha, so the coverage alone serves every colour.
        const platform::SurfacePtr rendered(
            TTF_RenderUTF8_Blended(face, std::string(text).c_str(), SDL_Color{255, 255, 255, 255}));
        if (!rendered)
            return nullptr;
        const platform::SurfacePtr argb(
            SDL_ConvertSurfaceFormat(rendered.get(), SDL_PIXELFORMAT_ARGB8888, 0));
        if (!argb)
            return nullptr;
        auto result = std::make_shared<RenderedText>();
        result->width = argb->w;
        result->height = argb->h;
        result->alpha.resize(static_cast<std::size_t>(argb->w) * static_cast<std::size_t>(argb->h));
        SDL_LockSurface(argb.get());
        for (int y = 0; y < argb->h; ++y)
        {
            const auto* row = reinterpret_cast<const std::uint32_t*>(
                static_cast<const std::uint8_t*>(argb->pixels) + y * argb->pitch);
            for (int x = 0; x < argb->w; ++x)
                result->alpha[static_cast<std::size_t>(y) * argb->w + x] =
                    static_cast<std::uint8_t>(row[x] >> 24);
        }
        SDL_UnlockSurface(argb.get());
        renderedBytes_ += result->alpha.size();
        recent_.emplace_front(key, result);
        rendered_.emplace(std::move(key), recent_.begin());
        // The least recently painted go first: the captions of every screen fit at 4K.
        while (renderedBytes_ > kRenderedBytes && recent_.size() > 1)
        {
            renderedBytes_ -= recent_.back().second->alpha.size();
            rendered_.erase(recent_.back().first);
            recent_.pop_back();
        }
        return result;
    }

    void Prepare()
    {
        std::lock_guard lock(mutex_);
        for (const bool bold : {false, true})
        {
            const std::vector<std::string>& files =
                CandidatesFor(Font{"Comic Sans MS", 13, bold, clBlack});
            if (!files.empty())
                BytesOf(files.front());
        }
    }

private:
    struct Entry
    {
        platform::FontPtr font;
        bool synthBold = false;
        std::string file;
    };

    // Caller holds mutex_. The first of the typeface's files that opens at this size: one that
    // is missing, unreadable or not a font gives way to the next, so that a screen is never
    // drawn without its text while any face opens.
    const Entry& Open(const Font& font)
    {
        const int size = std::max(1, font.height);
        const auto key = std::make_tuple(font.name, font.bold, size);
        auto it = open_.find(key);
        if (it != open_.end())
            return it->second;
        Entry entry;
        for (const std::string& file : CandidatesFor(font))
        {
            if (broken_.contains(file))
                continue;
            // Each size is opened from the bytes read once: opening the file again for every
            // size made FreeType seek through it thousands of times at start-up.
            const std::vector<char>& bytes = BytesOf(file);
            // The face takes the memory stream over, closing it even when it fails to open.
            entry.font.reset(bytes.empty()
                                 ? TTF_OpenFont(file.c_str(), size)
                                 : TTF_OpenFontRW(SDL_RWFromConstMem(
                                                      bytes.data(), static_cast<int>(bytes.size())),
                                                  1, size));
            if (entry.font)
            {
                entry.file = file;
                break;
            }
            // No size of it will open: later sizes skip it, and its bytes are not kept.
            broken_.insert(file);
            bytes_.erase(file);
        }
        // A regular face asked for bold gets SDL_ttf's emboldening.
        if (entry.font && font.bold && !(TTF_GetFontStyle(entry.font.get()) & TTF_STYLE_BOLD))
        {
            const std::vector<std::string>& regular =
                CandidatesFor(Font{font.name, font.height, false, font.color});
            entry.synthBold = std::ranges::find(regular, entry.file) != regular.end();
        }
        if (entry.synthBold)
            TTF_SetFontStyle(entry.font.get(), TTF_STYLE_BOLD);
        return open_.emplace(key, std::move(entry)).first->second;
    }

    // Caller holds mutex_. The files that may serve a typeface, best first; a bold style ends
    // with the regular style's files, which are then emboldened.
    const std::vector<std::string>& CandidatesFor(const Font& font)
    {
        const auto key = std::make_pair(font.name, font.bold);
        auto it = files_.find(key);
        if (it != files_.end())
            return it->second;
        std::vector<std::string> files;
        const auto add = [&files](const std::string& file)
        {
            if (!file.empty() && std::ranges::find(files, file) == files.end())
                files.push_back(file);
        };
        const bool comic = font.name == "Comic Sans MS";
        if (comic)
            add(OwnFile(font.bold ? "comicbd.ttf" : "comic.ttf"));
#ifdef _WIN32
        if (comic)
        {
            add(WindowsFontFile(font.bold ? "comicbd.ttf" : "comic.ttf"));
            add(OwnFile(font.bold ? "ComicNeue-Bold.otf" : "ComicNeue-Regular.otf"));
        }
        // Faces that come with Windows, whichever exists: a text is better in another face than
        // not shown.
        for (const auto& [regular, bold] :
             {std::pair{"segoeui.ttf", "segoeuib.ttf"}, std::pair{"arial.ttf", "arialbd.ttf"},
              std::pair{"tahoma.ttf", "tahomabd.ttf"}, std::pair{"verdana.ttf", "verdanab.ttf"}})
            add(WindowsFontFile(font.bold ? bold : regular));
#else
        add(Fontconfig(font.name, font.bold));
        add(Fontconfig("sans-serif", font.bold));
#endif
        if (font.bold)
            for (const std::string& file : CandidatesFor(Font{font.name, font.height, false}))
                add(file);
        return files_.emplace(key, std::move(files)).first->second;
    }

    // The file of that name in the program directory; empty when it is not there, or when there
    // is no program directory (never the current folder).
    static std::string OwnFile(const char* name)
    {
        const std::string dir = platform::ProgramDirectory();
        if (dir.empty())
            return {};
        const std::string own = dir + name;
        std::error_code ec;
        return std::filesystem::exists(platform::NativePath(own), ec) ? own : std::string();
    }

#ifndef _WIN32
    // Caller holds mutex_.
    std::string Fontconfig(const std::string& family, bool bold)
    {
        if (!fontconfigStarted_)
            fontconfigStarted_ = FcInit() == FcTrue;
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
#endif

    // Caller holds mutex_. Empty when the file cannot be read.
    const std::vector<char>& BytesOf(const std::string& file)
    {
        auto it = bytes_.find(file);
        if (it == bytes_.end())
        {
            std::ifstream in(platform::NativePath(file), std::ios::binary);
            std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
            it = bytes_.emplace(file, std::move(bytes)).first;
        }
        return it->second;
    }

    std::mutex mutex_;
#ifndef _WIN32
    bool fontconfigStarted_ = false;
#endif
    // Kept for as long as the fonts opened from them: SDL_ttf reads the face as it renders.
    std::map<std::string, std::vector<char>> bytes_;
    std::map<std::tuple<std::string, bool, int>, Entry> open_;
    std::map<std::pair<std::string, bool>, std::vector<std::string>> files_;
    // Files that no face opened from.
    std::set<std::string> broken_;
    // Rasterised texts by their text and face, most recently painted first.
    static constexpr std::size_t kRenderedBytes = 8u << 20;
    using Recent = std::list<std::pair<std::string, std::shared_ptr<const RenderedText>>>;
    Recent recent_;
    std::unordered_map<std::string, Recent::iterator> rendered_;
    std::size_t renderedBytes_ = 0;
};

namespace
{

// U+2026 in UTF-8.
constexpr const char* kEllipsis = "\xE2\x80\xA6";

// The font system that exists; set and cleared on the main thread while no text is drawn.
FontCache* current = nullptr;

// The face for a font; null without a font system or a font file.
TTF_Font* FaceFor(const Font& font)
{
    return current != nullptr ? current->Get(font).first : nullptr;
}

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

FontSystem::FontSystem()
{
    if (current != nullptr)
        throw std::logic_error("A font system exists already");
    if (TTF_Init() != 0)
        throw std::runtime_error(TTF_GetError());
    cache_ = std::make_unique<FontCache>();
    current = cache_.get();
}

FontSystem::~FontSystem()
{
    current = nullptr;
    // The faces close before the library that opened them.
    cache_.reset();
    TTF_Quit();
}

void FontSystem::Prepare()
{
    cache_->Prepare();
}

std::string FontFileFor(const Font& font)
{
    return current != nullptr ? current->LockedFileFor(font) : std::string();
}

int LineHeight(const Font& font)
{
    TTF_Font* f = FaceFor(font);
    return f != nullptr ? TTF_FontHeight(f) : NoFaceLineHeight(font);
}

TextSize TextExtent(const Font& font, std::string_view text)
{
    TTF_Font* f = FaceFor(font);
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
    const timing::Scope timed(timing::Part::Text);
    // At a scale the face is opened at the physical pixel size, so the glyphs are rasterised
    // for the screen they land on rather than magnified from the logical size.
    Font physical = font;
    physical.height = std::max(1, static_cast<int>(std::floor(font.height * scale_ + 0.5)));
    if (current == nullptr)
        return;
    const std::shared_ptr<const RenderedText> rendered = current->Rendered(physical, text);
    if (!rendered)
        return;
    const int px = PhysX(x);
    const int py = PhysY(y);
    const Rect t = Bounds(px, py, rendered->width, rendered->height).Intersect(clip_);
    for (int ty = t.top; ty < t.bottom; ++ty)
    {
        const std::uint8_t* row =
            rendered->alpha.data() + static_cast<std::size_t>(ty - py) * rendered->width;
        for (int tx = t.left; tx < t.right; ++tx)
            Blend(tx, ty, font.color, row[tx - px]);
    }
}

std::string FitText(const Font& font, std::string_view text, int room, double scale,
                    std::size_t keptEnd)
{
    if (TextExtent(font, text, scale).width <= room)
        return std::string(text);
    const std::string_view head = text.substr(0, text.size() - std::min(keptEnd, text.size()));
    // The glyph is looked for in the face drawn at the scale, which is the one the player sees.
    Font physical = font;
    physical.height = std::max(1, static_cast<int>(std::floor(font.height * scale + 0.5)));
    TTF_Font* face = FaceFor(physical);
    const bool ellipsis = face == nullptr || TTF_GlyphIsProvided32(face, 0x2026);
    const std::string tail =
        std::string(ellipsis ? kEllipsis : "...") + std::string(text.substr(head.size()));
    std::vector<std::size_t> ends{0}; // where each character of head ends, in bytes
    for (std::size_t i = 1; i <= head.size(); ++i)
        if (i == head.size() || (static_cast<unsigned char>(head[i]) & 0xC0) != 0x80)
            ends.push_back(i);
    const auto fits = [&](std::size_t n)
    {
        return TextExtent(font, std::string(head.substr(0, n)) + tail, scale).width <= room;
    };
    // The most characters that fit: widths grow with the characters kept.
    std::size_t lo = 0;
    std::size_t hi = ends.size() - 1;
    while (lo < hi)
    {
        const std::size_t mid = (lo + hi + 1) / 2;
        if (fits(ends[mid]))
            lo = mid;
        else
            hi = mid - 1;
    }
    std::string_view kept = head.substr(0, ends[lo]);
    // "ANNA…" rather than "ANNA …".
    while (!kept.empty() && kept.back() == ' ')
        kept.remove_suffix(1);
    return std::string(kept) + tail;
}

} // namespace ui
