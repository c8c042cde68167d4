// Game controllers through SDL's game-controller API: binding, d-pad and stick, buttons, rumble.
#include "ui/Controllers.h"

#include "ui/Types.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <utility>

namespace ui
{

namespace
{

std::optional<Turn> TurnOf(int button)
{
    switch (button)
    {
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
        return Turn::Left;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
        return Turn::Right;
    case SDL_CONTROLLER_BUTTON_DPAD_UP:
        return Turn::Up;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
        return Turn::Down;
    default:
        return std::nullopt;
    }
}

// The key a button stands for on every screen; 0 for none.
int KeyOf(int button)
{
    switch (button)
    {
    case SDL_CONTROLLER_BUTTON_START:
        return vk::Pause;
    case SDL_CONTROLLER_BUTTON_A:
        return vk::Return;
    case SDL_CONTROLLER_BUTTON_B:
        return vk::Escape;
    case SDL_CONTROLLER_BUTTON_X:
        return vk::Space;
    // The shoulders step through a screen's fields as Tab and Shift+Tab do.
    case SDL_CONTROLLER_BUTTON_LEFTSHOULDER:
    case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER:
        return vk::Tab;
    default:
        return 0;
    }
}

} // namespace

Controllers::Controllers(Sink sink) : sink_(std::move(sink)) {}

Controllers::~Controllers()
{
    // The pads close before the subsystem that opened them.
    for (Pad& pad : pads_)
        pad.controller.reset();
    if (open_)
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

bool Controllers::Open(const std::string& mappingFile)
{
    if (open_)
        return true;
    SDL_SetHint(SDL_HINT_AUTO_UPDATE_JOYSTICKS, "0");
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0)
        return false;
    open_ = true;
    std::error_code ec;
    // Devices a new mapping makes known arrive as added devices, like any other.
    if (!mappingFile.empty() && std::filesystem::is_regular_file(mappingFile, ec))
        SDL_GameControllerAddMappingsFromFile(mappingFile.c_str());
    return true;
}

void Controllers::Update()
{
    if (open_)
        SDL_GameControllerUpdate();
}

int Controllers::PollInterval() const
{
    for (const Pad& pad : pads_)
        if (pad.controller != nullptr)
            return 10;
    return 1000;
}

Controllers::Pad* Controllers::PadOf(int instance)
{
    for (Pad& pad : pads_)
        if (pad.controller != nullptr && pad.instance == instance)
            return &pad;
    return nullptr;
}

void Controllers::Attach(int deviceIndex)
{
    if (PadOf(SDL_JoystickGetDeviceInstanceID(deviceIndex)) != nullptr)
        return;
    // The first free player: a third controller waits until a player's is unplugged and is
    // then ignored until it is plugged in again.
    for (Pad& pad : pads_)
    {
        if (pad.controller != nullptr)
            continue;
        pad.controller.reset(SDL_GameControllerOpen(deviceIndex));
        if (pad.controller == nullptr)
            return;
        pad.instance = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad.controller.get()));
        pad.stick = -1;
        if (sink_.changed)
            sink_.changed();
        return;
    }
}

void Controllers::Detach(int instance)
{
    Pad* pad = PadOf(instance);
    if (pad == nullptr)
        return;
    *pad = Pad{};
    if (sink_.changed)
        sink_.changed();
}

void Controllers::Stick(int player, Pad& pad)
{
    // From the events, not the current state: a pass through the centre queued behind other
    // events must still count.
    const int x = pad.x;
    const int y = pad.y;
    const int ax = std::abs(x);
    const int ay = std::abs(y);
    const int lean = std::max(ax, ay);
    Turn dominant = Turn::Left;
    if (ax >= ay)
        dominant = x < 0 ? Turn::Left : Turn::Right;
    else
        dominant = y < 0 ? Turn::Up : Turn::Down;
    const int direction = static_cast<int>(dominant);

    if (pad.stick >= 0 && lean < kStickRelease)
    {
        pad.stick = -1;
        return;
    }
    if (lean > kStickEngage && direction != pad.stick)
    {
        pad.stick = direction;
        if (sink_.turn)
            sink_.turn(player, dominant);
    }
}

bool Controllers::Handle(const platform::Event& event)
{
    using Kind = platform::Event::Kind;
    switch (event.kind)
    {
    case Kind::ControllerAdded:
        Attach(event.device);
        return true;
    case Kind::ControllerRemoved:
        Detach(event.device);
        return true;
    case Kind::ControllerButtonDown:
    {
        Pad* pad = PadOf(event.device);
        if (pad == nullptr)
            return true;
        const int player = static_cast<int>(pad - pads_.data()) + 1;
        const int button = event.controllerButton;
        if (const auto turn = TurnOf(button); turn && sink_.turn)
            sink_.turn(player, *turn);
        else if (const int key = KeyOf(button); key != 0 && sink_.key)
            sink_.key(key, button == SDL_CONTROLLER_BUTTON_LEFTSHOULDER);
        return true;
    }
    case Kind::ControllerAxis:
        if (event.axis == SDL_CONTROLLER_AXIS_LEFTX || event.axis == SDL_CONTROLLER_AXIS_LEFTY)
        {
            if (Pad* pad = PadOf(event.device))
            {
                (event.axis == SDL_CONTROLLER_AXIS_LEFTX ? pad->x : pad->y) = event.value;
                Stick(static_cast<int>(pad - pads_.data()) + 1, *pad);
            }
        }
        return true;
    case Kind::ControllerOther:
        return true;
    default:
        return false;
    }
}

std::string Controllers::Name(int player) const
{
    if (player < 1 || player > kPlayers)
        return {};
    const Pad& pad = pads_[static_cast<std::size_t>(player - 1)];
    if (pad.controller == nullptr)
        return {};
    const char* name = SDL_GameControllerName(pad.controller.get());
    return name != nullptr ? name : "Controller";
}

void Controllers::Rumble(int player) const
{
    if (player < 1 || player > kPlayers)
        return;
    const Pad& pad = pads_[static_cast<std::size_t>(player - 1)];
    if (pad.controller != nullptr)
        SDL_GameControllerRumble(pad.controller.get(), 0x6000, 0xC000, 250);
}

} // namespace ui
