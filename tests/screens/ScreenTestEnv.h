// Shared set-up of the screen tests: a private settings folder, the build's program folder, a
// headless application, the screen registry and the session, with handler errors recorded
// instead of shown.
#pragma once

#include "screens/Screens.h"
#include "screens/Session.h"
#include "support/ProgramFolder.h"
#include "support/TempConfig.h"
#include "ui/Application.h"
#include "widgets/Wave.h"

#include <SDL.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace screentest
{

using testsupport::TempConfig;

// The headless application, the registry and the session; a derived fixture declares the
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
        SetWavePlayWatch([this](const TCustomWave& wave) { played.push_back(&wave); });
    }
    ~ScreenTest() override { SetWavePlayWatch(nullptr); }
    void TearDown() override { EXPECT_TRUE(errors.empty()) << errors.front(); }

    // Key codes for a text of upper-case letters, digits and spaces.
    void Type(const std::string& text)
    {
        for (const char c : text)
            app.KeyDown(static_cast<unsigned char>(c));
    }
    // A key as SDL hands it to the loop, where the display toggle may take it first.
    void Press(SDL_Keycode key, Uint16 modifiers = KMOD_NUM)
    {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.keysym.sym = key;
        event.key.keysym.mod = modifiers;
        app.Handle(event);
    }
    void PostType(const std::string& text)
    {
        for (const char c : text)
            app.PostKey(static_cast<unsigned char>(c));
    }
    // A name and a password typed into the login screen, queued for the modal loop that the
    // menu's Space opens and then opened.
    void LoginFromMenu(const std::string& name, const std::string& password)
    {
        PostType(name);
        app.PostKey(ui::vk::Return);
        PostType(password);
        app.PostKey(ui::vk::Return);
        app.KeyDown(ui::vk::Space);
    }

    TempConfig config;
    testsupport::ProgramFolderGuard programDir;
    ui::Application app{ui::Application::Options{.headless = true}};
    Screens screens{app};
    // Made again by a test that prepares the settings file or the program directory first.
    std::unique_ptr<Session> session = std::make_unique<Session>();
    std::vector<std::string> errors;
    // Every sound asked to play, in order (heard or not: the tests have no audio device).
    std::vector<const TCustomWave*> played;
};

using Sounds = std::vector<const TCustomWave*>;

} // namespace screentest
