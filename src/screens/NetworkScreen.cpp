// TNetForm: the network match screen: hosting, joining, the wait and its messages.
#include "screens/NetworkScreen.h"

#include "net/Transport.h"
#include "screens/FormData.h"
#include "screens/ScreenButton.h"
#include "ui/Platform.h"

namespace
{

// The wait polls ENet this often: a connection is noticed within a frame or two.
constexpr int kPollMs = 15;

// The character a key types into the address, or 0. Addresses are written in lower case; the
// colon is the semicolon key, shifted or not, since no address holds a semicolon.
char AddressCharacter(int key)
{
    if (key >= 'A' && key <= 'Z')
        return static_cast<char>(key - 'A' + 'a');
    if (key >= '0' && key <= '9')
        return static_cast<char>(key);
    switch (key)
    {
    case ui::vk::OemPeriod:
    case ui::vk::Decimal:
        return '.';
    case ui::vk::OemSemicolon:
        return ':';
    case ui::vk::OemMinus:
        return '-';
    case ui::vk::OemLeftBracket:
        return '[';
    case ui::vk::OemRightBracket:
        return ']';
    default:
        return 0;
    }
}

} // namespace

TNetForm::TNetForm(ui::Platform& app, Navigator& navigator, Session& session)
    : Screen(app, navigator, session), Panel1(this), Label1(&Panel1), Image1(&Panel1),
      Label2(&Panel1), Image2(&Panel1), Label3(&Panel1), Shape1(&Panel1), AddressLabel(&Panel1),
      StatusLabel(&Panel1), focus_(2, [this](int item, bool focused) { ShowFocus(item, focused); })
{
    const form::Text item{19, ui::clWhite};
    const form::Item formData[] = {
        form::Panel(Panel1, ui::Bounds(0, 0, 417, 297)),
        form::Label(Label1, 40, 16, "Network Match", {32, ui::clYellow, true}),
        form::Button(Image1, 40, 80, Bind(this, &TNetForm::HostClick)),
        form::Label(Label2, 80, 80, "Host", item),
        form::Button(Image2, 40, 128, Bind(this, &TNetForm::JoinClick)),
        form::Label(Label3, 80, 128, "Join", item),
        form::Box(Shape1, ui::Bounds(144, 124, 233, 33), ui::clRed, true),
        form::Label(AddressLabel, 152, 127, "", item).Size(217, 26).EndInView(),
        form::Label(StatusLabel, 40, 176, "", {16, ui::clLime}).Size(337, 105).Wrap().Hidden(),
    };
    form::Build(formData);
    Image1.OnMouseMove = [this](ui::Control&, int, int)
    {
        focus_.Point(0);
    };
    Image2.OnMouseMove = [this](ui::Control&, int, int)
    {
        focus_.Point(1);
    };
    AddressLabel.SetCaret(true);

    Timer1.SetEnabled(false);
    Timer1.SetInterval(kPollMs);
    Timer1.SetOnTimer([this](widgets::TzcTimer&) { PollTimer(); });
    SetupPanel(Panel1);
}

TNetForm::~TNetForm() = default;

void TNetForm::FormShow()
{
    // The address typed last stays: joining the same friend again is the common case.
    AddressLabel.SetCaption(typedAddress_);
    StatusLabel.SetVisible(false);
    focus_.Clear();
}

void TNetForm::FormHide()
{
    Stop();
}

void TNetForm::Stop()
{
    Timer1.SetEnabled(false);
    transport_.reset();
    hosting_ = false;
}

void TNetForm::ShowStatus(const std::string& text)
{
    StatusLabel.SetCaption(text);
    StatusLabel.SetVisible(true);
}

void TNetForm::ShowFocus(int item, bool focused)
{
    ui::Label& caption = item == 0 ? Label2 : Label3;
    ui::Image& ball = item == 0 ? Image1 : Image2;
    caption.SetFontColor(focused ? ui::clYellow : ui::clWhite);
    if (focused)
        ScreenButtonDown(ball);
    else
        ScreenButtonUp(ball);
}

void TNetForm::Type(char c)
{
    if (typedAddress_.size() >= kMaxAddressLength)
        return;
    typedAddress_ += c;
    AddressLabel.SetCaption(typedAddress_);
}

void TNetForm::FormKeyDown(ui::Form&, int& key)
{
    if (const int step = FocusStep(key, App().ShiftHeld()); step != 0)
    {
        focus_.Move(step);
        return;
    }
    if (const char c = AddressCharacter(key); c != 0)
    {
        Type(c);
        return;
    }
    switch (key)
    {
    case ui::vk::Back:
        if (!typedAddress_.empty())
        {
            typedAddress_.pop_back();
            AddressLabel.SetCaption(typedAddress_);
        }
        break;
    case ui::vk::Return:
        if (focus_.Item() == 0)
            HostClick();
        else
            JoinClick();
        break;
    case ui::vk::Escape:
        if (Busy())
        {
            Stop();
            StatusLabel.SetVisible(false);
        }
        else
            Close();
        break;
    default:
        break;
    }
}

void TNetForm::HostClick()
{
    session_.Pop.Play();
    focus_.Point(0);
    Host();
}

void TNetForm::JoinClick()
{
    session_.Pop.Play();
    focus_.Point(1);
    Join(typedAddress_);
}

void TNetForm::Host()
{
    Stop();
    try
    {
        transport_ = net::Transport::Host(hostPort_);
    }
    catch (const net::Error& e)
    {
        ShowStatus(e.what());
        return;
    }
    hosting_ = true;
    // The caption wraps between the addresses when there are more than a line holds.
    std::string where = "Waiting for a player on";
    const char* separator = " ";
    for (const std::string& address : net::LocalAddresses())
    {
        where += separator + net::Endpoint{address, transport_->Port()}.Text();
        separator = ", ";
    }
    ShowStatus(where);
    Timer1.SetEnabled(true);
}

void TNetForm::Join(const std::string& address)
{
    Stop();
    try
    {
        const net::Endpoint endpoint = net::ParseEndpoint(address);
        transport_ = net::Transport::Join(endpoint);
        ShowStatus("Connecting to " + endpoint.Text() + "\u2026");
    }
    catch (const net::Error& e)
    {
        transport_.reset();
        ShowStatus(e.what());
        return;
    }
    Timer1.SetEnabled(true);
}

void TNetForm::PollTimer()
{
    if (transport_ == nullptr)
        return;
    transport_->Pump();
    switch (transport_->State())
    {
    case net::TransportState::Connected:
    {
        const bool hosting = hosting_;
        std::unique_ptr<net::Link> link = std::move(transport_);
        Stop();
        Close();
        navigator_.StartNetworkMatch(std::move(link), hosting);
        break;
    }
    case net::TransportState::Closed:
    {
        const std::string why = transport_->WhyText();
        Stop();
        ShowStatus(why);
        break;
    }
    default:
        break;
    }
}
