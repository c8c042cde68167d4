// The renderer's present path on a real window (SDL's dummy driver and its software renderer):
// only the rectangles handed over reach the texture, and the whole frame is shown each time.
#include "ui/Presenter.h"

#include <SDL.h>

#include <gtest/gtest.h>

namespace
{

TEST(RendererPresenter, OnlyTheChangedRectanglesAreUploaded)
{
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    {
        const ui::WindowPtr window(SDL_CreateWindow("t", 0, 0, 64, 48, SDL_WINDOW_HIDDEN));
        ASSERT_NE(window, nullptr);
        const auto presenter = ui::RendererPresenter::Create(window.get());
        ASSERT_NE(presenter, nullptr);
        EXPECT_EQ(presenter->OutputSize(), (ui::Point{64, 48}));

        ui::Bitmap screen(64, 48, ui::clBlue);
        presenter->Present(screen, {});
        screen.SetPixel(5, 5, ui::clRed);
        screen.SetPixel(40, 30, ui::clLime);
        presenter->Present(screen, {ui::Bounds(0, 0, 10, 10)});

        SDL_Renderer* renderer = SDL_GetRenderer(window.get());
        const auto shown = [&](int x, int y)
        {
            std::uint32_t pixel = 0;
            const SDL_Rect at{x, y, 1, 1};
            SDL_RenderReadPixels(renderer, &at, SDL_PIXELFORMAT_RGB888, &pixel, 4);
            return ui::Color::FromPixel(pixel & 0xFFFFFF);
        };
        EXPECT_EQ(shown(5, 5), ui::clRed);
        EXPECT_EQ(shown(6, 5), ui::clBlue) << "the first frame went up whole";
        EXPECT_EQ(shown(40, 30), ui::clBlue) << "a change outside the rectangles waits";
        presenter->Present(screen, {ui::Bounds(40, 30, 1, 1)});
        EXPECT_EQ(shown(40, 30), ui::clLime);
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

} // namespace
