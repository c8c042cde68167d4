// Presenting through SDL's renderer, for a window that has no framebuffer of its own (SDL on
// Wayland): the screen image goes into a streaming texture of its size, a changed rectangle at a
// time, and the texture is drawn one to one onto the window's physical pixels.
#pragma once

#include "ui/Bitmap.h"
#include "ui/SdlPtrs.h"
#include "ui/Types.h"

#include <memory>
#include <vector>

struct SDL_Window;

namespace ui
{

class RendererPresenter
{
public:
    // Null when the window can have no renderer either.
    static std::unique_ptr<RendererPresenter> Create(SDL_Window* window);
    explicit RendererPresenter(RendererPtr renderer);

    // The window's drawable in physical pixels: its size in window points times the output's
    // scale where the window is high-DPI.
    Point OutputSize() const;
    // Uploads the rectangles of the screen image (physical pixels) and shows the whole frame.
    void Present(const Bitmap& screen, const std::vector<Rect>& rects);

private:
    RendererPtr renderer_;
    TexturePtr texture_;
    int textureWidth_ = 0;
    int textureHeight_ = 0;
};

} // namespace ui
