// The display over its presenters: the window's limits, and a run without a display.
#include "ui/Application.h"
#include "ui/Control.h"
#include "ui/Form.h"

#include <SDL.h>

#include <gtest/gtest.h>

namespace
{

// The window's limits: a scale that would cut the largest panel off is lowered to the largest
// that holds it, said once on stderr however often the screens are laid out again; and a real
// window (SDL's dummy driver) remembered too small grows to hold the panel.
TEST(WindowLimits, TheLargestPanelIsNeverCutOff)
{
    {
        testing::internal::CaptureStderr();
        ui::Application app{ui::Application::Options{.headless = true,
                                                     .width = 3840,
                                                     .height = 2160,
                                                     .scale = 8,
                                                     .minimumWidth = 641,
                                                     .minimumHeight = 577}};
        EXPECT_EQ(app.Scale(), 3.5);
        app.ResizeScreen(3840, 2100);
        EXPECT_EQ(app.Scale(), 3.5);
        app.SetScale(2);
        EXPECT_EQ(app.Scale(), 2.0) << "a scale that fits is kept";
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "zorbel2: scale 8 does not fit the screen, 3.5 is used\n");
    }

    ui::Application window{ui::Application::Options{.scale = 1,
                                                    .fullscreen = false,
                                                    .windowWidth = 500,
                                                    .windowHeight = 400,
                                                    .minimumWidth = 641,
                                                    .minimumHeight = 577}};
    ASSERT_TRUE(window.Display().Seen());
    EXPECT_EQ(window.WindowWidth(), 641);
    EXPECT_EQ(window.PhysicalHeight(), 577);
}

// A window forced smaller than the largest panel (a tiling window manager, or none at all) shows
// the whole panel at a scale below 1, and scale 1 again once it has room.
TEST(WindowLimits, AWindowForcedSmallerShowsTheWholePanelSmaller)
{
    ui::Application app{ui::Application::Options{.headless = true,
                                                 .width = 400,
                                                 .height = 300,
                                                 .scale = 0,
                                                 .minimumWidth = 641,
                                                 .minimumHeight = 577}};
    ui::Form form(app);
    ui::Panel panel(&form);
    panel.SetBounds(0, 0, 641, 577);
    panel.SetColor(ui::clNavy);
    form.CenterPanel(panel);
    form.Show();
    const auto shownWhole = [&]
    {
        app.Render();
        const ui::Rect r = app.ToPhysical({panel.Left(), panel.Top(), panel.Left() + panel.Width(),
                                           panel.Top() + panel.Height()});
        return r.left >= 0 && r.top >= 0 && r.right <= app.PhysicalWidth() &&
               r.bottom <= app.PhysicalHeight() &&
               app.Screen().Pixel(r.left, r.top) == ui::clNavy &&
               app.Screen().Pixel(r.right - 1, r.bottom - 1) == ui::clNavy;
    };
    EXPECT_LT(app.Scale(), 1.0);
    EXPECT_TRUE(shownWhole());
    app.ResizeScreen(640, 1000);
    EXPECT_TRUE(shownWhole()) << "one pixel short in width";
    app.ResizeScreen(800, 600);
    EXPECT_EQ(app.Scale(), 1.0);
    EXPECT_TRUE(shownWhole());
}

// A window size larger than the desktop (remembered from a larger one, or a window dragged
// larger) comes back inside the desktop whenever the game switches to the window.
TEST(WindowLimits, AWindowLargerThanTheDesktopIsBroughtInside)
{
    ui::Application app{ui::Application::Options{.scale = 1,
                                                 .windowWidth = 3000,
                                                 .windowHeight = 2000,
                                                 .minimumWidth = 641,
                                                 .minimumHeight = 577}};
    SDL_DisplayMode desktop;
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
    app.SetFullscreen(false);
    EXPECT_EQ(app.PhysicalWidth(), desktop.w);
    EXPECT_EQ(app.PhysicalHeight(), desktop.h);
    SDL_Event sized{};
    sized.type = SDL_WINDOWEVENT;
    sized.window.event = SDL_WINDOWEVENT_SIZE_CHANGED;
    sized.window.data1 = 3000;
    sized.window.data2 = 2000;
    app.Handle(sized);
    app.SetFullscreen(true);
    app.SetFullscreen(false);
    EXPECT_EQ(app.PhysicalWidth(), desktop.w);
    EXPECT_EQ(app.WindowHeight(), desktop.h);
}

// SDL keeps the screen awake by default; the game lets it sleep unless held off.
TEST(WindowLimits, TheScreenMaySleepUnlessHeldOff)
{
    ui::Application app{ui::Application::Options{.scale = 1}};
    EXPECT_TRUE(SDL_IsScreenSaverEnabled());
    app.SetScreenSaverAllowed(false);
    EXPECT_FALSE(SDL_IsScreenSaverEnabled());
    app.SetScreenSaverAllowed(true);
    EXPECT_TRUE(SDL_IsScreenSaverEnabled());
}

// Without a display nobody could close a message box: the message goes to stderr and the
// program goes on; what is painted still reaches the screen image.
TEST(Headless, MessagesGoToStderrAndPaintingStillHappens)
{
    ui::Application app{ui::Application::Options{.headless = true, .width = 320, .height = 200}};
    ui::Form form(app);
    form.SetColor(ui::clNavy);
    form.Show();
    testing::internal::CaptureStderr();
    app.ShowMessage("Unable to write to Zorbel2.ini");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "zorbel2: Unable to write to Zorbel2.ini\n");
    EXPECT_EQ(app.TopForm(), &form);
    app.Render();
    EXPECT_EQ(app.Screen().Pixel(319, 199), ui::clNavy);
    EXPECT_EQ(app.FramesPresented(), 1);
}

} // namespace
