// Keys, mouse and controllers as the screens know them.
#include "ui/Input.h"

#include "ui/Form.h"
#include "ui/Platform.h"
#include "ui/Presentation.h"

#include <SDL.h>

namespace ui
{

namespace
{

// Holds a flag for the delivery of one key, whatever the handlers throw.
class HeldFor
{
public:
    HeldFor(bool& flag, bool value) : flag_(flag), old_(flag) { flag_ = value; }
    ~HeldFor() { flag_ = old_; }
    HeldFor(const HeldFor&) = delete;
    HeldFor& operator=(const HeldFor&) = delete;

private:
    bool& flag_;
    bool old_;
};

} // namespace

Input::Input(Platform& platform, const Presentation& presentation)
    : platform_(platform), presentation_(presentation)
{
}

Input::~Input() = default;

bool Input::Handle(const platform::Event& event)
{
    using Kind = platform::Event::Kind;
    if (controllers_ != nullptr && controllers_->Handle(event))
        return true;
    switch (event.kind)
    {
    case Kind::KeyDown:
    {
        const int key = VirtualKeyFromSdl(event.key, event.numLock);
        const bool altEnter = (event.key == SDLK_RETURN || event.key == SDLK_KP_ENTER) && event.alt;
        // The toggle's keys are also keys a player can bind: the form on top says when it
        // needs them.
        const Form* top = platform_.TopForm();
        if ((event.key == SDLK_F11 || altEnter) && (top == nullptr || !top->ClaimsKey(key)))
        {
            if (!event.repeat && OnToggleDisplay)
                OnToggleDisplay();
            return true;
        }
        const HeldFor shift(shift_, event.shift);
        KeyDown(key);
        return true;
    }
    case Kind::MouseDown:
    case Kind::MouseUp:
    {
        MouseButton button = MouseButton::Left;
        if (event.button == platform::Event::Button::Right)
            button = MouseButton::Right;
        else if (event.button == platform::Event::Button::Middle)
            button = MouseButton::Middle;
        const Point p = presentation_.FromOutput(event.x, event.y);
        if (event.kind == Kind::MouseDown)
            MouseDown(button, p.x, p.y);
        else
            MouseUp(button, p.x, p.y);
        return true;
    }
    case Kind::MouseMove:
    {
        const Point p = presentation_.FromOutput(event.x, event.y);
        MouseMove(p.x, p.y);
        return true;
    }
    default:
        return false;
    }
}

void Input::KeyDown(int key)
{
    Form* form = platform_.TopForm();
    if (form == nullptr)
        return;
    int k = key;
    platform_.Guard(
        [&]
        {
            if (form->OnKeyDown)
                form->OnKeyDown(*form, k);
        });
    // The character goes to the form that had the key, and only while it is still shown:
    // Esc that closes a screen must not reach the menu beneath it.
    char c = 0;
    if (key == vk::Back || key == vk::Tab || key == vk::Return || key == vk::Escape ||
        key == vk::Space)
        c = static_cast<char>(key);
    else if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
        c = static_cast<char>(key);
    if (c != 0 && form->IsShown() && form->OnKeyPress)
        platform_.Guard([&] { form->OnKeyPress(*form, c); });
}

void Input::Deactivate()
{
    if (Form* form = platform_.TopForm(); form != nullptr && form->OnDeactivate)
        platform_.Guard([&] { form->OnDeactivate(*form); });
}

Control* Input::ControlAt(Point p, Point& local) const
{
    Form* form = platform_.TopForm();
    if (form == nullptr)
        return nullptr;
    Control* found = form;
    Point origin{0, 0};
    for (;;)
    {
        Control* next = nullptr;
        const auto& children = found->Children();
        for (auto it = children.rbegin(); it != children.rend(); ++it)
        {
            Control* c = *it;
            if (!c->Visible())
                continue;
            const Point q{p.x - origin.x - c->Left(), p.y - origin.y - c->Top()};
            if (c->ClientRect().Contains(q) && c->HitTest(q))
            {
                next = c;
                break;
            }
        }
        if (next == nullptr)
            break;
        origin.x += next->Left();
        origin.y += next->Top();
        found = next;
    }
    local = {p.x - origin.x, p.y - origin.y};
    return found;
}

void Input::MouseDown(MouseButton button, int x, int y)
{
    // The first pressed control keeps the mouse until its own button is released: another
    // button pressed meanwhile must not take the release away from it.
    if (capture_ != nullptr)
        return;
    Point local;
    Control* c = ControlAt({x, y}, local);
    if (c == nullptr)
        return;
    capture_ = c;
    captureButton_ = button;
    if (c->OnMouseDown)
        platform_.Guard([&] { c->OnMouseDown(*c, button, local.x, local.y); });
}

void Input::MouseUp(MouseButton button, int x, int y)
{
    Control* c = capture_;
    if (c == nullptr || button != captureButton_)
        return;
    capture_ = nullptr;
    const Point origin = c->ToForm({0, 0});
    const Point local{x - origin.x, y - origin.y};
    // As on Windows: a left release over the pressed control is a click, and the click comes
    // before the release event.
    if (button == MouseButton::Left && c->ClientRect().Contains(local) && c->Showing() &&
        c->OnClick)
        platform_.Guard([&] { c->OnClick(*c); });
    if (c->OnMouseUp)
        platform_.Guard([&] { c->OnMouseUp(*c, button, local.x, local.y); });
}

void Input::MouseMove(int x, int y)
{
    Point local;
    Control* c = capture_;
    if (c != nullptr)
    {
        const Point origin = c->ToForm({0, 0});
        local = {x - origin.x, y - origin.y};
    }
    else
    {
        c = ControlAt({x, y}, local);
    }
    if (c != nullptr && c->OnMouseMove)
        platform_.Guard([&] { c->OnMouseMove(*c, local.x, local.y); });
}

void Input::ControllerKey(int key, bool shift)
{
    const HeldFor held(shift_, shift);
    const HeldFor controller(fromController_, true);
    KeyDown(key);
}

void Input::PlayerTurn(int player, Turn turn)
{
    const HeldFor controller(fromController_, true);
    Form* form = platform_.TopForm();
    if (form == nullptr)
        return;
    if (form->OnPlayerTurn)
    {
        platform_.Guard([&] { form->OnPlayerTurn(*form, player, turn); });
        return;
    }
    constexpr int kArrows[] = {vk::Left, vk::Right, vk::Up, vk::Down};
    KeyDown(kArrows[static_cast<int>(turn)]);
}

void Input::EnableControllers(std::string mappingFile, bool frameShown)
{
    controllerMappings_ = std::move(mappingFile);
    controllersWanted_ = !frameShown;
    if (controllersWanted_ || controllers_ != nullptr)
        return;
    auto controllers = std::make_unique<Controllers>(Controllers::Sink{
        .turn = [this](int player, Turn turn) { PlayerTurn(player, turn); },
        .key = [this](int key, bool shift) { ControllerKey(key, shift); },
        .changed =
            [this]
        {
            if (Form* form = platform_.TopForm(); form != nullptr && form->OnControllersChanged)
                platform_.Guard([&] { form->OnControllersChanged(*form); });
        }});
    // A system without joysticks (no /dev/input access) plays on without a word.
    if (controllers->Open(controllerMappings_))
        controllers_ = std::move(controllers);
}

int Input::Poll(bool frameShown)
{
    if (controllersWanted_ && frameShown)
        EnableControllers(controllerMappings_, true);
    if (controllers_ == nullptr)
        return -1;
    controllers_->Update();
    return controllers_->PollInterval();
}

void Input::CloseControllers()
{
    controllers_.reset();
    controllersWanted_ = false;
}

std::string Input::ControllerName(int player) const
{
    return controllers_ != nullptr ? controllers_->Name(player) : std::string();
}

void Input::Rumble(int player) const
{
    if (controllers_ != nullptr)
        controllers_->Rumble(player);
}

int VirtualKeyFromSdl(int sdlKey, bool numLock)
{
    // SDL reports the keypad's keys as keypad keys whatever Num Lock says; the system's meaning
    // of them without it is the navigation keys printed beneath the digits.
    if (!numLock)
    {
        switch (sdlKey)
        {
        case SDLK_KP_8:
            return vk::Up;
        case SDLK_KP_4:
            return vk::Left;
        case SDLK_KP_6:
            return vk::Right;
        case SDLK_KP_2:
            return vk::Down;
        case SDLK_KP_7:
            return vk::Home;
        case SDLK_KP_1:
            return vk::End;
        case SDLK_KP_9:
            return vk::Prior;
        case SDLK_KP_3:
            return vk::Next;
        case SDLK_KP_0:
            return vk::Insert;
        case SDLK_KP_PERIOD:
            return vk::Delete;
        default:
            break;
        }
    }
    if (sdlKey >= SDLK_a && sdlKey <= SDLK_z)
        return 'A' + (sdlKey - SDLK_a);
    if (sdlKey >= SDLK_0 && sdlKey <= SDLK_9)
        return '0' + (sdlKey - SDLK_0);
    if (sdlKey >= SDLK_F1 && sdlKey <= SDLK_F12)
        return vk::F1 + (sdlKey - SDLK_F1);
    if (sdlKey >= SDLK_KP_1 && sdlKey <= SDLK_KP_9)
        return vk::Numpad0 + 1 + (sdlKey - SDLK_KP_1);
    switch (sdlKey)
    {
    case SDLK_BACKSPACE:
        return vk::Back;
    case SDLK_TAB:
        return vk::Tab;
    case SDLK_RETURN:
        return vk::Return;
    case SDLK_KP_ENTER:
        return vk::Return;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
        return vk::Shift;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
        return vk::Control;
    case SDLK_LALT:
    case SDLK_RALT:
        return vk::Menu;
    case SDLK_PAUSE:
        return vk::Pause;
    case SDLK_ESCAPE:
        return vk::Escape;
    case SDLK_SPACE:
        return vk::Space;
    case SDLK_PAGEUP:
        return vk::Prior;
    case SDLK_PAGEDOWN:
        return vk::Next;
    case SDLK_END:
        return vk::End;
    case SDLK_HOME:
        return vk::Home;
    case SDLK_LEFT:
        return vk::Left;
    case SDLK_UP:
        return vk::Up;
    case SDLK_RIGHT:
        return vk::Right;
    case SDLK_DOWN:
        return vk::Down;
    case SDLK_INSERT:
        return vk::Insert;
    case SDLK_DELETE:
        return vk::Delete;
    case SDLK_BACKQUOTE:
        return vk::Oem3;
    case SDLK_KP_0:
        return vk::Numpad0;
    case SDLK_KP_MULTIPLY:
        return 106;
    case SDLK_KP_PLUS:
        return 107;
    case SDLK_KP_MINUS:
        return 109;
    case SDLK_KP_PERIOD:
        return vk::Decimal;
    case SDLK_KP_DIVIDE:
        return 111;
    case SDLK_CAPSLOCK:
        return 20;
    case SDLK_NUMLOCKCLEAR:
        return 144;
    case SDLK_SCROLLLOCK:
        return 145;
    case SDLK_PRINTSCREEN:
        return 44;
    case SDLK_SEMICOLON:
        return vk::OemSemicolon;
    case SDLK_EQUALS:
        return 187;
    case SDLK_COMMA:
        return 188;
    case SDLK_MINUS:
        return vk::OemMinus;
    case SDLK_PERIOD:
        return vk::OemPeriod;
    case SDLK_SLASH:
        return 191;
    case SDLK_LEFTBRACKET:
        return vk::OemLeftBracket;
    case SDLK_BACKSLASH:
        return 220;
    case SDLK_RIGHTBRACKET:
        return vk::OemRightBracket;
    case SDLK_QUOTE:
        return 222;
    case SDLK_LGUI:
        return 91;
    case SDLK_RGUI:
        return 92;
    case SDLK_APPLICATION:
        return 93;
    default:
        if (sdlKey >= SDLK_F13 && sdlKey <= SDLK_F24)
            return vk::F1 + 12 + (sdlKey - SDLK_F13);
        // Keys Windows has no code for still reach the screens (the controls screen names
        // them "None"), rather than vanishing.
        return vk::NoCode;
    }
}

} // namespace ui
