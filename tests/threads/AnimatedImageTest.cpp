// TAnimatedImage's threaded stepping: frames advance on the main thread while the timer waits on
// its worker, stop when the image is deactivated, and the image can be destroyed mid-stream.
#include "ThreadTest.h"

#include "widgets/AnimatedImage.h"

#include <memory>

namespace
{

using namespace threadtest;
using widgets::TAnimatedImage;

using AnimateThreadTest = ThreadTest;

ui::Bitmap Strip(int frames)
{
    ui::Bitmap strip(10 * frames, 10, ui::clBlack);
    return strip;
}

TEST_F(AnimateThreadTest, FramesStepOnTheMainThreadAndStopWhenDeactivated)
{
    TAnimatedImage image(nullptr);
    image.BeginLoad();
    image.SetGlyph(Strip(5));
    image.SetInterval(2);
    image.SetActive(true);
    image.Loaded();
    ASSERT_EQ(image.NumGlyphs(), 5);

    const std::thread::id mainThread = std::this_thread::get_id();
    int steps = 0;
    int last = image.GlyphNum();
    bool offThread = false;
    ASSERT_TRUE(PumpUntil(
        [&]
        {
            offThread = offThread || std::this_thread::get_id() != mainThread;
            if (image.GlyphNum() != last)
            {
                last = image.GlyphNum();
                ++steps;
            }
            return steps >= 12;
        }));
    EXPECT_FALSE(offThread);
    EXPECT_GE(image.GlyphNum(), 0);
    EXPECT_LT(image.GlyphNum(), 5);

    image.SetActive(false);
    const int stoppedAt = image.GlyphNum();
    PumpFor(milliseconds(40));
    EXPECT_EQ(image.GlyphNum(), stoppedAt);
}

TEST_F(AnimateThreadTest, ImagesDestroyedWhileTheirTimersRun)
{
    // Each image is destroyed right after a step, with its next tick due at any moment; the
    // thread checker watches the hand-over, and the later pumping must find nothing of it.
    for (int round = 0; round < 20; ++round)
    {
        auto image = std::make_unique<TAnimatedImage>(nullptr);
        image->SetGlyph(Strip(3));
        image->SetInterval(1);
        image->SetActive(true);
        const int first = image->GlyphNum();
        ASSERT_TRUE(PumpUntil([&] { return image->GlyphNum() != first; })) << "round " << round;
        image.reset();
        PumpFor(milliseconds(3));
    }
}

} // namespace
