// The application: one borderless full-screen window (or none, headless), the stack of shown
// forms, the message loop and the input it turns into key codes and mouse events.
#pragma once

#include "ui/Bitmap.h"
#include "ui/Controllers.h"
#include "ui/Types.h"

#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct SDL_Window;
union SDL_Event;

namespace ui
{

class Control;
class Form;

class Application
{
public:
    struct Options
    {
        // Without a window: everything but presenting works, for tests.
        bool headless = false;
        // The screen size when headless.
        int width = 1024;
        int height = 768;
    };

    explicit Application(Options options);
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;
    ~Application();

    void SetTitle(std::string title);
    const std::string& Title() const { return title_; }
    int ScreenWidth() const { return width_; }
    int ScreenHeight() const { return height_; }
    bool Headless() const { return window_ == nullptr; }

    // Shows the main form and runs the message loop until it closes.
    void Run(Form& mainForm);
    Form* MainForm() const { return mainForm_; }
    void Terminate();
    bool Terminated() const { return terminated_; }
    // One turn of the loop: paint what changed, then handle one event (waiting for it when
    // wait is set). Returns false once terminated.
    bool Step(bool wait);
    // Handles everything pending without waiting.
    void ProcessMessages();

    // Queues work for the loop's next turn (tests drive modal screens this way).
    void PostCall(std::function<void()> call);
    void PostKey(int key);

    // Input as the loop delivers it; public so that tests drive the screens directly.
    void KeyDown(int key);
    void MouseDown(MouseButton button, int x, int y);
    void MouseUp(MouseButton button, int x, int y);
    void MouseMove(int x, int y);

    // The shown forms, bottom first; the last one is drawn and gets the input.
    Form* TopForm() const;
    bool IsShown(const Form& form) const;
    void PushForm(Form& form);
    void RemoveForm(Form& form);

    // Game controllers, opened once the first frame is shown (they cost the start nothing);
    // mappingFile adds mappings when present.
    void EnableControllers(std::string mappingFile);
    // The name of player's (1 or 2) controller, empty when none; a rumble where it can.
    std::string ControllerName(int player) const;
    void Rumble(int player) const;
    // A player's controller turned: the top form's OnPlayerTurn, else the arrow key.
    void PlayerTurn(int player, Turn turn);

    void SetCursorVisible(bool visible);
    bool CursorVisible() const { return cursorVisible_; }

    void InvalidateFormRect(const Form& form, Rect r);
    void InvalidateAll();
    // Paints the dirty part of the top form into the screen image and presents it.
    void Render();
    const Bitmap& Screen() const { return screen_; }
    int FramesPresented() const { return frames_; }

    // Shows the message of an exception that escaped a handler; the program goes on.
    void HandleException(std::exception_ptr error);
    // Shows a message in a modal box drawn in the window and returns once it is closed.
    void ShowMessage(const std::string& message);
    // Replaces the message box (tests record the messages instead).
    std::function<void(const std::string& message)> ErrorHandler;

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

private:
    void Handle(const SDL_Event& event);
    void Present(Rect r);
    void TopChanged(Form* previous);
    Control* ControlAt(Point p, Point& local) const;

    std::string title_ = "Zorbel2";
    SDL_Window* window_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    std::uint32_t wakeEvent_ = 0;
    bool terminated_ = false;
    bool cursorVisible_ = true;
    Form* mainForm_ = nullptr;
    std::vector<Form*> forms_;
    std::deque<std::function<void()>> posted_;
    Bitmap screen_;
    Rect dirty_;
    int frames_ = 0;
    Control* capture_ = nullptr;
    MouseButton captureButton_ = MouseButton::Left;
    std::unique_ptr<Controllers> controllers_;
    std::string controllerMappings_;
    bool controllersWanted_ = false;
};

// Translates an SDL key code to the virtual-key code the game uses; vk::NoCode for keys that
// have none.
int VirtualKeyFromSdl(int sdlKey);

} // namespace ui
