// TNetForm: the network match screen: host a death match and wait for the other computer, or
// type its address and join; once the two are connected, the game screen plays the match.
#pragma once

#include "net/Link.h"
#include "screens/Focus.h"
#include "screens/Screen.h"
#include "ui/Control.h"
#include "widgets/ShapeControl.h"
#include "widgets/Timer.h"

#include <cstdint>
#include <memory>
#include <string>

namespace net
{
class Transport;
}

class TNetForm final : public Screen
{
public:
    // The most characters the address box takes: a name is at most 253, a port 6 more.
    static constexpr std::size_t kMaxAddressLength = 262;

    TNetForm(ui::Platform& app, Navigator& navigator, Session& session);
    ~TNetForm() override;

    // The port a host listens on: the default unless the command line named another.
    void SetHostPort(std::uint16_t port) { hostPort_ = port; }
    const std::string& TypedAddress() const { return typedAddress_; }
    // Whether a host waits or a join is under way: something is listened on or sent to.
    bool Busy() const { return transport_ != nullptr; }

    // Listens for the other computer, showing where it can reach this one; or tells why not.
    void Host();
    // Connects to address as typed ("host" or "host:port"); or tells why not.
    void Join(const std::string& address);

    // Handlers.
    void FormShow() override;
    // The wait (or the connecting) stops, and nothing stays listened on.
    void FormHide() override;
    // Letters, digits, '.', ':', '-', '[' and ']' type the address; Up, Down and Tab move the
    // focus between Host and Join; Enter activates the focused item, or joins the address typed;
    // Esc stops a wait under way, or closes.
    void FormKeyDown(ui::Form& sender, int& key) override;
    void HostClick();
    void JoinClick();
    // The wait's poll: connected, the match starts; refused or unanswered, the message says so.
    void PollTimer();

    // Form data.
    ui::Panel Panel1;
    ui::Label Label1; // "Network Match"
    ui::Image Image1; // Host
    ui::Label Label2;
    ui::Image Image2; // Join
    ui::Label Label3;
    ui::Shape Shape1; // the address box
    ui::Label AddressLabel;
    ui::Label StatusLabel; // where the host waits, or what went wrong
    widgets::TzcTimer Timer1;

private:
    void ShowStatus(const std::string& text);
    void Stop();
    void ShowFocus(int item, bool focused);
    void Type(char c);

    std::uint16_t hostPort_ = net::kDefaultPort;
    std::string typedAddress_;
    std::unique_ptr<net::Transport> transport_;
    bool hosting_ = false;
    Focus focus_;
};
