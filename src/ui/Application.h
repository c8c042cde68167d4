// The application: one window, full screen or not (or none, headless), the scale between the
// screens' logical pixels and the window's physical ones, the stack of shown forms, the message
// loop and the input it turns into key codes and mouse events.
#pragma once

#include "ui/Bitmap.h"
#include "ui/Controllers.h"
#include "ui/SdlPtrs.h"
#include "ui/Types.h"

#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

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
        // The screen size in physical pixels when headless.
        int width = 1024;
        int height = 768;
        // Physical pixels per logical pixel; 0 chooses it from the screen's size.
        double scale = 1.0;
        bool fullscreen = true;
        // The window's size when not full screen; 0 for three quarters of the desktop.
        int windowWidth = 0;
        int windowHeight = 0;
    };

    // The largest scale in quarter steps (1 to 8) at which the logical screen is still at least
    // 800 x 600.
    static double ChooseScale(int physicalWidth, int physicalHeight);

    explicit Application(Options options);
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;
    ~Application();

    void SetTitle(std::string title);
    const std::string& Title() const { return title_; }
    // The logical screen the forms fill.
    int ScreenWidth() const { return width_; }
    int ScreenHeight() const { return height_; }
    int PhysicalWidth() const { return physicalWidth_; }
    int PhysicalHeight() const { return physicalHeight_; }
    double Scale() const { return scale_; }
    // Sets the scale (0: chosen from the screen's size) and lays the forms out again.
    void SetScale(double scale);
    // The screen (the window) took a new physical size: the forms are laid out again.
    void ResizeScreen(int physicalWidth, int physicalHeight);
    // The logical pixel under a physical one, as drawing rounds them.
    Point ToLogical(Point physical) const;
    // Where a logical rectangle of the screen lands in physical pixels.
    Rect ToPhysical(Rect logical) const;
    bool Headless() const { return window_ == nullptr; }

    bool Fullscreen() const { return fullscreen_; }
    // Full screen, or a resizable window of the remembered size centred on the desktop.
    void SetFullscreen(bool fullscreen);
    int WindowWidth() const { return windowWidth_; }
    int WindowHeight() const { return windowHeight_; }
    // Called when the user switched between full screen and a window or resized the window.
    std::function<void()> OnDisplayChanged;
    // The window's icon (ignored headless).
    void SetIcon(const Bitmap& icon, Color transparent);

    // Every form registers here, so that a new screen size reaches the hidden ones too.
    void AddForm(Form& form);
    void ForgetForm(Form& form);

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

    // One event as the loop gets it from SDL: a key becomes its code for the top form unless it
    // switches the display, clicks and moves go to the control under the mouse. Public so that
    // tests feed it the events the system would.
    void Handle(const SDL_Event& event);
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
    void Present(const std::vector<Rect>& rects);
    void AddDirty(Rect physical);
    void BindScreen();
    void LayOut();
    void ApplyWindowMode();
    void TopChanged(Form* previous);
    Control* ControlAt(Point p, Point& local) const;

    std::string title_ = "Zorbel2";
    WindowPtr window_;
    int width_ = 0;
    int height_ = 0;
    int physicalWidth_ = 0;
    int physicalHeight_ = 0;
    int desktopWidth_ = 0;
    int desktopHeight_ = 0;
    double requestedScale_ = 1.0;
    double scale_ = 1.0;
    bool fullscreen_ = true;
    int windowWidth_ = 0;
    int windowHeight_ = 0;
    // The screen image is the window's own framebuffer when its format allows.
    bool direct_ = false;
    // The window system clears the window to black by itself, and nothing was presented yet.
    bool clearedBlack_ = false;
    bool firstPresent_ = true;
    // The window's own framebuffer, which the window owns.
    SDL_Surface* surface_ = nullptr;
    std::vector<Form*> allForms_;
    std::uint32_t wakeEvent_ = 0;
    bool terminated_ = false;
    bool cursorVisible_ = true;
    Form* mainForm_ = nullptr;
    std::vector<Form*> forms_;
    std::deque<std::function<void()>> posted_;
    Bitmap screen_;
    // Physical rectangles still to paint; overlapping ones are merged.
    std::vector<Rect> dirty_;
    int frames_ = 0;
    Control* capture_ = nullptr;
    MouseButton captureButton_ = MouseButton::Left;
    std::unique_ptr<Controllers> controllers_;
    std::string controllerMappings_;
    bool controllersWanted_ = false;
};

// Translates an SDL key code to the virtual-key code the game uses; vk::NoCode for keys that
// have none. Without Num Lock the keypad's digits and decimal key are the arrows, Home, End,
// PgUp, PgDn, Ins and Del.
int VirtualKeyFromSdl(int sdlKey, bool numLock);

} // namespace ui
