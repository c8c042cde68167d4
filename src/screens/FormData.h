// Form data: a screen's controls listed in creation order, each with its stored properties
// (place, size, caption, font, colour, handlers), the way the system's form descriptions list
// them, and given to the controls in one pass.
#pragma once

#include "ui/Control.h"
#include "widgets/AnimatedImage.h"
#include "widgets/GradientPaint.h"
#include "widgets/ShapeControl.h"

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <utility>

namespace form
{

using Action = std::function<void()>;

// A caption's typeface: Comic Sans MS at a character height, in a colour.
struct Text
{
    int height = 13;
    ui::Color color = ui::clWhite;
    bool bold = false;
};

// One control of the list. The modifiers add the properties that only some controls store.
class Item
{
public:
    // A fixed box instead of one sized to the caption; height 0 keeps the caption's line height.
    Item&& Size(int width, int height) &&;
    Item&& Align(ui::Alignment alignment) && { return Set(&Item::alignment_, alignment); }
    Item&& Wrap() && { return Set(&Item::wrap_, true); }
    // The widest the caption grows; past it the caption is cut.
    Item&& MaxWidth(int maxWidth) && { return Set(&Item::maxWidth_, maxWidth); }
    // The caption's last bytes that a cut never drops.
    Item&& KeepEnd(std::size_t keptEnd) && { return Set(&Item::keptEnd_, keptEnd); }
    // A field being typed in: a caption too wide shows its end.
    Item&& EndInView() && { return Set(&Item::endInView_, true); }
    Item&& Padding(int padding) && { return Set(&Item::padding_, padding); }
    // A label without a background, or a picture without the colour given (by default its
    // bottom-left pixel's).
    Item&& Transparent(std::optional<ui::Color> colour = {}) &&;
    // The background, instead of the parent's.
    Item&& Color(ui::Color colour) && { return Set(&Item::background_, colour); }
    Item&& Resample(ui::Resample resample) && { return Set(&Item::resample_, resample); }
    // An animation's frame shown first and the milliseconds between frames.
    Item&& Frames(int first, int interval) &&;
    Item&& Hidden() && { return Set(&Item::hidden_, true); }
    // Mouse press (any button), release (any), and click (a left release over the control, run
    // before the release's action); an empty action leaves that event alone.
    Item&& OnMouse(Action down, Action up, Action click) &&;
    Item&& OnClick(Action click) && { return Set(&Item::click_, std::move(click)); }

private:
    enum class Kind
    {
        Panel,
        Label,
        Picture,
        CentredPicture,
        Box,
        Gradient,
        Animation,
        Arrow
    };

    Item(Kind kind, ui::Control& control, ui::Rect bounds);
    template <class T, class V> Item&& Set(T Item::*field, V&& value)
    {
        this->*field = std::forward<V>(value);
        return std::move(*this);
    }
    void Apply() const;
    void ApplyLabel(ui::Label& label) const;

    Kind kind_;
    ui::Control* control_;
    ui::Rect bounds_;
    std::string text_; // a caption, or the name of a picture compiled into the program
    Text font_;
    ui::Color colour_ = ui::clBlack;
    std::optional<ui::Color> endColour_;
    std::optional<ui::Color> background_;
    std::optional<ui::Color> transparent_;
    bool isTransparent_ = false;
    bool filled_ = false;
    bool fixedSize_ = false;
    bool wrap_ = false;
    bool endInView_ = false;
    bool hidden_ = false;
    ui::Alignment alignment_ = ui::Alignment::Left;
    ui::Resample resample_ = ui::Resample::Smooth;
    widgets::TRotation rotation_ = widgets::TRotation::_0;
    int maxWidth_ = 0;
    std::size_t keptEnd_ = 0;
    int padding_ = 0;
    int firstFrame_ = 0;
    int interval_ = 0;
    Action down_;
    Action up_;
    Action click_;

    friend Item Panel(ui::Panel& panel, ui::Rect bounds);
    friend Item Surface(ui::PaintBox& surface, ui::Rect bounds);
    friend Item Label(ui::Label& label, int left, int top, std::string caption, Text text);
    friend Item Picture(ui::Image& image, ui::Rect bounds, std::string name);
    friend Item CentredPicture(ui::Image& image, ui::Rect box, std::string name);
    friend Item Button(ui::Image& image, int left, int top, Action click);
    friend Item Box(ui::Shape& shape, ui::Rect bounds, ui::Color pen, bool filled);
    friend Item Gradient(widgets::TzNWBlendPaint& paint, ui::Rect bounds, ui::Color from,
                         std::optional<ui::Color> to);
    friend Item Animation(widgets::TAnimatedImage& image, ui::Rect bounds, std::string strip,
                          ui::Color transparent);
    friend Item Arrow(widgets::TCDKShape& shape, ui::Rect bounds, widgets::TRotation rotation,
                      ui::Color colour);
    friend void Build(std::span<const Item> items);
};

Item Panel(ui::Panel& panel, ui::Rect bounds);
// A drawing surface, which keeps what the screen draws on it.
Item Surface(ui::PaintBox& surface, ui::Rect bounds);
// A caption with its top-left corner at (left, top), sized to its text unless Size says.
Item Label(ui::Label& label, int left, int top, std::string caption, Text text);
// A picture compiled into the program.
Item Picture(ui::Image& image, ui::Rect bounds, std::string name);
// A picture compiled into the program at its own size, centred in box; of no size at box's
// corner when the program has no such picture.
Item CentredPicture(ui::Image& image, ui::Rect box, std::string name);
// The screen button: the red ball, drawn transparent on the black panel. Given a click action,
// it also sinks 3 pixels while a mouse button is held on it.
Item Button(ui::Image& image, int left, int top, Action click = {});
// A rectangle outlined in pen, filled black or not filled.
Item Box(ui::Shape& shape, ui::Rect bounds, ui::Color pen, bool filled);
// A horizontal gradient between two colours (the second as the gradient leaves it unless given).
Item Gradient(widgets::TzNWBlendPaint& paint, ui::Rect bounds, ui::Color from,
              std::optional<ui::Color> to = {});
// A strip of frames shown in turn, running from the start.
Item Animation(widgets::TAnimatedImage& image, ui::Rect bounds, std::string strip,
               ui::Color transparent);
// A filled triangle pointing the rotation's way.
Item Arrow(widgets::TCDKShape& shape, ui::Rect bounds, widgets::TRotation rotation,
           ui::Color colour);

// Gives each control its properties. The list follows the order the controls were created in,
// which is the order they are painted in: a list out of that order throws std::logic_error.
void Build(std::span<const Item> items);

} // namespace form
