// Linked into the test executables of the platform layer and everything above it: one font
// system for the whole run, as the game has one for its whole run.
#include "ui/Fonts.h"

#include <gtest/gtest.h>

#include <optional>

namespace
{

class FontSystemEnvironment final : public testing::Environment
{
public:
    void SetUp() override { fonts_.emplace(); }
    void TearDown() override { fonts_.reset(); }

private:
    std::optional<ui::FontSystem> fonts_;
};

// The test framework owns and deletes every environment it is given.
[[maybe_unused]] testing::Environment* const kFonts =
    testing::AddGlobalTestEnvironment(new FontSystemEnvironment);

} // namespace
