// The network match screen and the game screen's network match, over real ENet on 127.0.0.1 with
// the other computer played by the test: where the host waits, the address typed, the messages
// for a port in use and an address that cannot be reached, Esc stopping the wait, and a match
// that starts on the game screen with both names, does not pause when the window loses the
// focus, and ends for both sides with Esc.
#include "GameScreenFixture.h"

#include "net/NetMatch.h"
#include "net/Transport.h"
#include "screens/NetworkScreen.h"
#include "settings/ReplayStore.h"

#include <chrono>
#include <thread>

namespace
{

using gametest::GameFixture;

class NetworkScreenTest : public GameFixture
{
protected:
    void SetUp() override
    {
        Create();
        network = std::make_unique<TNetForm>(app, navigator, *session);
        navigator.Join(*network);
    }
    // Runs step until done holds; false when it never does (a generous limit: only the outcome
    // counts on a busy machine).
    static bool Until(const std::function<bool()>& done, const std::function<void()>& step)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!done() && std::chrono::steady_clock::now() < deadline)
        {
            step();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return done();
    }

    std::unique_ptr<TNetForm> network;
};

TEST_F(NetworkScreenTest, TheAddressIsTypedAndEveryFailureIsToldWithoutAWait)
{
    network->Show();
    for (const int key :
         {int{'1'}, int{'2'}, int{'7'}, ui::vk::OemPeriod, int{'0'}, ui::vk::OemPeriod, int{'0'},
          ui::vk::OemPeriod, int{'1'}, ui::vk::OemSemicolon, int{'9'}, int{'9'}, int{'X'}})
        app.Devices().KeyDown(key);
    app.Devices().KeyDown(ui::vk::Back);
    EXPECT_EQ(network->TypedAddress(), "127.0.0.1:99") << "letters go in as lower case";
    EXPECT_EQ(network->AddressLabel.Caption(), "127.0.0.1:99");

    // A port another host holds.
    const std::unique_ptr<net::Transport> holder = net::Transport::Host(0);
    network->SetHostPort(holder->Port());
    network->Host();
    EXPECT_FALSE(network->Busy());
    EXPECT_EQ(network->StatusLabel.Caption(),
              "Port " + std::to_string(holder->Port()) + " is in use");
    // An address this build's network cannot reach is refused before anything is sent.
    network->Join("[::1]:42512");
    EXPECT_FALSE(network->Busy());
    EXPECT_NE(network->StatusLabel.Caption().find("IPv6"), std::string::npos)
        << network->StatusLabel.Caption();

    // Esc stops a wait and stays; a second Esc goes back.
    network->SetHostPort(0);
    network->Host();
    ASSERT_TRUE(network->Busy());
    app.Devices().KeyDown(ui::vk::Escape);
    EXPECT_FALSE(network->Busy()) << "nothing is listened on any more";
    EXPECT_TRUE(network->IsShown());
    app.Devices().KeyDown(ui::vk::Escape);
    EXPECT_FALSE(network->IsShown());
}

TEST_F(NetworkScreenTest, AJoinerStartsTheMatchThatFocusLossGoesOnWithAndEscEndsForBoth)
{
    session->UserName = "ANNA";
    network->SetHostPort(0);
    network->Show();
    // The host's Enter with Host focused: Down focuses Host first.
    app.Devices().KeyDown(ui::vk::Down);
    app.Devices().KeyDown(ui::vk::Return);
    ASSERT_TRUE(network->Busy()) << network->StatusLabel.Caption();
    const std::string& shown = network->StatusLabel.Caption();
    ASSERT_TRUE(shown.starts_with("Waiting for a player on ")) << shown;
    const std::string port = shown.substr(shown.rfind(':') + 1);

    // The other computer, played here.
    const std::unique_ptr<net::Transport> link =
        net::Transport::Join({"127.0.0.1", static_cast<std::uint16_t>(std::stoi(port))});
    ReplayStore store((config.Root() / "guest").string());
    const auto now = []
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    };
    std::optional<net::NetMatch> guest;
    ASSERT_TRUE(Until([&] { return game->IsShown(); },
                      [&]
                      {
                          link->Pump();
                          network->PollTimer();
                      }));
    EXPECT_FALSE(network->IsShown());
    guest.emplace(*link, store, net::NetSetup{net::Role::Guest, "BOB", 100}, now,
                  [] { return 1u; });
    const auto both = [&]
    {
        guest->Update();
        game->Timer1Timer(game->Timer1);
    };
    ASSERT_TRUE(Until([&] { return game->Label2.Caption() == "BOB"; }, both));
    EXPECT_EQ(game->Label1.Caption(), "ANNA");
    ASSERT_TRUE(Until([&] { return guest->Model().GamePhase() == engine::Phase::Playing; }, both));
    EXPECT_EQ(guest->Names()[0], "ANNA");

    // Switching away would stop the other player's game as well: both go on.
    game->FormDeactivate();
    const std::uint32_t steps = guest->Model().Steps();
    EXPECT_TRUE(Until([&] { return guest->Model().Steps() >= steps + 5; }, both));
    ASSERT_NE(game->Network(), nullptr);
    EXPECT_FALSE(game->Network()->Paused());
    EXPECT_FALSE(game->PauseLabel.Visible());

    ASSERT_NE(guest->State(), net::NetState::Ended) << guest->EndMessage();
    app.Devices().KeyDown(ui::vk::Escape);
    EXPECT_FALSE(game->IsShown());
    EXPECT_EQ(game->Network(), nullptr);
    ASSERT_TRUE(
        Until([&] { return guest->State() == net::NetState::Ended; }, [&] { guest->Update(); }));
    EXPECT_EQ(guest->EndMessage(), net::kOtherLeftText);

    // A death match here afterwards keeps the caption it had before: no single game yet.
    navigator.StartDeathMatch();
    EXPECT_EQ(game->Label1.Caption(), "Player 1");
}

} // namespace
