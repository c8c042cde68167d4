// The renderer's present path: one streaming texture, refreshed only where the frame changed.
#include "ui/Presenter.h"

#include <SDL.h>

namespace ui
{

std::unique_ptr<RendererPresenter> RendererPresenter::Create(SDL_Window* window)
{
    // No vertical sync: a present must never hold the loop, which also runs the game's ticks.
    RendererPtr renderer(SDL_CreateRenderer(window, -1, 0));
    if (renderer == nullptr)
        return nullptr;
    return std::make_unique<RendererPresenter>(std::move(renderer));
}

RendererPresenter::RendererPresenter(RendererPtr renderer) : renderer_(std::move(renderer)) {}

Point RendererPresenter::OutputSize() const
{
    Point size;
    if (SDL_GetRendererOutputSize(renderer_.get(), &size.x, &size.y) != 0)
        return {0, 0};
    return size;
}

void RendererPresenter::Present(const Bitmap& screen, const std::vector<Rect>& rects)
{
    bool whole = false;
    if (texture_ == nullptr || textureWidth_ != screen.Width() || textureHeight_ != screen.Height())
    {
        texture_.reset();
        // The screen image's own layout (0x00RRGGBB), so that uploading converts nothing.
        texture_.reset(SDL_CreateTexture(renderer_.get(), SDL_PIXELFORMAT_RGB888,
                                         SDL_TEXTUREACCESS_STREAMING, screen.Width(),
                                         screen.Height()));
        if (texture_ == nullptr)
            return;
        SDL_SetTextureBlendMode(texture_.get(), SDL_BLENDMODE_NONE);
        textureWidth_ = screen.Width();
        textureHeight_ = screen.Height();
        whole = true;
    }
    const int pitch = screen.Stride() * 4;
    const auto upload = [&](const Rect& r)
    {
        const SDL_Rect area{r.left, r.top, r.Width(), r.Height()};
        const std::uint32_t* first =
            screen.Data() + static_cast<std::ptrdiff_t>(r.top) * screen.Stride() + r.left;
        SDL_UpdateTexture(texture_.get(), &area, first, pitch);
    };
    if (whole)
        upload(screen.BoundsRect());
    else
        for (const Rect& r : rects)
            if (Rect clipped = r.Intersect(screen.BoundsRect()); !clipped.Empty())
                upload(clipped);
    // The window's back buffers keep nothing between frames: the whole texture is drawn each
    // time, which the renderer does without touching the frame's pixels here.
    SDL_RenderCopy(renderer_.get(), texture_.get(), nullptr, nullptr);
    SDL_RenderPresent(renderer_.get());
}

} // namespace ui
