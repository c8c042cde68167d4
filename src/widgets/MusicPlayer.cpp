// TMCIFilePlayer: the music player: the media-control commands and notices over the audio service's
// music.
#include "widgets/MusicPlayer.h"

#include "platform/Dispatch.h"

#include <SDL_error.h>

namespace
{

std::string Format(std::string pattern, const std::string& argument)
{
    const auto at = pattern.find("%s");
    if (at != std::string::npos)
        pattern.replace(at, 2, argument);
    return pattern;
}

std::uint16_t NextDeviceId(std::uint16_t last)
{
    return last == 0xFFFF ? 1 : static_cast<std::uint16_t>(last + 1);
}

} // namespace

TMCIFilePlayer::~TMCIFilePlayer()
{
    Close();
    platform::Cancel(this);
}

void TMCIFilePlayer::Loaded()
{
    if (autoOpen_)
        Open();
}

bool TMCIFilePlayer::Open()
{
    if (fileName_.empty())
    {
        if (raiseExceptions_)
            throw EMCIDeviceError(Format("Cannot open file %s", fileName_));
        return false;
    }
    if (open_ && !Close())
        return false;
    repeatPending_ = false;
    SDL_ClearError();
    // Other device types have no player here; the error then has no text of its own.
    if (deviceType_ != dtAutoSelect && deviceType_ != dtSequencer && deviceType_ != dtWaveAudio)
        return Fail("");
    if (!music_.Load(fileName_))
        return Fail(SDL_GetError());
    open_ = true;
    atEnd_ = false;
    lastDeviceId_ = deviceId_ = NextDeviceId(lastDeviceId_);
    error_ = 0;
    return true;
}

bool TMCIFilePlayer::Play()
{
    if (!open_)
        return NotOpen();
    if (autoRewind_ && atEnd_ && !Rewind())
        return false;
    if (autoRepeat_)
        repeatPending_ = true;
    error_ = 0;
    if (atEnd_)
    {
        // Playing from the end finishes at once.
        platform::Post([this] { Notify(nvSuccessful); }, this);
        return true;
    }
    if (music_.Playing())
    {
        // Already under way: it goes on, and the earlier request's notice is overtaken.
        platform::Post([this] { Notify(nvSuperseded); }, this);
        return true;
    }
    SDL_ClearError();
    if (!music_.Play(autoRepeat_))
        return Fail(SDL_GetError());
    return true;
}

bool TMCIFilePlayer::Close()
{
    repeatPending_ = false;
    if (deviceId_ == 0)
        return true;
    music_.Unload();
    open_ = false;
    atEnd_ = false;
    deviceId_ = 0;
    error_ = 0;
    return true;
}

bool TMCIFilePlayer::Rewind()
{
    if (!open_)
        return NotOpen();
    repeatPending_ = false;
    music_.Halt();
    atEnd_ = false;
    error_ = 0;
    return true;
}

TMPModes TMCIFilePlayer::Mode() const
{
    if (!open_)
        return mpNotReady;
    return music_.Playing() ? mpPlaying : mpStopped;
}

void TMCIFilePlayer::MusicEnded(bool atEnd)
{
    Notify(atEnd ? nvSuccessful : nvAborted);
}

void TMCIFilePlayer::MusicRepeated()
{
    // Cut off since it was queued: the cutting off brings its own notice.
    if (Mode() != mpPlaying)
        return;
    notifyValue_ = nvSuccessful;
    if (OnNotify)
        OnNotify(*this, nvSuccessful);
    if (autoClose_)
        Close();
}

void TMCIFilePlayer::Notify(TMPNotifyValues value)
{
    notifyValue_ = value;
    if (value == nvSuccessful)
        atEnd_ = true;
    if (OnNotify)
        OnNotify(*this, value);
    if (autoClose_)
        Close();
    if (Mode() == mpStopped && autoRepeat_ && repeatPending_)
    {
        Rewind();
        Play();
    }
}

bool TMCIFilePlayer::Fail(const std::string& message)
{
    error_ = 1;
    errorMessage_ = message.empty() ? "Unknown error code" : message;
    if (raiseExceptions_)
        throw EMCIDeviceError(errorMessage_);
    return false;
}

bool TMCIFilePlayer::NotOpen()
{
    if (raiseExceptions_)
        throw EMCIDeviceError("No MCI device open");
    return false;
}
