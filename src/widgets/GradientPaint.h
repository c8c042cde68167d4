// TzNWBlendPaint: a rectangle filled with a gradient of solid bands (across, down or towards the
// centre), or with a dotted steel pattern.
#pragma once

#include "ui/Control.h"

namespace widgets
{

enum class gradType
{
    gHorz,
    gVert,
    gCenter
};

// a * b / c rounded to the nearest integer, halves away from zero, without overflow; -1 when c
// is 0, as the Windows function gives.
int MulDiv(int a, int b, int c);

class TzNWBlendPaint final : public ui::Control
{
public:
    explicit TzNWBlendPaint(ui::Control* parent);

    bool PassMouseOn() const { return passMouseOn_; }
    void SetPassMouseOn(bool pass) { passMouseOn_ = pass; }
    bool SteelLook() const { return steelLook_; }
    void SetSteelLook(bool steel);
    gradType FillType() const { return fillType_; }
    void SetFillType(gradType fillType);
    ui::Color EndColor() const { return endColor_; }
    void SetEndColor(ui::Color color);
    // Bands + 1 bands are drawn, band 0 in Color and band Bands in EndColor.
    int Bands() const { return bands_; }
    void SetBands(int bands);

    NotifyEvent OnPaint;

    bool HitTest(ui::Point local) const override;
    void Paint(ui::Canvas& canvas) override;

private:
    void PaintGradient(ui::Canvas& canvas) const;
    void PaintCenter(ui::Canvas& canvas) const;
    ui::Color BandColor(int n, int steps) const;

    bool passMouseOn_ = false;
    gradType fillType_ = gradType::gVert;
    ui::Color endColor_ = ui::clBlack;
    int bands_ = 255;
    bool steelLook_ = false;
};

} // namespace widgets
