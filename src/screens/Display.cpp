// Reading and remembering the display choice.
#include "screens/Display.h"

#include "platform/Diagnostics.h"
#include "settings/IniFile.h"
#include "settings/Keys.h"
#include "ui/Platform.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>

double ParseScale(std::string_view text, bool& ok, bool* rounded)
{
    ok = true;
    if (text == "auto" || text == "AUTO" || text == "Auto")
        return 0.0;
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    ok = error == std::errc() && end == text.data() + text.size() && value >= 1.0 && value <= 8.0;
    if (!ok)
        return 0.0;
    const double scale = std::round(value * 4.0) / 4.0;
    if (rounded != nullptr)
        *rounded = scale != value;
    return scale;
}

DisplayChoice ReadDisplayChoice(const TIniFile& ini)
{
    DisplayChoice choice;
    bool ok = false;
    const double scale = ParseScale(
        ini.ReadString(settings::kDisplaySection, settings::kScaleName, settings::kScaleDefault),
        ok);
    if (ok)
        choice.scale = scale;
    choice.fullscreen = settings::Read(ini, settings::kFullscreen) != 0;
    const int width = settings::Read(ini, settings::kWindowWidth);
    const int height = settings::Read(ini, settings::kWindowHeight);
    // A window smaller than the smallest logical screen is no choice anyone made.
    if (width >= 320 && height >= 240 && width <= 32768 && height <= 32768)
    {
        choice.width = width;
        choice.height = height;
    }
    return choice;
}

const char* const kCommandLineUsage =
    "usage: zorbel2 [--scale auto|1..8] [--window | --fullscreen]\n"
    "               [[--replay] FILE | --host [PORT] | --join ADDRESS[:PORT]]\n"
    "       zorbel2 --help | --version\n"
    "  --scale N      draw at scale N (1 to 8 in quarter steps), or auto to fit the screen\n"
    "  --window       start in a window\n"
    "  --fullscreen   start full screen\n"
    "  --replay FILE  watch the replay in FILE (a .zr2 file)\n"
    "  --host [PORT]  host a network death match on PORT (42512 unless given)\n"
    "  --join ADDRESS[:PORT]\n"
    "                 join the network death match hosted at ADDRESS\n"
    "  --help         print this help and exit\n"
    "  --version      print the version and exit\n";

CommandLineRequest ApplyCommandLine(DisplayChoice& choice, std::string& replayFile,
                                    NetworkChoice& network, std::span<char* const> args)
{
    // One thing to start with: a replay, hosting or joining.
    const auto startOnce = [&]
    {
        if (!replayFile.empty() || network.host || !network.join.empty())
            throw std::invalid_argument("one replay file or network match at a time");
    };
    const auto takeReplay = [&](std::string_view file)
    {
        if (file.empty())
            throw std::invalid_argument("--replay takes the name of a replay file");
        startOnce();
        replayFile = file;
    };
    for (std::size_t i = 0; i < args.size(); ++i)
    {
        const std::string_view arg = args[i];
        if (arg == "--help")
            return CommandLineRequest::Help;
        if (arg == "--version")
            return CommandLineRequest::Version;
        if (arg == "--window")
            choice.fullscreen = false;
        else if (arg == "--fullscreen")
            choice.fullscreen = true;
        else if (arg == "--scale")
        {
            bool ok = false;
            bool rounded = false;
            if (i + 1 < args.size())
                choice.scale = ParseScale(args[++i], ok, &rounded);
            if (!ok)
                throw std::invalid_argument("--scale takes auto or a number from 1 to 8");
            if (rounded)
            {
                char used[16];
                std::snprintf(used, sizeof used, "%g", choice.scale);
                platform::ReportOnStderr("scale " + std::string(args[i]) +
                                         " is rounded to the nearest quarter step, " + used);
            }
        }
        else if (arg == "--replay")
            takeReplay(i + 1 < args.size() ? std::string_view(args[++i]) : std::string_view());
        else if (arg == "--host")
        {
            startOnce();
            network.host = true;
            // The port is optional: a number next is one, anything else is the next argument.
            if (i + 1 < args.size() && !std::string_view(args[i + 1]).empty() &&
                std::string_view(args[i + 1]).find_first_not_of("0123456789") ==
                    std::string_view::npos)
            {
                const std::string_view text = args[++i];
                unsigned port = 0;
                const auto [end, error] =
                    std::from_chars(text.data(), text.data() + text.size(), port);
                if (error != std::errc() || end != text.data() + text.size() || port == 0 ||
                    port > 65535)
                    throw std::invalid_argument("--host takes a port from 1 to 65535");
                network.port = static_cast<std::uint16_t>(port);
            }
        }
        else if (arg == "--join")
        {
            startOnce();
            if (i + 1 >= args.size() || std::string_view(args[i + 1]).empty())
                throw std::invalid_argument("--join takes the address of the computer to join");
            network.join = args[++i];
        }
        else if (!arg.starts_with('-'))
            takeReplay(arg);
        else
            throw std::invalid_argument("unknown option '" + std::string(arg) + "'");
    }
    return CommandLineRequest::Play;
}

void SaveDisplayChoice(TIniFile& ini, const ui::Platform& app)
{
    const std::string fullscreen = app.Fullscreen() ? "1" : "0";
    const std::string width = std::to_string(app.WindowWidth());
    const std::string height = std::to_string(app.WindowHeight());
    using namespace settings;
    if (ReadStored(ini, kFullscreen) == fullscreen && ReadStored(ini, kWindowWidth) == width &&
        ReadStored(ini, kWindowHeight) == height)
        return;
    try
    {
        TIniFile::Batch batch(ini);
        WriteText(ini, kFullscreen, fullscreen);
        WriteText(ini, kWindowWidth, width);
        WriteText(ini, kWindowHeight, height);
        batch.Commit();
    }
    catch (const EIniFileException&)
    {
    }
}
