// TGameForm's form data: the game screen's controls with their stored places, captions, fonts and
// pictures, and its timer's and sounds' stored properties, kept apart from the screen's code.
#include "screens/GameScreen.h"

#include "assets/Assets.h"
#include "screens/FormData.h"

void TGameForm::BuildLayout()
{
    const form::Text name{19, ui::clWhite};
    const form::Text caption{13, ui::clYellow};
    const form::Text figure{13, ui::clWhite};
    const form::Item formData[] = {
        form::Panel(Panel1, ui::Bounds(0, 0, kPanelWidth, kPanelHeight)),
        form::Picture(Image1, ui::Bounds(8, 13, 16, 16), "ball_yellow.bmp"),
        // The player's name ends where the title's box begins.
        form::Label(Label1, 32, 8, "Player 1", name).MaxWidth(208 - 32),
        form::Label(ScoreLabel, 32, 32, "000", name),
        form::Label(Label5, 208, 8, "Zorbel II", {29, ui::clYellow, true})
            .Size(217, 41)
            .Align(ui::Alignment::Center)
            .Wrap(),
        // Centred under the title, the caption ends clear of the scores beside it (up to x 68 and
        // from x 572); a replay's long names are shortened, not its speed (" x1" to " x8").
        form::Label(Label3, kModeCaptionLeft, 42, std::string(kDeathMatchCaption), {13, ui::clRed})
            .MaxWidth(2 * (208 + 217 / 2 - 76))
            .KeepEnd(3),
        form::Label(Label2, kPlayer2Left, 8, "Player 2", name),
        form::Picture(Image3, ui::Bounds(614, 13, 16, 16), "ball_blue.bmp"),
        form::Label(HiScoreLabel, 572, 32, "000", name),
        form::Animation(AnimatedImage1, ui::Bounds(96, 80, 14, 14), "strip3.bmp", ui::clBlack)
            .Frames(2, 50),
        form::Gradient(zNWBlendPaint1, ui::Bounds(8, 64, 80, 465), ui::clBlack, kBoardColour),
        form::Panel(Panel2, ui::Bounds(88, 64, 457, 465)).Color(kBoardColour),
        form::Surface(PaintBox1, ui::Bounds(8, 16, 436, 436)),
        // Line art: the grid lines must land exactly where the cells' fills end.
        form::Picture(Image2, ui::Bounds(8, 16, 436, 436), "grid.bmp")
            .Transparent(ui::clWhite)
            .Resample(ui::Resample::Exact),
        form::Animation(Target, ui::Bounds(0, 0, 13, 13), "target_yellow.bmp", kBoardColour)
            .Hidden(),
        form::Animation(Target2, ui::Bounds(0, 0, 13, 13), "target_blue.bmp", kBoardColour)
            .Hidden(),
        // Above the board and the targets, shown only while paused: once hidden, the board's own
        // picture shows through again, with nothing of the caption left on it.
        form::Label(PauseLabel, 0, 0, std::string(play::kPausedCaption), {16, ui::clYellow, true})
            .Color(ui::clBlack)
            .Padding(6)
            .Hidden(),
        form::Gradient(zNWBlendPaint2, ui::Bounds(544, 64, 80, 465), kBoardColour),
        form::Label(Label6, 128, 538, "Games:", caption),
        form::Label(GL, 176, 538, "00000", figure),
        form::Label(Label7, 232, 538, "Eaten:", caption),
        form::Label(EL, 272, 538, "00000", figure),
        form::Label(Label8, 328, 538, "Average:", caption),
        form::Label(AL, 384, 538, "00,00", figure).Size(36, 18).Align(ui::Alignment::Right),
        form::Label(Label9, 432, 538, "HiScore:", caption),
        form::Label(HL, 488, 538, "00", figure),
        form::Label(LLL, 384, 554, "-0,02", {11, ui::clRed})
            .Size(36, 15)
            .Align(ui::Alignment::Right),
    };
    form::Build(formData);

    Timer1.SetPriority(widgets::TThreadPriority::tpHigher);
    Timer1.SetInterval(100);
    Hrum.SetSound(assets::Find("hrum.wav"));
    DeadSound.SetSound(assets::Find("deadsound.wav"));
}
