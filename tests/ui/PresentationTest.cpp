// The display over its presenters: the window's limits, and a run without a display.
#include "ui/Application.h"
#include "ui/Form.h"

#include <SDL.h>

#include <gtest/gtest.h>

namespace
{

// The window's limits: a scale that would cut the largest panel off is lowered to the largest
// that holds it, said once on stderr however often the screens are laid out again, below 1 in an
// output forced smaller than the panel (a tiling window manager, or none); a real window (SDL's
// dummy driver) remembered too small grows to hold the panel, and one dragged larger than the
// desktop comes back inside it on the way to the window.
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
        app.Display().ResizeScreen(3840, 2100);
        EXPECT_EQ(app.Scale(), 3.5);
        app.Display().SetScale(2);
        EXPECT_EQ(app.Scale(), 2.0) << "a scale that fits is kept";
        app.Display().ResizeScreen(400, 300);
        EXPECT_GE(app.ScreenWidth(), 641);
        EXPECT_GE(app.ScreenHeight(), 577);
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "zorbel2: scale 8 does not fit the screen, 3.5 is used\n"
                  "zorbel2: scale 2 does not fit the screen, 0.515625 is used\n");
    }

    ui::Application window{ui::Application::Options{.scale = 1,
                                                    .fullscreen = false,
                                                    .windowWidth = 500,
                                                    .windowHeight = 400,
                                                    .minimumWidth = 641,
                                                    .minimumHeight = 577}};
    ASSERT_TRUE(window.Display().Seen());
    EXPECT_EQ(window.WindowWidth(), 641);
    EXPECT_EQ(window.Display().PhysicalHeight(), 577);
    SDL_Event sized{};
    sized.type = SDL_WINDOWEVENT;
    sized.window.event = SDL_WINDOWEVENT_SIZE_CHANGED;
    sized.window.data1 = 3000;
    sized.window.data2 = 2000;
    window.Loop().Dispatch(platform::FromSdl(sized));
    window.SetFullscreen(true);
    window.SetFullscreen(false);
    SDL_DisplayMode desktop;
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
    EXPECT_EQ(window.Display().PhysicalWidth(), desktop.w);
    EXPECT_EQ(window.WindowHeight(), desktop.h);
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
    EXPECT_EQ(app.Display().Screen().Pixel(319, 199), ui::clNavy);
    EXPECT_EQ(app.Display().FramesPresented(), 1);
}

} // namespace
