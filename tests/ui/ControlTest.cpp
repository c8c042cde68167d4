// The platform layer headless: painting order and clipping, forms on a stack, mouse capture and
// clicks, key routing, painting only when something changed.
#include "ui/Control.h"
#include "platform/Dispatch.h"
#include "support/PostKey.h"
#include "ui/Application.h"
#include "ui/Form.h"
#include "ui/MessageDialog.h"

#include <SDL.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace
{

class PlatformTest : public ::testing::Test
{
protected:
    ui::Application app{ui::Application::Options{.headless = true, .width = 800, .height = 600}};
};

TEST_F(PlatformTest, ChildrenPaintInCreationOrderClippedToTheirParent)
{
    ui::Form form(app);
    ui::Panel outer(&form);
    outer.SetBounds(100, 100, 50, 50);
    outer.SetColor(ui::clBlue);
    ui::Panel first(&outer);
    first.SetBounds(10, 10, 100, 20); // reaches past the parent's right edge
    first.SetColor(ui::clRed);
    ui::Panel second(&outer);
    second.SetBounds(20, 15, 10, 10);
    second.SetColor(ui::clLime);
    form.Show();
    app.Render();

    const ui::Bitmap& s = app.Display().Screen();
    EXPECT_EQ(s.Pixel(99, 99), ui::clBlack);
    EXPECT_EQ(s.Pixel(100, 100), ui::clBlue);
    EXPECT_EQ(s.Pixel(111, 111), ui::clRed);
    EXPECT_EQ(s.Pixel(121, 116), ui::clLime); // the later sibling lies above
    EXPECT_EQ(s.Pixel(149, 111), ui::clRed);
    EXPECT_EQ(s.Pixel(150, 111), ui::clBlack); // clipped at the parent
}

TEST_F(PlatformTest, PanelCentredWithTruncatingDivision)
{
    ui::Form form(app);
    ui::Panel panel(&form);
    panel.SetBounds(0, 0, 545, 297);
    form.CenterPanel(panel);
    EXPECT_EQ(panel.Left(), (800 - 545) / 2);
    EXPECT_EQ(panel.Top(), (600 - 297) / 2);
}

TEST_F(PlatformTest, ScaleIsChosenForTheScreenAndANewSizeLaysTheFormsOutAgain)
{
    EXPECT_EQ(ui::Presentation::ChooseScale(800, 600), 1.0);
    EXPECT_EQ(ui::Presentation::ChooseScale(1280, 1024), 1.5);
    EXPECT_EQ(ui::Presentation::ChooseScale(1920, 1080), 1.75);
    EXPECT_EQ(ui::Presentation::ChooseScale(3840, 2160), 3.5);

    ui::Form form(app);
    ui::Panel panel(&form);
    panel.SetBounds(0, 0, 545, 297);
    form.CenterPanel(panel);
    app.Display().SetScale(0);
    app.Display().ResizeScreen(1920, 1080);
    EXPECT_EQ(app.Scale(), 1.75);
    EXPECT_EQ(app.ScreenWidth(), 1098) << "the physical width divided, rounded up";
    EXPECT_EQ(panel.Left(), (1098 - 545) / 2);
    EXPECT_EQ(panel.Top(), (618 - 297) / 2);
    // A physical pixel belongs to the logical pixel whose scaled square holds it.
    const ui::Rect p = app.Display().ToPhysical(ui::Bounds(panel.Left(), panel.Top(), 20, 10));
    EXPECT_EQ(app.Display().ToLogical({p.left, p.top}), (ui::Point{panel.Left(), panel.Top()}));
    EXPECT_EQ(app.Display().ToLogical({p.left - 1, p.bottom}),
              (ui::Point{panel.Left() - 1, panel.Top() + 10}));
}

TEST_F(PlatformTest, OnlyTheTopFormIsDrawnAndHidingRevealsTheOneBeneath)
{
    ui::Form menu(app);
    menu.SetColor(ui::clNavy);
    ui::Form game(app);
    game.SetColor(ui::clMaroon);
    std::vector<std::string> events;
    menu.OnShow = [&](ui::Form&)
    {
        events.push_back("menu shown");
    };
    game.OnShow = [&](ui::Form&)
    {
        events.push_back("game shown");
    };
    game.OnHide = [&](ui::Form&)
    {
        events.push_back("game hidden");
    };

    menu.Show();
    game.Show();
    game.Show(); // already shown: no second OnShow
    app.Render();
    EXPECT_EQ(app.Display().Screen().Pixel(5, 5), ui::clMaroon);
    EXPECT_EQ(app.TopForm(), &game);

    game.Hide();
    game.Hide();
    app.Render();
    EXPECT_EQ(app.Display().Screen().Pixel(5, 5), ui::clNavy);
    EXPECT_EQ(events, (std::vector<std::string>{"menu shown", "game shown", "game hidden"}));
}

TEST_F(PlatformTest, SwitchingFormsOfOneColourRepaintsWhatEitherShowsThere)
{
    // A menu whose black panel holds a red ball, and a screen with a blue box elsewhere: only
    // their places are repainted between them, and each picture comes back whole.
    ui::Form menu(app);
    ui::Panel panel(&menu);
    panel.SetBounds(100, 100, 200, 100);
    ui::Panel ball(&panel);
    ball.SetBounds(10, 10, 20, 20);
    ball.SetColor(ui::clRed);
    ui::Form login(app);
    ui::Panel box(&login);
    box.SetBounds(400, 300, 100, 50);
    box.SetColor(ui::clBlue);
    const ui::Bitmap& s = app.Display().Screen();

    menu.Show();
    app.Render();
    EXPECT_EQ(s.Pixel(115, 115), ui::clRed);
    login.Show();
    app.Render();
    EXPECT_EQ(s.Pixel(115, 115), ui::clBlack);
    EXPECT_EQ(s.Pixel(450, 320), ui::clBlue);
    login.Hide();
    app.Render();
    EXPECT_EQ(s.Pixel(115, 115), ui::clRed);
    EXPECT_EQ(s.Pixel(450, 320), ui::clBlack);
}

TEST_F(PlatformTest, NothingIsPaintedWhenNothingChanged)
{
    ui::Form form(app);
    ui::Label label(&form);
    label.SetCaption("Score");
    form.Show();
    app.Render();
    const int frames = app.Display().FramesPresented();
    app.Render();
    app.Loop().ProcessMessages();
    EXPECT_EQ(app.Display().FramesPresented(), frames);
    label.SetCaption("Score!");
    app.Render();
    EXPECT_EQ(app.Display().FramesPresented(), frames + 1);
}

// Calls queued on the loop's own thread and calls a worker hands over share one queue: they run
// in the order they were queued, whoever queued them.
TEST_F(PlatformTest, CallsFromTheLoopAndFromWorkersRunInTheirOrder)
{
    std::string trace;
    app.PostCall([&] { trace += 'a'; });
    std::thread([&] { platform::Post([&] { trace += 'b'; }); }).join();
    testsupport::PostKey(app, 'C');
    ui::Form form(app);
    form.OnKeyDown = [&](ui::Form&, int& key)
    {
        trace += static_cast<char>(key);
    };
    form.Show();
    app.Loop().ProcessMessages();
    EXPECT_EQ(trace, "abC");
}

TEST_F(PlatformTest, ReleaseOverThePressedControlClicksBeforeTheReleaseEvent)
{
    ui::Form form(app);
    ui::Image image(&form);
    image.SetBounds(10, 10, 28, 27);
    std::vector<std::string> events;
    image.OnMouseDown = [&](ui::Control&, ui::MouseButton, int x, int y)
    {
        events.push_back("down " + std::to_string(x) + "," + std::to_string(y));
    };
    image.OnClick = [&](ui::Control&)
    {
        events.push_back("click");
    };
    image.OnMouseUp = [&](ui::Control&, ui::MouseButton, int, int)
    {
        events.push_back("up");
    };
    form.Show();

    app.Devices().MouseDown(ui::MouseButton::Left, 15, 12);
    app.Devices().MouseUp(ui::MouseButton::Left, 20, 20);
    EXPECT_EQ(events, (std::vector<std::string>{"down 5,2", "click", "up"}));

    events.clear();
    app.Devices().MouseDown(ui::MouseButton::Left, 15, 12);
    app.Devices().MouseUp(ui::MouseButton::Left, 300,
                          300); // released elsewhere: still told, no click
    EXPECT_EQ(events, (std::vector<std::string>{"down 5,2", "up"}));

    events.clear();
    app.Devices().MouseDown(ui::MouseButton::Right, 15, 12);
    app.Devices().MouseUp(ui::MouseButton::Right, 15, 12); // only the left button clicks
    EXPECT_EQ(events, (std::vector<std::string>{"down 5,2", "up"}));

    // A second button pressed and released meanwhile does not take the capture: the first
    // button's release still reaches the pressed control and clicks.
    ui::Image other(&form);
    other.SetBounds(100, 10, 28, 27);
    other.OnMouseDown = [&](ui::Control&, ui::MouseButton, int, int)
    {
        events.push_back("other down");
    };
    events.clear();
    app.Devices().MouseDown(ui::MouseButton::Left, 15, 12);
    app.Devices().MouseDown(ui::MouseButton::Right, 105, 12);
    app.Devices().MouseUp(ui::MouseButton::Right, 105, 12);
    app.Devices().MouseUp(ui::MouseButton::Left, 15, 12);
    EXPECT_EQ(events, (std::vector<std::string>{"down 5,2", "click", "up"}));
}

TEST_F(PlatformTest, TheTopmostVisibleControlGetsTheMouse)
{
    ui::Form form(app);
    ui::Panel below(&form);
    below.SetBounds(0, 0, 100, 100);
    ui::Panel above(&form);
    above.SetBounds(50, 50, 100, 100);
    int belowClicks = 0;
    int aboveClicks = 0;
    below.OnClick = [&](ui::Control&)
    {
        ++belowClicks;
    };
    above.OnClick = [&](ui::Control&)
    {
        ++aboveClicks;
    };
    form.Show();

    app.Devices().MouseDown(ui::MouseButton::Left, 60, 60);
    app.Devices().MouseUp(ui::MouseButton::Left, 60, 60);
    above.SetVisible(false);
    app.Devices().MouseDown(ui::MouseButton::Left, 60, 60);
    app.Devices().MouseUp(ui::MouseButton::Left, 60, 60);
    EXPECT_EQ(aboveClicks, 1);
    EXPECT_EQ(belowClicks, 1);
}

TEST_F(PlatformTest, KeysGoToTheTopFormAndItsCharacterNotToTheFormBeneath)
{
    ui::Form menu(app);
    ui::Form game(app);
    std::vector<std::string> events;
    menu.OnKeyPress = [&](ui::Form&, char& c)
    {
        events.push_back("menu char " + std::to_string(c));
    };
    game.OnKeyDown = [&](ui::Form& f, int& key)
    {
        events.push_back("game key " + std::to_string(key));
        if (key == ui::vk::Escape)
            f.Hide();
    };
    menu.Show();
    game.Show();

    app.Devices().KeyDown(ui::vk::Escape); // closes the game; the menu must not see the Escape
    app.Devices().KeyDown(ui::vk::Return);
    EXPECT_EQ(events, (std::vector<std::string>{"game key 27", "menu char 13"}));
}

TEST_F(PlatformTest, AnExceptionInAHandlerIsReportedAndTheProgramGoesOn)
{
    ui::Form form(app);
    std::vector<std::string> messages;
    app.ErrorHandler = [&](const std::string& m)
    {
        messages.push_back(m);
    };
    int after = 0;
    form.OnKeyDown = [&](ui::Form&, int& key)
    {
        if (key == ui::vk::Space)
            throw std::runtime_error("Unable to write to Zorbel2.ini");
        ++after;
    };
    form.Show();
    app.Devices().KeyDown(ui::vk::Space);
    app.Devices().KeyDown(ui::vk::Return);
    EXPECT_EQ(messages, std::vector<std::string>{"Unable to write to Zorbel2.ini"});
    EXPECT_EQ(after, 1);
}

TEST_F(PlatformTest, ShowModalReturnsWhenTheFormIsHidden)
{
    ui::Form menu(app);
    ui::Form dialog(app);
    dialog.OnKeyDown = [](ui::Form& f, int& key)
    {
        if (key == ui::vk::Return)
            f.Close();
    };
    menu.Show();
    testsupport::PostKey(app, ui::vk::Space);
    testsupport::PostKey(app, ui::vk::Return);
    dialog.ShowModal();
    EXPECT_FALSE(dialog.IsShown());
    EXPECT_EQ(app.TopForm(), &menu);
}

TEST_F(PlatformTest, PaintBoxKeepsWhatWasDrawnOnIt)
{
    ui::Form form(app);
    ui::PaintBox box(&form);
    box.SetBounds(10, 10, 30, 30);
    ui::Panel cover(&form);
    cover.SetBounds(0, 0, 60, 60);
    cover.SetColor(ui::clRed);
    form.Show();
    box.Canvas().FillRect({0, 0, 14, 14}, ui::clGreen);
    box.InvalidateRect({0, 0, 14, 14});
    cover.SetVisible(false); // uncovering shows the drawing again without drawing it anew
    app.Render();
    EXPECT_EQ(app.Display().Screen().Pixel(10, 10), ui::clGreen);
    EXPECT_EQ(app.Display().Screen().Pixel(23, 23), ui::clGreen);
    EXPECT_EQ(app.Display().Screen().Pixel(24, 24), ui::clBlack);
}

// The message box: drawn over the screen beneath, which stays as painted and gets no input, and
// closed by its keys or its OK ball.
TEST_F(PlatformTest, MessageDialogCoversTheScreenAndClosesByKeysOrOk)
{
    ui::Form menu(app);
    menu.SetColor(ui::clNavy);
    std::vector<int> menuKeys;
    menu.OnKeyDown = [&](ui::Form&, int& key)
    {
        menuKeys.push_back(key);
    };
    menu.Show();
    app.Render();

    ui::MessageDialog box(app, "Cannot open file \"" + std::string(300, 'x') + "\"\nsecond");
    ASSERT_GE(box.Lines().size(), 3u) << "the long word is broken to fit";
    EXPECT_EQ(box.Lines().back(), "second");
    const ui::Rect r = box.Box().BoundsRect();
    EXPECT_EQ(r.left + r.Width() / 2, 400);
    const ui::Point ok = box.OkButton().ToForm({5, 5});
    app.PostCall(
        [&]
        {
            app.Render();
            EXPECT_EQ(app.Display().Screen().Pixel(r.left, r.top + 20),
                      ui::MessageDialog::kOutline);
            EXPECT_EQ(app.Display().Screen().Pixel(r.left + 3, r.top + 3), ui::clBlack);
            EXPECT_EQ(app.Display().Screen().Pixel(r.left - 1, r.top), ui::clNavy);
            app.Devices().KeyDown('A');
            app.Devices().MouseDown(ui::MouseButton::Left, ok.x, ok.y);
            EXPECT_EQ(box.OkButton().ToForm({0, 0}).x, ok.x - 5 + 3) << "the ball sinks";
        });
    app.PostCall([&] { app.Devices().MouseUp(ui::MouseButton::Left, ok.x, ok.y); });
    box.Run();
    EXPECT_FALSE(box.IsShown());
    for (const int key : {ui::vk::Return, ui::vk::Escape, ui::vk::Space})
    {
        ui::MessageDialog next(app, "Unable to write to Zorbel2.ini");
        testsupport::PostKey(app, key);
        next.Run();
        EXPECT_FALSE(next.IsShown());
    }
    app.Devices().KeyDown('B');
    EXPECT_EQ(menuKeys, std::vector<int>{'B'});
}

} // namespace
