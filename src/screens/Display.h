// The display choice: the scale, full screen or a window and the window's size, read from the
// settings file's [Display] section and the command line, and remembered when the user changes it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

class TIniFile;
namespace ui
{
class Platform;
}

struct DisplayChoice
{
    double scale = 0.0; // 0: chosen from the screen's size
    bool fullscreen = true;
    int width = 0; // the window's size; 0 until one was remembered
    int height = 0;
};

// "auto" gives 0; a number from 1 to 8 is taken in quarter steps, rounded to the nearest
// (rounded, where given, says whether it had to be); anything else sets ok to false.
double ParseScale(std::string_view text, bool& ok, bool* rounded = nullptr);

// The [Display] section; values that are missing or malformed keep their defaults.
DisplayChoice ReadDisplayChoice(const TIniFile& ini);
// What the command line asks for besides the display.
enum class CommandLineRequest
{
    Play,
    Help,    // print the usage and end
    Version, // print the version and end
};

// A network match the command line asks for: hosting on a port (0: the default), or joining the
// address given as it was typed.
struct NetworkChoice
{
    bool host = false;
    std::uint16_t port = 0;
    std::string join;
};

// The synopsis and every option with one line each, as --help prints them.
extern const char* const kCommandLineUsage;

// --scale N, --window and --fullscreen override the file (a scale between quarter steps is
// rounded to the nearest, with a line on stderr); --replay FILE, or FILE alone as a file
// manager passes it, names a replay to watch, given back in replayFile as it was typed; --host
// [PORT] and --join ADDRESS[:PORT] start a network match; --help and --version ask for their
// text instead of the game. Throws std::invalid_argument saying what is wrong (not the usage)
// for anything else.
CommandLineRequest ApplyCommandLine(DisplayChoice& choice, std::string& replayFile,
                                    NetworkChoice& network, std::span<char* const> args);

// Remembers full screen or not and the window's size under [Display]; the settings file is
// touched only when one of them differs from what it holds, and a file that cannot be written
// is left alone (a display preference is not worth a message).
void SaveDisplayChoice(TIniFile& ini, const ui::Platform& app);
