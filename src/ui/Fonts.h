// Text measurement and rendering in the game's typeface.
#pragma once

#include "ui/Types.h"

#include <memory>
#include <string>
#include <string_view>

namespace ui
{

struct Font
{
    std::string name = "Comic Sans MS";
    int height = 13; // character height in pixels: the face's pixel size
    bool bold = false;
    Color color = clBlack;
};

struct TextSize
{
    int width = 0;
    int height = 0;
};

class FontCache;

// The font library and every face opened through it, for the object's life: the text functions
// below use the one that exists. At most one exists at a time.
class FontSystem final
{
public:
    // Throws std::runtime_error when the font library cannot start, std::logic_error while
    // another font system exists.
    FontSystem();
    // Closes the faces, then the font library and fontconfig's configuration.
    ~FontSystem();
    FontSystem(const FontSystem&) = delete;
    FontSystem& operator=(const FontSystem&) = delete;

    // Any thread: finds and reads the game's typeface (regular and bold) ahead of the first
    // text, so that the font lookup can run while the window is being created.
    void Prepare();

private:
    std::unique_ptr<FontCache> cache_;
};

// Width of the text and the line height of the font; (0, line height) for empty text. With no
// font file on the system at all, or no font system, texts are not drawn and these give an
// estimate of their size.
TextSize TextExtent(const Font& font, std::string_view text);
// The logical room a text needs when drawn at a scale: never less than at scale 1, so layouts
// keep their shape, and enough for the face rasterised at the physical size, whose hinting can
// make it wider than the scaled logical text.
TextSize TextExtent(const Font& font, std::string_view text, double scale);
int LineHeight(const Font& font);
// The text as it fits room logical pixels when drawn at a scale, measured as TextExtent measures
// it: whole when it fits, else its beginning up to the last whole character that leaves room for
// an ellipsis ("\u2026", or "..." in a face without that glyph), followed by the ellipsis and the
// text's last keptEnd bytes, which are never cut.
std::string FitText(const Font& font, std::string_view text, int room, double scale,
                    std::size_t keptEnd = 0);

// The file that serves a typeface: the first that opens of the program directory's
// comic.ttf/comicbd.ttf, then on Linux what fontconfig gives for the family, then fontconfig's
// default sans; on Windows the system's Comic Sans MS, then the Comic Neue files beside the
// executable, then a face of the system's. Empty if none opens.
std::string FontFileFor(const Font& font);

} // namespace ui
