// Test random sources: one that plays back given numbers, one that counts what another draws.
#pragma once

#include "engine/Random.h"

#include <deque>
#include <stdexcept>
#include <vector>

namespace testing_support
{

// Plays back the scripted numbers in order and records every bound asked for; running out of
// numbers is a test error.
class RandomScript final : public engine::RandomSource
{
public:
    RandomScript() = default;
    RandomScript(std::initializer_list<int> values) : values_(values) {}

    void Push(int value) { values_.push_back(value); }
    int Random(int n) override
    {
        bounds.push_back(n);
        if (values_.empty())
            throw std::logic_error("random script exhausted");
        const int v = values_.front();
        values_.pop_front();
        if (v < 0 || (n > 0 && v >= n))
            throw std::logic_error("scripted value out of range");
        return v;
    }
    std::size_t Left() const { return values_.size(); }

    std::vector<int> bounds;

private:
    std::deque<int> values_;
};

// Passes draws on to another source and keeps the bound of each.
class RandomCounter final : public engine::RandomSource
{
public:
    explicit RandomCounter(engine::RandomSource& inner) : inner_(inner) {}
    int Random(int n) override
    {
        bounds.push_back(n);
        values.push_back(inner_.Random(n));
        return values.back();
    }

    std::vector<int> bounds;
    std::vector<int> values;

private:
    engine::RandomSource& inner_;
};

} // namespace testing_support
