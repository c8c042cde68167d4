// Input in the screens' terms: keys become virtual-key codes for the form on top, the mouse
// goes to the control under it in logical pixels, and game controllers turn like a player's keys.
#pragma once

#include "platform/Event.h"
#include "ui/Controllers.h"
#include "ui/Types.h"

#include <functional>
#include <memory>
#include <string>

namespace ui
{

class Control;
class Platform;
class Presentation;

class Input
{
public:
    Input(Platform& platform, const Presentation& presentation);
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;
    ~Input();

    // F11 or Alt+Enter, unless the form on top claims the key.
    std::function<void()> OnToggleDisplay;

    // Takes the keyboard, mouse and controller events; false for any other.
    bool Handle(const platform::Event& event);

    void KeyDown(int key);
    void MouseDown(MouseButton button, int x, int y);
    void MouseUp(MouseButton button, int x, int y);
    void MouseMove(int x, int y);
    // A player's controller turned: the top form's OnPlayerTurn, else the arrow key.
    void PlayerTurn(int player, Turn turn);
    // A controller's button as the key it stands for, with Shift when shift is set.
    void ControllerKey(int key, bool shift);
    // How the key being delivered was pressed: with Shift held; by a controller.
    bool ShiftHeld() const { return shift_; }
    bool KeyFromController() const { return fromController_; }
    // The top form's OnDeactivate.
    void Deactivate();

    // Game controllers, opened once a frame was shown (they cost the start nothing);
    // mappingFile adds mappings when present.
    void EnableControllers(std::string mappingFile, bool frameShown);
    // Opens the controllers once wanted and a frame was shown, and reads them; returns how long
    // the loop may sleep meanwhile, in milliseconds, or -1 when nothing is polled.
    int Poll(bool frameShown);
    void CloseControllers();
    std::string ControllerName(int player) const;
    void Rumble(int player) const;

private:
    Control* ControlAt(Point p, Point& local) const;

    Platform& platform_;
    const Presentation& presentation_;
    Control* capture_ = nullptr;
    MouseButton captureButton_ = MouseButton::Left;
    std::unique_ptr<Controllers> controllers_;
    std::string controllerMappings_;
    bool controllersWanted_ = false;
    bool shift_ = false;
    bool fromController_ = false;
};

// Translates an SDL key code to the virtual-key code the game uses; vk::NoCode for keys that
// have none. Without Num Lock the keypad's digits and decimal key are the arrows, Home, End,
// PgUp, PgDn, Ins and Del.
int VirtualKeyFromSdl(int sdlKey, bool numLock);

} // namespace ui
