// TAnimatedImage: shows one frame of a strip of equal frames and steps through them on its own
// timer, drawing with one colour left out so that what lies beneath shows through.
#pragma once

#include "ui/Bitmap.h"
#include "ui/Control.h"
#include "widgets/AnimationTimer.h"

#include <functional>
#include <optional>

namespace widgets
{

enum class TGlyphOrientation
{
    goHorizontal,
    goVertical
};

class TAnimatedImage final : public ui::Control
{
public:
    explicit TAnimatedImage(ui::Control* parent);
    ~TAnimatedImage() override;

    // While loading (form data being applied) bounds are not adjusted, OnStart/OnStop are not
    // called and InactiveGlyph is taken as given; Loaded() ends it and settles frame and size.
    void BeginLoad() { loading_ = true; }
    void Loaded();

    bool Active() const { return active_; }
    void SetActive(bool active);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    TGlyphOrientation Orientation() const { return orientation_; }
    void SetOrientation(TGlyphOrientation orientation);
    const ui::Bitmap& Glyph() const { return glyph_; }
    // Takes a copy of the strip; the frames, the frame size and TransparentColor (the strip's
    // bottom-left pixel) follow from it.
    void SetGlyph(const ui::Bitmap& glyph);
    int GlyphNum() const { return glyphNum_; }
    void SetGlyphNum(int glyphNum);
    int Interval() const { return timer_.Interval(); }
    void SetInterval(int interval) { timer_.SetInterval(interval); }
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int numGlyphs);
    int InactiveGlyph() const { return inactiveGlyph_; }
    void SetInactiveGlyph(int inactiveGlyph);
    // nullopt stands for clNone: the frame is drawn whole.
    std::optional<ui::Color> TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(std::optional<ui::Color> color);
    bool Opaque() const { return opaque_; }
    void SetOpaque(bool opaque);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool stretch);
    int FrameWidth() const { return frameWidth_; }
    int FrameHeight() const { return frameHeight_; }

    // The owned timer that drives the stepping (its tick is the step routine while Active and
    // enabled only while the image is also on screen).
    TRxTimer& Timer() { return timer_; }

    NotifyEvent OnStart;
    NotifyEvent OnStop;

    void Paint(ui::Canvas& canvas) override;

protected:
    void BoundsChanged() override;
    void OnScreenChanged() override;

private:
    // The timer runs only while active and on screen: a hidden or covered image costs nothing.
    void UpdateTimer();
    void TimerExpired();
    void GlyphChanged(bool takeTransparentColor);
    void DeriveFrames();
    void RecomputeFrameSize();
    void AdjustBounds();
    void ApplyInactive();
    int FrameToShow() const;

    bool active_ = false;
    bool autoSize_ = true;
    ui::Bitmap glyph_;
    int frameWidth_ = 0;
    int frameHeight_ = 0;
    int inactiveGlyph_ = -1;
    TGlyphOrientation orientation_ = TGlyphOrientation::goHorizontal;
    TRxTimer timer_;
    int numGlyphs_ = 1;
    int glyphNum_ = 0;
    bool stretch_ = true;
    std::optional<ui::Color> transparentColor_ = ui::clOlive;
    bool opaque_ = false;
    bool loading_ = false;
    bool destroying_ = false;
    bool adjusting_ = false;
};

} // namespace widgets
