// TMCIFilePlayer: the music player: a media file played through the mixer's one music stream, with
// a completion notice delivered on the main thread and an automatic repeat.
#pragma once

#include "audio/Music.h"

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

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

// Plays through the audio service it is given, which outlives it.
class TMCIFilePlayer final : private audio::MusicListener
{
public:
    explicit TMCIFilePlayer(audio::Service& audio) : music_(audio, *this) {}
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

    // Whether the MIDI file plays from its rendering rather than through the synthesiser: at
    // once when a rendering was kept from an earlier run, else from the first play after the
    // rendering that Open started has finished.
    [[nodiscard]] bool PlaysRendering() const { return music_.PlaysRendering(); }
    // Main thread, for tests: waits until no rendering is under way, handling the loop's calls.
    void WaitForRendering() { music_.WaitForRendering(); }

private:
    void MusicEnded(bool atEnd) override;
    // A looping rendering's end as it goes on with its repeat.
    void MusicRepeated() override;
    void Notify(TMPNotifyValues value);
    bool Fail(const std::string& message);
    bool NotOpen();

    bool autoRepeat_ = false;
    bool repeatPending_ = false;
    bool open_ = false;
    bool atEnd_ = false;
    std::uint16_t deviceId_ = 0;
    std::uint16_t lastDeviceId_ = 0;
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

    audio::Music music_; // last: its notices stop before the rest goes
};
