// The music player: a media file played through the mixer's one music stream, with a completion
// notice delivered on the main thread and an automatic repeat.
#pragma once

#include "ui/SdlPtrs.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

namespace widgets
{
struct RenderedTune;
}

class EMCIDeviceError final : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

enum TMPDeviceTypes
{
    dtAutoSelect,
    dtAVIVideo,
    dtCDAudio,
    dtDAT,
    dtDigitalVideo,
    dtMMMovie,
    dtOther,
    dtOverlay,
    dtScanner,
    dtSequencer,
    dtVCR,
    dtVideodisc,
    dtWaveAudio
};

// How the last play ended: at the end of the file, overtaken by another play, cut off by a
// command (rewind, close, another player), or failed.
enum TMPNotifyValues
{
    nvSuccessful,
    nvSuperseded,
    nvAborted,
    nvFailure
};

enum TMPModes
{
    mpNotReady,
    mpStopped,
    mpPlaying,
    mpRecording,
    mpSeeking,
    mpPaused,
    mpOpen
};

class TMCIFilePlayer final
{
public:
    TMCIFilePlayer() = default;
    TMCIFilePlayer(const TMCIFilePlayer&) = delete;
    TMCIFilePlayer& operator=(const TMCIFilePlayer&) = delete;
    // Closes the device; notices not yet delivered are dropped.
    ~TMCIFilePlayer();

    // Called once the form data has been read: opens the file when AutoOpen is set.
    void Loaded();

    // Each returns false on failure, or throws EMCIDeviceError with RaiseExceptions.
    bool Open();
    // Starts playing and returns at once; a completion notice follows on the main thread.
    bool Play();
    bool Close();
    // Seeks to the start, cutting off the play under way.
    bool Rewind();
    TMPModes Mode() const;

    bool AutoClose() const { return autoClose_; }
    void SetAutoClose(bool value) { autoClose_ = value; }
    bool AutoOpen() const { return autoOpen_; }
    void SetAutoOpen(bool value) { autoOpen_ = value; }
    bool AutoRepeat() const { return autoRepeat_; }
    void SetAutoRepeat(bool value) { autoRepeat_ = value; }
    bool AutoRewind() const { return autoRewind_; }
    void SetAutoRewind(bool value) { autoRewind_ = value; }
    TMPDeviceTypes DeviceType() const { return deviceType_; }
    void SetDeviceType(TMPDeviceTypes value) { deviceType_ = value; }
    const std::string& FileName() const { return fileName_; }
    void SetFileName(std::string value) { fileName_ = std::move(value); }
    bool RaiseExceptions() const { return raiseExceptions_; }
    void SetRaiseExceptions(bool value) { raiseExceptions_ = value; }
    bool Shareable() const { return shareable_; }
    void SetShareable(bool value) { shareable_ = value; }

    bool IsOpen() const { return open_; }
    std::uint16_t DeviceID() const { return deviceId_; }
    // The result of the last command: 0 for success.
    std::uint32_t Error() const { return error_; }
    const std::string& ErrorMessage() const { return errorMessage_; }
    TMPNotifyValues NotifyValue() const { return notifyValue_; }

    // Called on each completion notice, before the repeat. A rendered tune repeats without a
    // break: its notice comes as it begins again.
    std::function<void(TMCIFilePlayer& sender, TMPNotifyValues value)> OnNotify;

    // Whether the MIDI file plays from its rendering (kept in memory) rather than through the
    // synthesiser: at once when a rendering was kept from an earlier run, else from the first
    // play after the rendering that Open started has finished.
    [[nodiscard]] bool PlaysRendering() const { return rendered_ != nullptr; }
    // Main thread, for tests: waits until no rendering is under way, handling the loop's calls.
    void WaitForRendering();

private:
    friend struct MusicStream;

    void Notify(TMPNotifyValues value);
    // The notice of a rendered tune's end as it goes on with its repeat.
    void NotifyRepeat();
    bool Fail(const std::string& message);
    bool NotOpen();
    bool Load();
    // A MIDI tune plays from its kept rendering when there is one; otherwise one is made on a
    // worker thread while the synthesiser plays.
    bool LoadRendering(int frequency);
    bool PlayRendering();
    // Halts the stream when it holds this player's music; the pending notice becomes aborted.
    void HaltOwnMusic();

    bool autoRepeat_ = false;
    bool repeatPending_ = false;
    bool open_ = false;
    bool atEnd_ = false;
    std::uint16_t deviceId_ = 0;
    TMPDeviceTypes deviceType_ = dtAutoSelect;
    std::uint32_t error_ = 0;
    std::string errorMessage_;
    TMPNotifyValues notifyValue_ = nvSuccessful;
    std::string fileName_;
    bool autoOpen_ = false;
    bool autoRewind_ = true;
    bool autoClose_ = false;
    bool raiseExceptions_ = false;
    bool shareable_ = false;

    ui::MusicPtr music_;
    std::uint64_t musicSession_ = 0;
    // The length of a MIDI file by its own timing; 0 when unknown.
    std::uint64_t lengthMicroseconds_ = 0;
    std::shared_ptr<const widgets::RenderedTune> rendered_;
    std::jthread renderer_; // last: stopped and joined before anything it hands over goes
};
