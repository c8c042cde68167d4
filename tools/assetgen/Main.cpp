// assetgen: draws and synthesises every picture, sound and the music file of the game.
//
//   assetgen <form-data-dir> <program-dir> <icon-dir>
//
// Writes the form data (pictures and sounds compiled into the program) as files and as
// Assets.cpp into the first folder, the files the game reads at run time into the second, and
// the desktop icons (icon_<size>.png) into the third.
#include "Bytes.h"
#include "Embed.h"
#include "Music.h"
#include "Pictures.h"
#include "Sounds.h"

#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

namespace
{

using assetgen::Bytes;
using assetgen::Direction;

enum class Place
{
    FormData,   // embedded in the program
    ProgramDir, // a file beside the executable
    Icon,       // a desktop icon, installed into the icon theme
};

struct Output
{
    std::string name;
    Place place;
    std::function<Bytes()> make;
};

std::vector<Output> Outputs()
{
    using assetgen::BallColour;
    std::vector<Output> outputs{
        {"button.bmp", Place::FormData, assetgen::ButtonPicture},
        {"grid.bmp", Place::FormData, assetgen::GridPicture},
        {"target_yellow.bmp", Place::FormData,
         []
         {
             return assetgen::TargetStrip(BallColour::Yellow);
         }},
        {"target_cyan.bmp", Place::FormData,
         []
         {
             return assetgen::TargetStrip(BallColour::Cyan);
         }},
        {"ball_yellow.bmp", Place::FormData,
         []
         {
             return assetgen::CornerBall(BallColour::Yellow);
         }},
        {"ball_cyan.bmp", Place::FormData,
         []
         {
             return assetgen::CornerBall(BallColour::Cyan);
         }},
        {"strip3.bmp", Place::FormData, assetgen::PulseStrip},
        {"icon.bmp", Place::FormData, assetgen::WindowIcon},
        {"pop.wav", Place::FormData, assetgen::PopSound},
        {"hrum.wav", Place::FormData, assetgen::HrumSound},
        {"deadsound.wav", Place::FormData, assetgen::DeadSound},
        {"zbmusic.mid", Place::ProgramDir, assetgen::MusicFile},
    };
    const std::pair<const char*, Direction> directions[] = {{"left", Direction::Left},
                                                            {"right", Direction::Right},
                                                            {"up", Direction::Up},
                                                            {"down", Direction::Down}};
    for (const auto& [word, direction] : directions)
    {
        const Direction d = direction;
        outputs.push_back({std::string("worm_") + word + ".bmp", Place::FormData,
                           [d]
                           {
                               return assetgen::ControlsWorm(d, false);
                           }});
        outputs.push_back({std::string("worm_") + word + "_small.bmp", Place::FormData,
                           [d]
                           {
                               return assetgen::ControlsWorm(d, true);
                           }});
    }
    for (int n = 0; n < assetgen::kWormPictures; ++n)
    {
        outputs.push_back({"b" + std::to_string(n) + ".bmp", Place::ProgramDir,
                           [n]
                           {
                               return assetgen::WormHeadPicture(n);
                           }});
    }
    for (const int size : assetgen::kIconSizes)
    {
        outputs.push_back({"icon_" + std::to_string(size) + ".png", Place::Icon,
                           [size]
                           {
                               return assetgen::AppIcon(size);
                           }});
    }
    return outputs;
}

void WriteFile(const std::filesystem::path& path, const void* data, std::size_t size)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!file)
    {
        throw std::runtime_error("cannot write " + path.string());
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
    {
        std::cerr << "usage: assetgen <form-data-dir> <program-dir> <icon-dir>\n";
        return 2;
    }
    try
    {
        const std::filesystem::path formDir = argv[1];
        const std::filesystem::path programDir = argv[2];
        const std::filesystem::path iconDir = argv[3];
        for (const auto& dir : {formDir, programDir, iconDir})
        {
            std::filesystem::create_directories(dir);
        }
        std::vector<std::pair<std::string, Bytes>> embedded;
        for (const Output& output : Outputs())
        {
            const Bytes bytes = output.make();
            const auto& dir = output.place == Place::FormData     ? formDir
                              : output.place == Place::ProgramDir ? programDir
                                                                  : iconDir;
            WriteFile(dir / output.name, bytes.data(), bytes.size());
            if (output.place == Place::FormData)
            {
                embedded.emplace_back(output.name, bytes);
            }
        }
        const std::string source = assetgen::EmbedSource(embedded);
        WriteFile(formDir / "Assets.cpp", source.data(), source.size());
    }
    catch (const std::exception& e)
    {
        std::cerr << "assetgen: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
