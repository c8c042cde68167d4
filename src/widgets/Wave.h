// In-memory wave sounds: a RIFF WAVE file kept in the screen's form data and played on request,
// one sound at a time for the whole process.
#pragma once

#include <cstdint>
#include <functional>
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
    // Validates, then replaces the content; a failed validation keeps the old content.
    void LoadFromMemory(std::span<const std::uint8_t> bytes);
    // The stored form: N, then the N bytes. N = 0 clears.
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

class TCustomWave
{
public:
    virtual ~TCustomWave() = default;
    // Plays the sound with the current play option; false when there is nothing to play.
    virtual bool Play() = 0;
    // Stops whatever sound the process is playing.
    virtual void Stop();

    TPlayOption PlayOption() const { return playOption_; }
    void SetPlayOption(TPlayOption option);

protected:
    const std::uint8_t* toPlay_ = nullptr;
    std::size_t toPlaySize_ = 0;

private:
    TPlayOption playOption_ = poAsync;
};

class TWave final : public TCustomWave
{
public:
    TWave();
    ~TWave() override;

    TWaveImage& Sound() { return sound_; }
    // Copies a whole RIFF WAVE file in (the form data's content); throws EInvalidWaveOperation.
    void SetSound(std::span<const std::uint8_t> riff);

    bool Play() override;

private:
    TWaveImage sound_;
};
