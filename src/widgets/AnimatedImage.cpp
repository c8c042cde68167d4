// Frame stepping, frame geometry and transparent drawing of the animated image.
#include "widgets/AnimatedImage.h"

#include <algorithm>

namespace widgets
{

TAnimatedImage::TAnimatedImage(ui::Control* parent) : ui::Control(parent)
{
    SetBounds(Left(), Top(), 32, 32);
    SetParentColor(true);
    timer_.SetInterval(100);
}

TAnimatedImage::~TAnimatedImage()
{
    destroying_ = true;
    SetActive(false);
}

void TAnimatedImage::Loaded()
{
    loading_ = false;
    RecomputeFrameSize();
    ApplyInactive();
}

void TAnimatedImage::SetActive(bool active)
{
    if (active == active_)
        return;
    if (active)
    {
        timer_.SetOnTimer([this](TRxTimer&) { TimerExpired(); });
        active_ = true;
        UpdateTimer();
        if (OnStart && !loading_ && !destroying_)
            OnStart(*this);
    }
    else
    {
        timer_.SetEnabled(false);
        timer_.SetOnTimer(nullptr);
        active_ = false;
        ApplyInactive();
        if (OnStop && !loading_ && !destroying_)
            OnStop(*this);
        Invalidate();
    }
}

void TAnimatedImage::SetAutoSize(bool autoSize)
{
    if (autoSize == autoSize_)
        return;
    autoSize_ = autoSize;
    AdjustBounds();
    Invalidate();
}

void TAnimatedImage::SetOrientation(TGlyphOrientation orientation)
{
    if (orientation == orientation_)
        return;
    orientation_ = orientation;
    GlyphChanged(false);
}

void TAnimatedImage::SetGlyph(const ui::Bitmap& glyph)
{
    glyph_ = glyph;
    GlyphChanged(true);
}

void TAnimatedImage::SetGlyphNum(int glyphNum)
{
    if (glyphNum == glyphNum_ || glyphNum < 0 || glyphNum >= numGlyphs_)
        return;
    glyphNum_ = glyphNum;
    ApplyInactive();
    Invalidate();
}

void TAnimatedImage::SetNumGlyphs(int numGlyphs)
{
    numGlyphs_ = numGlyphs;
    if (inactiveGlyph_ < numGlyphs_)
    {
        ApplyInactive();
    }
    else
    {
        inactiveGlyph_ = -1;
        glyphNum_ = 0;
    }
    RecomputeFrameSize();
    AdjustBounds();
    Invalidate();
}

void TAnimatedImage::SetInactiveGlyph(int inactiveGlyph)
{
    if (inactiveGlyph < 0)
        inactiveGlyph = -1;
    if (inactiveGlyph == inactiveGlyph_)
        return;
    if (inactiveGlyph >= numGlyphs_ && !loading_)
        return;
    inactiveGlyph_ = inactiveGlyph;
    ApplyInactive();
    Invalidate();
}

void TAnimatedImage::SetTransparentColor(std::optional<ui::Color> color)
{
    if (color == transparentColor_)
        return;
    transparentColor_ = color;
    Invalidate();
}

void TAnimatedImage::SetOpaque(bool opaque)
{
    if (opaque == opaque_)
        return;
    opaque_ = opaque;
    Invalidate();
}

void TAnimatedImage::SetStretch(bool stretch)
{
    if (stretch == stretch_)
        return;
    stretch_ = stretch;
    Invalidate();
}

void TAnimatedImage::OnScreenChanged()
{
    UpdateTimer();
}

void TAnimatedImage::UpdateTimer()
{
    timer_.SetEnabled(active_ && !destroying_ && OnScreen());
}

void TAnimatedImage::TimerExpired()
{
    // A hidden image keeps its frame, so that it resumes from there when shown again.
    if (!Visible())
        return;
    const auto next = [this](int n)
    {
        return n + 1 < numGlyphs_ ? n + 1 : 0;
    };
    glyphNum_ = next(glyphNum_);
    if (glyphNum_ == inactiveGlyph_ && numGlyphs_ > 1)
        glyphNum_ = next(glyphNum_);
    Invalidate();
}

void TAnimatedImage::GlyphChanged(bool takeTransparentColor)
{
    if (takeTransparentColor && !glyph_.Empty())
        transparentColor_ = glyph_.Pixel(0, glyph_.Height() - 1);
    DeriveFrames();
    RecomputeFrameSize();
    AdjustBounds();
    Invalidate();
}

void TAnimatedImage::DeriveFrames()
{
    numGlyphs_ = 1;
    glyphNum_ = 0;
    const int w = glyph_.Width();
    const int h = glyph_.Height();
    if (orientation_ == TGlyphOrientation::goHorizontal)
    {
        if (h > 0 && w % h == 0)
            numGlyphs_ = w / h;
    }
    else if (w > 0 && h % w == 0)
    {
        numGlyphs_ = h / w;
    }
    numGlyphs_ = std::max(numGlyphs_, 1);
}

void TAnimatedImage::RecomputeFrameSize()
{
    numGlyphs_ = std::max(numGlyphs_, 1);
    if (orientation_ == TGlyphOrientation::goHorizontal)
    {
        frameWidth_ = glyph_.Width() / numGlyphs_;
        frameHeight_ = glyph_.Height();
    }
    else
    {
        frameWidth_ = glyph_.Width();
        frameHeight_ = glyph_.Height() / numGlyphs_;
    }
}

void TAnimatedImage::AdjustBounds()
{
    if (loading_ || !autoSize_ || frameWidth_ <= 0 || frameHeight_ <= 0 || adjusting_)
        return;
    adjusting_ = true;
    SetBounds(Left(), Top(), frameWidth_, frameHeight_);
    adjusting_ = false;
}

void TAnimatedImage::BoundsChanged()
{
    AdjustBounds();
}

void TAnimatedImage::ApplyInactive()
{
    if (!active_ && inactiveGlyph_ >= 0 && inactiveGlyph_ < numGlyphs_)
        glyphNum_ = inactiveGlyph_;
}

int TAnimatedImage::FrameToShow() const
{
    if (!active_ && inactiveGlyph_ >= 0 && inactiveGlyph_ < numGlyphs_)
        return inactiveGlyph_;
    return glyphNum_;
}

void TAnimatedImage::Paint(ui::Canvas& canvas)
{
    // The parent and the siblings created before this image have already been painted into
    // this area, so leaving the transparent pixels out shows exactly what lies beneath.
    if (opaque_ || Parent() == nullptr)
        canvas.FillRect(ClientRect(), GetColor());
    if (frameWidth_ <= 0 || frameHeight_ <= 0)
        return;
    const int i = FrameToShow();
    const ui::Rect src = orientation_ == TGlyphOrientation::goHorizontal
                             ? ui::Bounds(i * frameWidth_, 0, frameWidth_, frameHeight_)
                             : ui::Bounds(0, i * frameHeight_, frameWidth_, frameHeight_);
    const ui::Rect dst = stretch_ ? ClientRect() : ui::Bounds(0, 0, frameWidth_, frameHeight_);
    canvas.DrawPart(dst, glyph_, src, transparentColor_);
}

} // namespace widgets
