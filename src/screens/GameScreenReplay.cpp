// TGameForm: the game screen's replays: each game kept as it ends, and a replay played back on the
// same screen with its pictures, sounds and numbers, paused, sped up and left with the keys.
#include "screens/GameScreen.h"

#include "platform/Paths.h"
#include "settings/NumberText.h"
#include "settings/ReplayStore.h"
#include "ui/Platform.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>

namespace
{

constexpr int kFastestReplay = 8;
// A replay's names are shown cut to this many characters: a file may hold a thousand bytes of
// name, and the font renderer is given no more than a line can show.
constexpr std::size_t kShownNameCharacters = 32;
constexpr std::string_view kCutMark = "...";
// What stands for the final score until playback has reached it.
constexpr std::string_view kScoreToCome = "---";

// name cut after kShownNameCharacters characters where it is longer, and after four bytes a
// character at the latest, so that bytes that start no character never pass whole.
std::string ShownName(std::string_view name)
{
    std::size_t characters = 0;
    for (std::size_t i = 0; i < name.size(); ++i)
    {
        const bool starts = (static_cast<unsigned char>(name[i]) & 0xC0) != 0x80;
        if ((starts && characters++ == kShownNameCharacters) || i == 4 * kShownNameCharacters)
            return std::string(name.substr(0, i)) + std::string(kCutMark);
    }
    return std::string(name);
}

} // namespace

void TGameForm::KeepReplay()
{
    if (playback_)
        return;
    const bool single = Model.GameMode() == engine::Mode::Single;
    const std::string names[] = {single ? session_.UserName : Label1.Caption(), Label2.Caption()};
    session_.Replays.Keep(engine::Record(Model, std::span(names, single ? 1 : 2)));
}

bool TGameForm::WatchReplayFile(const std::string& path)
{
    const engine::ReplayDecoding read = ReadReplayFile(path);
    if (!read.replay)
    {
        // The file came from the command line or a file manager: the message says which.
        std::error_code ec;
        const bool found = std::filesystem::exists(platform::NativePath(path), ec);
        App().ShowMessage(
            (found ? std::string(engine::Describe(read.error)) : "Replay file not found") + ":\n" +
            path);
        return false;
    }
    ShowReplay(*read.replay);
    return true;
}

void TGameForm::ShowReplay(const engine::Replay& replay)
{
    // A game under way (the table shown over its end) is never replaced by a replay.
    if (IsShown())
        return;
    const bool single = replay.mode == engine::ReplayMode::SingleGame;
    gameCaption1_ = Label1.Caption();
    Label1.SetCaption(ShownName(replay.players[0].name));
    Label2.SetCaption(single ? "Final Score" : ShownName(replay.players[1].name));
    Label2.SetLeft(single ? 511 : 536);
    ShowPlayerColours(!single);
    Label3.SetVisible(true);
    // The file's final score is only a claim until playback has reached it.
    HiScoreLabel.SetCaption(single ? std::string(kScoreToCome) : "000");
    playback_.emplace(replay);
    replaySpeed_ = 1;
    replayPaused_ = false;
    replayEnded_ = false;
    Show();
}

void TGameForm::StartReplay()
{
    const bool single = playback_->Recorded().mode == engine::ReplayMode::SingleGame;
    Target.SetVisible(true);
    Target2.SetVisible(!single);
    playback_->Start(Model);
    PaintEvents();
    if (single)
        UpdateScoreLabel();
    else
    {
        UpdateScore1Label();
        UpdateScore2Label();
    }
    PauseLabel.SetCaption("Paused: press Space to go on");
    ShowReplayCaption();
    SyncReplayTimer();
}

void TGameForm::ShowReplayCaption()
{
    const engine::Replay& r = playback_->Recorded();
    std::string caption = "Replay: " + ShownName(r.players[0].name);
    if (r.players.size() > 1)
        caption += " v " + ShownName(r.players[1].name);
    caption += " x" + std::to_string(replaySpeed_);
    Label3.SetCaption(caption);
    // Centred under the title, however long the names.
    Label3.SetLeft(Label5.Left() + (Label5.Width() - Label3.Width()) / 2);
}

void TGameForm::SyncReplayTimer()
{
    for (widgets::TzcTimer* timer : {&TimerDM, &pKillTimer, &cKillTimer, &WaitTimer, &DMKiller})
        timer->SetEnabled(false);
    if (replayPaused_ || replayEnded_)
    {
        Timer1.SetEnabled(false);
        return;
    }
    Timer1.SetInterval(std::max(1, Model.Interval() / replaySpeed_));
    Timer1.SetEnabled(true);
}

void TGameForm::ReplayStep()
{
    if (!playback_ || replayPaused_ || replayEnded_)
        return;
    if (playback_->Step(Model))
    {
        PaintEvents();
        SyncReplayTimer();
        return;
    }
    PaintEvents();
    replayEnded_ = true;
    SyncReplayTimer();
    if (!playback_->Matches(Model))
    {
        App().ShowMessage(std::string(kReplayMismatch));
        Hide();
        return;
    }
    if (playback_->Recorded().mode == engine::ReplayMode::SingleGame)
        HiScoreLabel.SetCaption(PadLeft(std::to_string(playback_->Recorded().players[0].score), 3));
    // The last board stays until the player leaves.
    PauseLabel.SetCaption("The end: press Esc to go back");
    ShowPauseCaption(true);
}

void TGameForm::ReplayKey(int key)
{
    switch (key)
    {
    case ui::vk::Escape:
        Hide();
        return;
    case ui::vk::Space:
    case ui::vk::Pause:
        if (replayEnded_)
            return;
        replayPaused_ = !replayPaused_;
        ShowPauseCaption(replayPaused_);
        break;
    case ui::vk::Right:
        replaySpeed_ = std::min(kFastestReplay, replaySpeed_ * 2);
        break;
    case ui::vk::Left:
        replaySpeed_ = std::max(1, replaySpeed_ / 2);
        break;
    default:
        return;
    }
    ShowReplayCaption();
    SyncReplayTimer();
}
