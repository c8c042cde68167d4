// TGameForm: the game screen's replays: a replay played back on the same screen with its pictures,
// sounds and numbers, paused, sped up and left with the keys.
#include "screens/GameScreen.h"

#include "play/ReplayFile.h"
#include "settings/NumberText.h"
#include "ui/Platform.h"

#include <string>
#include <string_view>

namespace
{

// What stands for the final score until playback has reached it.
constexpr std::string_view kScoreToCome = "---";

} // namespace

bool TGameForm::WatchReplayFile(const std::string& path)
{
    const play::OpenedReplay opened = play::OpenReplay(path);
    if (!opened.replay)
    {
        // The file came from the command line or a file manager: the message says which.
        App().ShowMessage(opened.problem + ":\n" + path);
        return false;
    }
    ShowReplay(*opened.replay);
    return true;
}

void TGameForm::ShowReplay(const engine::Replay& replay)
{
    // A game under way (the table shown over its end) is never replaced by a replay.
    if (IsShown())
        return;
    const bool single = replay.mode == engine::ReplayMode::SingleGame;
    gameCaption1_ = Label1.Caption();
    Label1.SetCaption(play::ShownName(replay.players[0].name));
    Label2.SetCaption(single ? "Final Score" : play::ShownName(replay.players[1].name));
    Label2.SetLeft(single ? kScoreCaptionLeft : kPlayer2Left);
    ShowPlayerColours(!single);
    Label3.SetVisible(true);
    // The file's final score is only a claim until playback has reached it.
    HiScoreLabel.SetCaption(single ? std::string(kScoreToCome) : "000");
    match_.Watch(replay);
    Show();
}

void TGameForm::ShowReplayCaption()
{
    Label3.SetCaption(play::ReplayTitle(match_.Replay(), match_.ReplaySpeed()));
    // Centred under the title, however long the names.
    Label3.SetLeft(Label5.Left() + (Label5.Width() - Label3.Width()) / 2);
}

void TGameForm::ReplayKey(int key)
{
    if (key == ui::vk::Right)
        match_.FasterReplay();
    if (key == ui::vk::Left)
        match_.SlowerReplay();
    ShowReplayCaption();
}
