// In-memory wave sounds: a RIFF WAVE file kept in the screen's form data and played on request,
// one sound at a time for the whole process.
#pragma once

#include "audio/Audio.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <vector>

class EInvalidWaveOperation final : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A block of bytes stored in form data as its size N (32-bit little-endian) and N bytes.
class TPersistentMemory
{
public:
    virtual ~TPersistentMemory() = default;

    std::size_t Size() const { return data_.size(); }
    const std::uint8_t* Memory() const { return data_.empty() ? nullptr : data_.data(); }
    bool Empty() const { return data_.empty(); }
    bool Modified() const { return modified_; }
    void Clear();
    // Validates, then replaces the content; a failed validation keeps the old content. No bytes
    // clear it.
    void LoadFromMemory(std::span<const std::uint8_t> bytes);
    // The stored form: N, then the N bytes. N = 0 clears; a block shorter than it says throws
    // std::runtime_error and keeps the old content.
    void ReadData(std::span<const std::uint8_t> stored);
    std::vector<std::uint8_t> WriteData() const;

    std::function<void(TPersistentMemory&)> OnChange;
    std::function<void(TPersistentMemory&)> OnChanging;

protected:
    virtual void Validate(std::span<const std::uint8_t> bytes) const;

private:
    void Change(std::span<const std::uint8_t> bytes);

    std::vector<std::uint8_t> data_;
    bool modified_ = false;
};

// Accepts only bytes that hold a RIFF chunk of form type "WAVE".
class TWaveImage final : public TPersistentMemory
{
protected:
    void Validate(std::span<const std::uint8_t> bytes) const override;
};

enum TPlayOption
{
    poAsync,
    poSync,
    poLoop
};

// Plays through the audio service it is given, which outlives it.
class TCustomWave
{
public:
    explicit TCustomWave(audio::Service& audio) : audio_(audio) {}
    TCustomWave(const TCustomWave&) = delete;
    TCustomWave& operator=(const TCustomWave&) = delete;
    // Halts this component's sound if it is the one playing.
    virtual ~TCustomWave();
    // Plays the sound with the current play option; false when there is nothing to play.
    virtual bool Play() = 0;
    // Stops whatever sound the process is playing.
    virtual void Stop();

    TPlayOption PlayOption() const { return playOption_; }
    // A new option first stops whatever sound plays.
    void SetPlayOption(TPlayOption option);

protected:
    // Plays the bytes at toPlay_ on the one wave channel, cutting off whatever sound plays;
    // poSync returns when the sound has ended. False when there is nothing to play, no audio
    // device, or the mixer refuses the bytes.
    bool PlayBytes();
    // The bytes at toPlay_ changed: what was prepared from the old ones is released (halting it
    // first if it plays).
    void BytesChanged();

    const std::uint8_t* toPlay_ = nullptr;
    std::size_t toPlaySize_ = 0;

private:
    audio::Service& audio_;
    TPlayOption playOption_ = poAsync;
    audio::DecodedWave decoded_;
};

class TWave final : public TCustomWave
{
public:
    explicit TWave(audio::Service& audio);
    ~TWave() override;

    TWaveImage& Sound() { return sound_; }
    const TWaveImage& Sound() const { return sound_; }
    // Copies a whole RIFF WAVE file in (the form data's content); throws EInvalidWaveOperation.
    void SetSound(std::span<const std::uint8_t> riff);

    bool Play() override;

private:
    TWaveImage sound_;
};
