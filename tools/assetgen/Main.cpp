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

// A picture under its name ("b0.bmp") and its finer drawings ("b0@2x.bmp", "b0@4x.bmp").
void AddPicture(std::vector<Output>& outputs, const std::string& name, Place place,
                const std::function<Bytes(int)>& draw)
{
    outputs.push_back({name, place,
                       [draw]
                       {
                           return draw(1);
                       }});
    const std::string stem = name.substr(0, name.rfind('.'));
    const std::string extension = name.substr(stem.size());
    for (const int factor : assetgen::kFinerFactors)
    {
        outputs.push_back({stem + "@" + std::to_string(factor) + "x" + extension, place,
                           [draw, factor]
                           {
                               return draw(factor);
                           }});
    }
}

std::vector<Output> Outputs()
{
    using assetgen::BallColour;
    std::vector<Output> outputs{
        {"grid.bmp", Place::FormData, assetgen::GridPicture},
        {"icon.bmp", Place::FormData, assetgen::WindowIcon},
        {"pop.wav", Place::FormData, assetgen::PopSound},
        {"hrum.wav", Place::FormData, assetgen::HrumSound},
        {"deadsound.wav", Place::FormData, assetgen::DeadSound},
        {"zbmusic.mid", Place::ProgramDir, assetgen::MusicFile},
    };
    AddPicture(outputs, "button.bmp", Place::FormData, assetgen::ButtonPicture);
    for (const auto& [word, colour] :
         {std::pair{"yellow", BallColour::Yellow}, std::pair{"lime", BallColour::Lime},
          std::pair{"blue", BallColour::Blue}})
    {
        const BallColour c = colour;
        AddPicture(outputs, std::string("target_") + word + ".bmp", Place::FormData,
                   [c](int factor) { return assetgen::TargetStrip(c, factor); });
        AddPicture(outputs, std::string("ball_") + word + ".bmp", Place::FormData,
                   [c](int factor) { return assetgen::CornerBall(c, factor); });
    }
    AddPicture(outputs, "strip3.bmp", Place::FormData, assetgen::PulseStrip);
    const std::pair<const char*, Direction> directions[] = {{"left", Direction::Left},
                                                            {"right", Direction::Right},
                                                            {"up", Direction::Up},
                                                            {"down", Direction::Down}};
    for (const auto& [word, direction] : directions)
    {
        const Direction d = direction;
        AddPicture(outputs, std::string("worm_") + word + ".bmp", Place::FormData,
                   [d](int factor) { return assetgen::ControlsWorm(d, false, factor); });
        AddPicture(outputs, std::string("worm_") + word + "_small.bmp", Place::FormData,
                   [d](int factor) { return assetgen::ControlsWorm(d, true, factor); });
    }
    for (int n = 0; n < assetgen::kWormPictures; ++n)
    {
        AddPicture(outputs, "b" + std::to_string(n) + ".bmp", Place::ProgramDir,
                   [n](int factor) { return assetgen::WormHeadPicture(n, factor); });
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
