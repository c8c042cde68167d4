// What the screens and the components may ask of the system: the logical screen they fill, the
// stack of shown forms, the message loop, the window's mode, the pointer and the screensaver,
// the game controllers and the message box. The window, the loop and the input behind it are
// the application's; nothing here names SDL.
#pragma once

#include "ui/Types.h"

#include <exception>
#include <string>

namespace ui
{

class Form;

class Platform
{
public:
    // The logical screen the forms fill, and the physical pixels per logical one.
    virtual int ScreenWidth() const = 0;
    virtual int ScreenHeight() const = 0;
    virtual double Scale() const = 0;

    // Full screen or a window, and the window's remembered size.
    virtual bool Fullscreen() const = 0;
    virtual int WindowWidth() const = 0;
    virtual int WindowHeight() const = 0;

    // Every form registers here, so that a new screen size reaches the hidden ones too.
    virtual void AddForm(Form& form) = 0;
    virtual void ForgetForm(Form& form) = 0;
    // The shown forms, bottom first; the last one is drawn and gets the input.
    virtual Form* TopForm() const = 0;
    virtual Form* MainForm() const = 0;
    virtual bool IsShown(const Form& form) const = 0;
    virtual void PushForm(Form& form) = 0;
    virtual void RemoveForm(Form& form) = 0;
    // A logical rectangle of a form changed; it reaches the screen at the loop's next turn when
    // the form is on top.
    virtual void InvalidateFormRect(const Form& form, Rect r) = 0;

    // One turn of the loop: paint what changed, run the queued calls, handle one event (waiting
    // for it when wait is set). Returns false once terminated.
    virtual bool Step(bool wait) = 0;
    virtual void Terminate() = 0;
    virtual bool Terminated() const = 0;

    virtual void SetCursorVisible(bool visible) = 0;
    virtual bool CursorVisible() const = 0;
    // Whether the screensaver and the display's power saving may start; they may unless held
    // off, and they may again once the program ends.
    virtual void SetScreenSaverAllowed(bool allowed) = 0;
    virtual bool ScreenSaverAllowed() const = 0;

    // How the key being delivered was pressed: with Shift held (a controller's left shoulder
    // gives Shift+Tab); by a controller's button or d-pad rather than the keyboard.
    virtual bool ShiftHeld() const = 0;
    virtual bool KeyFromController() const = 0;

    // The name of player's (1 or 2) controller, empty when none; a rumble where it can.
    virtual std::string ControllerName(int player) const = 0;
    virtual void Rumble(int player) const = 0;

    // Shows a message in a modal box drawn in the window and returns once it is closed.
    virtual void ShowMessage(const std::string& message) = 0;
    // Shows the message of an exception that escaped a handler; the program goes on.
    virtual void HandleException(std::exception_ptr error) = 0;

    // Runs a handler, routing whatever it throws to HandleException.
    template <typename F> void Guard(F&& handler)
    {
        try
        {
            handler();
        }
        catch (...)
        {
            HandleException(std::current_exception());
        }
    }

protected:
    Platform() = default;
    virtual ~Platform() = default;
};

} // namespace ui
