// Input in the screens' terms: the system's key codes, and the display switch the keys make
// unless the form on top needs the key.
#include "ui/Application.h"
#include "ui/Form.h"

#include <SDL.h>

#include <gtest/gtest.h>

#include <vector>

namespace
{

TEST(VirtualKeys, KeypadKeysHaveCodesOfTheirOwn)
{
    EXPECT_EQ(ui::VirtualKeyFromSdl('a', true), 65);
    EXPECT_EQ(ui::VirtualKeyFromSdl('z', true), 90);
    EXPECT_EQ(ui::VirtualKeyFromSdl('7', true), 55);
    EXPECT_EQ(ui::VirtualKeyFromSdl('`', true), 192);
    EXPECT_EQ(ui::VirtualKeyFromSdl(8, true), 8);           // Backspace
    EXPECT_EQ(ui::VirtualKeyFromSdl(127, true), 46);        // Delete
    EXPECT_EQ(ui::VirtualKeyFromSdl(0x40000059, true), 97); // keypad 1
    EXPECT_NE(ui::VirtualKeyFromSdl(0x40000059, true), '1');
    // Keys without a code of the table still arrive, with codes no binding uses.
    EXPECT_EQ(ui::VirtualKeyFromSdl(0x400000E3, true), 91);       // left Super
    EXPECT_EQ(ui::VirtualKeyFromSdl(0x40000068, true), 124);      // F13
    EXPECT_EQ(ui::VirtualKeyFromSdl(0xE4, true), ui::vk::NoCode); // a national letter
    EXPECT_EQ(ui::VirtualKeyFromSdl('<', true), ui::vk::NoCode);  // the key left of Z
    EXPECT_EQ(ui::VirtualKeyFromSdl(0, true), ui::vk::NoCode);
}

// F11 and Alt+Enter switch between full screen and a window, once per press and not on the
// key's repeats, unless the form on top claims the key; then the form gets it like any other.
TEST(DisplayKeys, SwitchTheWindowUnlessTheTopFormClaimsThem)
{
    ui::Application app{ui::Application::Options{.headless = true, .width = 800, .height = 600}};
    int changes = 0;
    app.OnDisplayChanged = [&]
    {
        ++changes;
    };
    const auto press = [&](SDL_Keycode sym, Uint16 mod = KMOD_NONE, Uint8 repeat = 0)
    {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.keysym.sym = sym;
        e.key.keysym.mod = mod;
        e.key.repeat = repeat;
        app.Loop().Dispatch(platform::FromSdl(e));
    };
    struct Claiming : ui::Form
    {
        using Form::Form;
        bool claims = false;
        bool ClaimsKey(int) const override { return claims; }
    } form(app);
    std::vector<int> keys;
    form.OnKeyDown = [&](ui::Form&, int& key)
    {
        keys.push_back(key);
    };
    form.Show();

    press(SDLK_F11);
    EXPECT_FALSE(app.Fullscreen());
    press(SDLK_F11, KMOD_NONE, 1);
    EXPECT_FALSE(app.Fullscreen()) << "a held key switches once";
    press(SDLK_RETURN, KMOD_LALT);
    EXPECT_TRUE(app.Fullscreen());
    EXPECT_EQ(changes, 2);
    EXPECT_TRUE(keys.empty());
    // Headless, the screen keeps its size through the switches.
    EXPECT_EQ(app.Display().PhysicalWidth(), 800);
    EXPECT_EQ(app.ScreenHeight(), 600);

    form.claims = true;
    press(SDLK_F11);
    EXPECT_TRUE(app.Fullscreen());
    EXPECT_EQ(keys, std::vector<int>{ui::vk::F1 + 10});
}

} // namespace
