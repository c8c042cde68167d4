// Game controllers: hot-plugged pads bound to players in the order they connect, turned into the
// directions and keys the screens already understand.
#pragma once

#include "platform/Event.h"
#include "platform/SdlPtrs.h"

#include <array>
#include <functional>
#include <string>

namespace ui
{

// A player's turn, in the order of the key bindings: left, right, up, down.
enum class Turn
{
    Left,
    Right,
    Up,
    Down
};

class Controllers
{
public:
    static constexpr int kPlayers = 2;
    // The stick turns once it leans this far and turns again only after falling back below
    // kStickRelease (or leaning the other way): holding it is one turn, not a stream.
    static constexpr int kStickEngage = 16000;
    static constexpr int kStickRelease = 8000;

    struct Sink
    {
        std::function<void(int player, Turn turn)> turn;
        // A button as the key it stands for; shift is set for the key taken backwards (the left
        // shoulder's Tab).
        std::function<void(int key, bool shift)> key;
        std::function<void()> changed;
    };

    explicit Controllers(Sink sink);
    Controllers(const Controllers&) = delete;
    Controllers& operator=(const Controllers&) = delete;
    ~Controllers();

    // Starts SDL's controller subsystem with its own mappings, SDL_GAMECONTROLLERCONFIG and
    // mappingFile when present. False, silently, where the system offers no joysticks.
    bool Open(const std::string& mappingFile);
    bool IsOpen() const { return open_; }
    // Reads the devices (SDL is told not to on every event wait, which with a pad plugged in
    // would poll at a thousand times a second) and notices pads plugged in or out.
    void Update();
    // How long the loop may sleep before calling Update again, in milliseconds: briefly while
    // a pad is bound (its input must not wait), else once a second for plugging in.
    int PollInterval() const;
    // Takes the controller events; false for any other event.
    bool Handle(const platform::Event& event);

    // The name of player's (1 or 2) controller; empty when none is bound.
    std::string Name(int player) const;
    // A short rumble of player's controller, where it can.
    void Rumble(int player) const;

private:
    struct Pad
    {
        platform::GameControllerPtr controller;
        int instance = -1;
        int stick = -1; // the direction the stick leans, -1 in the centre
        int x = 0;      // the stick's position as the events so far gave it
        int y = 0;
    };

    Pad* PadOf(int instance);
    void Attach(int deviceIndex);
    void Detach(int instance);
    void Stick(int player, Pad& pad);

    Sink sink_;
    std::array<Pad, kPlayers> pads_{};
    bool open_ = false;
};

} // namespace ui
