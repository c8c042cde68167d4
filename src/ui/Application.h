// The application: the platform the screens run on, put together from its parts: the window and
// what it shows (Presentation), the message loop (EventLoop), the input (Input), and the stack of
// shown forms with the message box. main and the tests hold it; screens see only Platform.
#pragma once

#include "ui/Bitmap.h"
#include "ui/EventLoop.h"
#include "ui/Input.h"
#include "ui/Platform.h"
#include "ui/Presentation.h"
#include "ui/Types.h"

#include <functional>
#include <string>
#include <vector>

namespace ui
{

class Form;

class Application final : public Platform, private EventLoop::Client
{
public:
    using Options = DisplayOptions;

    explicit Application(Options options);
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;
    ~Application() override;

    // The pieces themselves, for what the platform's contract does not cover: the window's title,
    // icon, scale and physical size and the image shown; the keys, mouse and controllers fed in
    // as the loop delivers them; the loop's turns.
    Presentation& Display() { return display_; }
    const Presentation& Display() const { return display_; }
    Input& Devices() { return input_; }
    EventLoop& Loop() { return loop_; }

    // Platform.
    int ScreenWidth() const override { return display_.Width(); }
    int ScreenHeight() const override { return display_.Height(); }
    double Scale() const override { return display_.Scale(); }
    bool Fullscreen() const override { return display_.Fullscreen(); }
    int WindowWidth() const override { return display_.WindowWidth(); }
    int WindowHeight() const override { return display_.WindowHeight(); }
    void AddForm(Form& form) override;
    void ForgetForm(Form& form) override;
    Form* TopForm() const override;
    Form* MainForm() const override { return mainForm_; }
    bool IsShown(const Form& form) const override;
    void PushForm(Form& form) override;
    void RemoveForm(Form& form) override;
    void InvalidateFormRect(const Form& form, Rect r) override;
    bool Step(bool wait) override { return loop_.Step(wait); }
    void Terminate() override { loop_.Terminate(); }
    bool Terminated() const override { return loop_.Terminated(); }
    void SetCursorVisible(bool visible) override { display_.SetCursorVisible(visible); }
    bool CursorVisible() const override { return display_.CursorVisible(); }
    void SetScreenSaverAllowed(bool allowed) override { display_.SetScreenSaverAllowed(allowed); }
    bool ScreenSaverAllowed() const override { return display_.ScreenSaverAllowed(); }
    bool ShiftHeld() const override { return input_.ShiftHeld(); }
    bool KeyFromController() const override { return input_.KeyFromController(); }
    std::string ControllerName(int player) const override { return input_.ControllerName(player); }
    void Rumble(int player) const override { input_.Rumble(player); }
    void ShowMessage(const std::string& message) override;
    void HandleException(std::exception_ptr error) override;

    // Replaces the message box (tests record the messages instead).
    std::function<void(const std::string& message)> ErrorHandler;
    // Called when the user switched between full screen and a window or resized the window.
    std::function<void()> OnDisplayChanged;

    // Full screen or a window, as the toggle key switches it; OnDisplayChanged hears of it.
    void SetFullscreen(bool fullscreen);
    // Paints the dirty part of the top form into the screen image and presents it.
    void Render();

    // The loop: shows the main form and runs until it closes.
    void Run(Form& mainForm);
    // Queues work for the loop's next turn.
    void PostCall(std::function<void()> call) { loop_.Post(std::move(call)); }
    // Game controllers, opened once the first frame is on screen; mappingFile adds mappings when
    // present.
    void EnableControllers(std::string mappingFile)
    {
        input_.EnableControllers(std::move(mappingFile), display_.FramesPresented() > 0);
    }

private:
    // EventLoop::Client.
    void Paint() override { Render(); }
    int Poll() override { return input_.Poll(display_.FramesPresented() > 0); }
    void HandleEvent(const platform::Event& event) override;

    void LayOutForms();
    // The screen's part that changes when the form on top goes from `from` to `to`.
    void InvalidateBetween(const Form* from, const Form* to);
    void TopChanged(Form* previous);

    EventLoop loop_;
    Presentation display_;
    Input input_;
    std::vector<Form*> allForms_;
    std::vector<Form*> forms_;
    Form* mainForm_ = nullptr;
};

} // namespace ui
