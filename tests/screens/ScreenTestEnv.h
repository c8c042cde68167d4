// Shared set-up of the screen tests: a private settings folder, the build's program folder, a
// headless application, the navigator and the session, with handler errors recorded instead of
// shown.
#pragma once

#include "TestNavigator.h"
#include "screens/Session.h"
#include "support/PostKey.h"
#include "support/ProgramFolder.h"
#include "support/TempConfig.h"
#include "ui/Application.h"
#include "ui/Canvas.h"
#include "ui/Fonts.h"
#include "widgets/Wave.h"

#include <SDL.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

namespace screentest
{

using testsupport::TempConfig;

// The headless application, the navigator and the session; a derived fixture declares the
// screens it needs as members, so they are built after these and destroyed before them.
class ScreenTest : public ::testing::Test
{
protected:
    ScreenTest()
    {
        app.ErrorHandler = [this](const std::string& message)
        {
            errors.push_back(message);
        };
    }
    void TearDown() override { EXPECT_TRUE(errors.empty()) << errors.front(); }

    // Key codes for a text of upper-case letters, digits and spaces.
    void Type(const std::string& text)
    {
        for (const char c : text)
            app.Devices().KeyDown(static_cast<unsigned char>(c));
    }
    // A key as SDL hands it to the loop, where the display toggle may take it first.
    void Press(SDL_Keycode key, Uint16 modifiers = KMOD_NUM)
    {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.keysym.sym = key;
        event.key.keysym.mod = modifiers;
        app.Loop().Dispatch(platform::FromSdl(event));
    }
    void PostType(const std::string& text)
    {
        for (const char c : text)
            testsupport::PostKey(app, static_cast<unsigned char>(c));
    }
    // The mouse moved over the middle of a control.
    void Hover(const ui::Control& c)
    {
        const ui::Point p = c.ToForm({c.Width() / 2, c.Height() / 2});
        app.Devices().MouseMove(p.x, p.y);
    }
    // A name and a password typed into the login screen, queued for the modal loop that the
    // menu's Space opens and then opened.
    void LoginFromMenu(const std::string& name, const std::string& password)
    {
        PostType(name);
        testsupport::PostKey(app, ui::vk::Return);
        PostType(password);
        testsupport::PostKey(app, ui::vk::Return);
        app.Devices().KeyDown(ui::vk::Space);
    }

    TempConfig config;
    testsupport::ProgramFolderGuard programDir;
    ui::Application app{ui::Application::Options{.headless = true}};
    // Never opened: every sound asked to play is only noted, in order.
    audio::Service audio{{.watch = [this](const void* sound)
                          {
                              played.push_back(sound);
                          }}};
    TestNavigator navigator;
    // Made again by a test that prepares the settings file or the program directory first.
    std::unique_ptr<Session> session = std::make_unique<Session>(audio);
    std::vector<std::string> errors;
    std::vector<const void*> played;
};

using Sounds = std::vector<const void*>;

// The smallest rectangle holding every pixel of area (physical) that is not black.
inline ui::Rect InkBox(const ui::Bitmap& screen, ui::Rect area)
{
    ui::Rect ink;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (screen.Pixel(x, y) != ui::clBlack)
                ink = ink.Union(ui::Bounds(x, y, 1, 1));
    return ink;
}

// Whether the last ink in area, a line of text whose box starts at area.top, is the character's
// own ink as it looks drawn alone at the scale. (Kerning may move a glyph by a pixel, so texts
// are compared a character at a time; a neighbour's ink may reach between its strokes.)
inline bool EndsWithGlyph(const ui::Bitmap& screen, ui::Rect area, std::string_view character,
                          const ui::Font& font, double scale)
{
    ui::Bitmap alone(4 * font.height * static_cast<int>(scale + 1), area.Height(), ui::clBlack);
    ui::Canvas(alone, scale, {0, 0}, {0, 0}, alone.BoundsRect()).TextOut(0, 0, character, font);
    const ui::Rect own = InkBox(alone, alone.BoundsRect());
    const int left = InkBox(screen, area).right - own.Width();
    bool same = !own.Empty() && left >= area.left;
    for (int y = 0; y < alone.Height() && same; ++y)
        for (int x = 0; x < own.Width() && same; ++x)
        {
            const ui::Color c = alone.Pixel(own.left + x, y);
            same = c == ui::clBlack || screen.Pixel(left + x, area.top + y) == c;
        }
    return same;
}

} // namespace screentest
