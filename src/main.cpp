// Program start: the display choice, the application, the six screens in their order and the
// navigator that joins them, the message loop.
#include "assets/Assets.h"
#include "audio/Audio.h"
#include "platform/Diagnostics.h"
#include "screens/ControlsScreen.h"
#include "screens/Display.h"
#include "screens/GameScreen.h"
#include "screens/LoginScreen.h"
#include "screens/MenuScreen.h"
#include "screens/Navigator.h"
#include "screens/NetworkScreen.h"
#include "screens/Session.h"
#include "screens/SkillScreen.h"
#include "screens/StatisticsScreen.h"
#include "settings/IniFile.h"
#include "ui/Application.h"
#include "ui/Fonts.h"
#include "ui/Presenter.h"

#ifdef _WIN32
// SDL's WinMain starts the program and calls this main under the name SDL_main.
#include <SDL_main.h>
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <thread>

namespace
{

// The display as the settings file and the command line choose it, and the replay or the
// network match the command line names; empty when the program ends at once with exitCode: after
// --help or --version (0) or a usage error (2).
std::optional<DisplayChoice> ChooseDisplay(const TIniFile& ini, std::span<char* const> arguments,
                                           std::string& replayFile, NetworkChoice& network,
                                           int& exitCode)
{
    try
    {
        DisplayChoice display = ReadDisplayChoice(ini);
        switch (ApplyCommandLine(display, replayFile, network, arguments))
        {
        case CommandLineRequest::Play:
            return display;
        case CommandLineRequest::Help:
            std::fputs(kCommandLineUsage, stdout);
            break;
        case CommandLineRequest::Version:
            std::puts("zorbel2 " ZORBEL_VERSION);
            break;
        }
        exitCode = 0;
    }
    catch (const std::invalid_argument& e)
    {
        platform::ReportOnStderr(std::string(e.what()) + "\n" + kCommandLineUsage);
        exitCode = 2;
    }
    return std::nullopt;
}

// What escaped the program: on stderr, and in the window while there is one to show it in.
void ReportEscaped(const char* message, std::optional<ui::Application>& app) noexcept
{
    platform::ReportOnStderr(message);
    if (!app || !app->Display().Seen() || app->Terminated())
        return;
    try
    {
        // The settings file it wrote to went with the screens.
        app->OnDisplayChanged = nullptr;
        app->ShowMessage(message);
    }
    catch (...)
    {
        // Reported on stderr already; the box was only a courtesy.
    }
}

// The seven screens and the navigator that joins them. The menu is made first, so that it can go
// on screen before the others are built; nothing navigates before the message loop runs, and by
// then all seven are there.
class ProgramScreens final : public Navigator
{
public:
    ProgramScreens(ui::Platform& app, Session& session)
        : menu(app, *this, session), app_(app), session_(session)
    {
    }

    void BuildTheRest()
    {
        game.emplace(app_, *this, session_);
        login.emplace(app_, *this, session_);
        controls.emplace(app_, *this, session_);
        skill.emplace(app_, *this, session_);
        statistics.emplace(app_, *this, session_);
        network.emplace(app_, *this, session_);
    }

    void StartSingleGame() override { game->ShowSingleGame(); }
    void StartDeathMatch() override { game->ShowDeathMatch(); }
    void OpenNetwork() override { network->Show(); }
    void StartNetworkMatch(std::unique_ptr<net::Link> link, bool hosting) override
    {
        game->ShowNetworkMatch(std::move(link), hosting);
    }
    void OpenLogin() override { login->ShowModal(); }
    void OpenSettings() override { skill->Show(); }
    void OpenControls() override { controls->Show(); }
    void OpenStatistics() override { statistics->Show(); }
    void ShowGameResult(const records::Table& table) override { statistics->ShowGameResult(table); }
    void PlayReplay(const engine::Replay& replay) override { game->ShowReplay(replay); }

    TForm1 menu;
    std::optional<TGameForm> game;
    std::optional<TNameForm> login;
    std::optional<TKeyForm> controls;
    std::optional<TSkillForm> skill;
    std::optional<TForm2> statistics;
    std::optional<TNetForm> network;

private:
    ui::Platform& app_;
    Session& session_;
};

} // namespace

int main(int argc, char** argv)
{
#ifndef _WIN32
    // With no session bus in the environment, SDL's D-Bus support would start one for this
    // process alone (dbus-launch), which costs the start-up a fork and a daemon; the game needs
    // none of it.
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 0);
#endif
    platform::RouteSdlLog();
    // Before the first thread: the environment is changed here and nowhere later.
    ui::SetWindowClass("io.github.zorbel2.Zorbel2");
    // Outside the try, so that the message box can still show what escaped; declared in the
    // order they close in reverse: the window and SDL before the fonts.
    std::optional<ui::FontSystem> fonts;
    std::optional<ui::Application> app;
    try
    {
        TIniFile displayIni(ConfigFilePath());
        int exitCode = 0;
        std::string replayFile;
        NetworkChoice network;
        const std::optional<DisplayChoice> display =
            ChooseDisplay(displayIni, std::span<char* const>(argv + 1, argc > 0 ? argc - 1 : 0),
                          replayFile, network, exitCode);
        if (!display)
            return exitCode;
        fonts.emplace();
        // The typeface is looked up and read while SDL connects to the display. The sound
        // libraries are not loaded beside it: a thread in dlopen holds the dynamic loader's lock,
        // which SDL's start-up waits for. They load with the device, after the first frame.
        std::jthread prepareFonts([&fonts] { fonts->Prepare(); });
        ui::Application::Options options;
        options.scale = display->scale;
        options.fullscreen = display->fullscreen;
        options.windowWidth = display->width;
        options.windowHeight = display->height;
        options.minimumWidth = TGameForm::kPanelWidth;
        options.minimumHeight = TGameForm::kPanelHeight;
        app.emplace(options);
        if (const auto icon = assets::Find("icon.bmp"); !icon.empty())
            app->Display().SetIcon(ui::Bitmap::FromBmp(icon), ui::Color{255, 0, 255});
        app->OnDisplayChanged = [&]
        {
            SaveDisplayChoice(displayIni, *app);
        };
        // After the application, whose end quits SDL, and before the screens, whose sounds,
        // music and music-rendering thread must be gone before the mixer closes. The device
        // itself (a sound server's connection can take a tenth of a second) and the music wait
        // until the menu is on screen. Silence for a few seconds then lets the device go: its
        // audio thread would otherwise wake for every buffer while the game sits at a menu
        // without music.
        audio::Service audio({.idleRelease = std::chrono::seconds(3)});
        Session session(audio);
        ProgramScreens screens(*app, session);
        // The menu goes on screen before the other screens are built, which no one can reach
        // before the first key anyway.
        screens.menu.Show();
        app->Render();
        audio.Open();
        screens.menu.StartMusic();
        screens.BuildTheRest();
        // Controllers known to SDL, plus those of a mapping file beside the settings file (none
        // for a user without a home folder, rather than one in the current folder).
        const std::string settingsFile = ConfigFilePath();
        app->EnableControllers(
            settingsFile.empty()
                ? settingsFile
                : (std::filesystem::path(settingsFile).parent_path() / "gamecontrollerdb.txt")
                      .string());
        // A replay named on the command line plays over the menu, or says why it cannot: once
        // the loop runs, since the menu goes on screen as it starts.
        if (!replayFile.empty())
            app->PostCall([&] { screens.game->WatchReplayFile(replayFile); });
        // So does a network match: the network screen hosting or joining, as if chosen there.
        if (network.port != 0)
            screens.network->SetHostPort(network.port);
        if (network.host || !network.join.empty())
            app->PostCall(
                [&]
                {
                    screens.network->Show();
                    if (network.host)
                        screens.network->Host();
                    else
                        screens.network->Join(network.join);
                });
        app->Run(screens.menu);
        // Let the last click finish rather than cut it off.
        audio.FinishWave(std::chrono::seconds(1));
        return 0;
    }
    catch (const std::exception& e)
    {
        ReportEscaped(e.what(), app);
    }
    catch (...)
    {
        ReportEscaped("Unknown error", app);
    }
    return 1;
}
