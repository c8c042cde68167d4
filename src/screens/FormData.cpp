// Form data: the list of a screen's controls given to the controls, in the order they were made.
#include "screens/FormData.h"

#include "screens/ScreenButton.h"
#include "ui/Bitmap.h"
#include "ui/Fonts.h"

#include <algorithm>
#include <stdexcept>
#include <utility>
#include <vector>

namespace form
{

namespace
{

// The screen button's picture and the size it is shown at.
constexpr int kButtonWidth = 28;
constexpr int kButtonHeight = 27;

void WireMouse(ui::Control& control, Action down, Action up, Action click)
{
    if (down)
        control.OnMouseDown = [down = std::move(down)](ui::Control&, ui::MouseButton, int, int)
        {
            down();
        };
    if (up)
        control.OnMouseUp = [up = std::move(up)](ui::Control&, ui::MouseButton, int, int)
        {
            up();
        };
    if (click)
        control.OnClick = [click = std::move(click)](ui::Control&)
        {
            click();
        };
}

void InCreationOrder(ui::Control& control, std::vector<const ui::Control*>& order)
{
    order.push_back(&control);
    for (ui::Control* child : control.Children())
        InCreationOrder(*child, order);
}

} // namespace

Item::Item(Kind kind, ui::Control& control, ui::Rect bounds)
    : kind_(kind), control_(&control), bounds_(bounds)
{
}

Item&& Item::Size(int width, int height) &&
{
    fixedSize_ = true;
    bounds_.right = bounds_.left + width;
    bounds_.bottom = bounds_.top + height;
    return std::move(*this);
}

Item&& Item::Transparent(std::optional<ui::Color> colour) &&
{
    isTransparent_ = true;
    transparent_ = colour;
    return std::move(*this);
}

Item&& Item::Frames(int first, int interval) &&
{
    firstFrame_ = first;
    interval_ = interval;
    return std::move(*this);
}

Item&& Item::OnMouse(Action down, Action up, Action click) &&
{
    down_ = std::move(down);
    up_ = std::move(up);
    click_ = std::move(click);
    return std::move(*this);
}

Item Panel(ui::Panel& panel, ui::Rect bounds)
{
    return {Item::Kind::Panel, panel, bounds};
}

Item Surface(ui::PaintBox& surface, ui::Rect bounds)
{
    return {Item::Kind::Panel, surface, bounds};
}

Item Label(ui::Label& label, int left, int top, std::string caption, Text text)
{
    Item item(Item::Kind::Label, label, ui::Bounds(left, top, 0, 0));
    item.text_ = std::move(caption);
    item.font_ = text;
    return item;
}

Item Picture(ui::Image& image, ui::Rect bounds, std::string name)
{
    Item item(Item::Kind::Picture, image, bounds);
    item.text_ = std::move(name);
    return item;
}

Item CentredPicture(ui::Image& image, ui::Rect box, std::string name)
{
    Item item(Item::Kind::CentredPicture, image, box);
    item.text_ = std::move(name);
    return item;
}

Item Button(ui::Image& image, int left, int top, Action click)
{
    Item item = Picture(image, ui::Bounds(left, top, kButtonWidth, kButtonHeight), "button.bmp");
    item.isTransparent_ = true;
    if (click)
    {
        item.down_ = [&image]
        {
            ScreenButtonDown(image);
        };
        item.up_ = [&image]
        {
            ScreenButtonUp(image);
        };
        item.click_ = std::move(click);
    }
    return item;
}

Item Box(ui::Shape& shape, ui::Rect bounds, ui::Color pen, bool filled)
{
    Item item(Item::Kind::Box, shape, bounds);
    item.colour_ = pen;
    item.filled_ = filled;
    return item;
}

Item Gradient(widgets::TzNWBlendPaint& paint, ui::Rect bounds, ui::Color from,
              std::optional<ui::Color> to)
{
    Item item(Item::Kind::Gradient, paint, bounds);
    item.colour_ = from;
    item.endColour_ = to;
    return item;
}

Item Animation(widgets::TAnimatedImage& image, ui::Rect bounds, std::string strip,
               ui::Color transparent)
{
    Item item(Item::Kind::Animation, image, bounds);
    item.text_ = std::move(strip);
    item.transparent_ = transparent;
    return item;
}

Item Arrow(widgets::TCDKShape& shape, ui::Rect bounds, widgets::TRotation rotation,
           ui::Color colour)
{
    Item item(Item::Kind::Arrow, shape, bounds);
    item.rotation_ = rotation;
    item.colour_ = colour;
    return item;
}

void Item::ApplyLabel(ui::Label& label) const
{
    label.SetBounds(bounds_.left, bounds_.top, label.Width(), label.Height());
    label.SetAlignment(alignment_);
    label.SetWordWrap(wrap_);
    label.SetTransparent(isTransparent_);
    label.SetMaxWidth(maxWidth_);
    label.SetKeptEnd(keptEnd_);
    label.SetEndInView(endInView_);
    label.SetPadding(padding_);
    label.SetFont(ui::Font{"Comic Sans MS", font_.height, font_.bold, font_.color});
    label.SetCaption(text_);
    if (!fixedSize_)
        return;
    // Sized to its caption first, so that a box without a height gets the caption's.
    const int height = bounds_.Height() > 0 ? bounds_.Height() : label.Height();
    label.SetAutoSize(false);
    label.SetBounds(bounds_.left, bounds_.top, bounds_.Width(), height);
}

void Item::Apply() const
{
    ui::Control& control = *control_;
    if (background_)
        control.SetColor(*background_);
    switch (kind_)
    {
    case Kind::Label:
        ApplyLabel(static_cast<ui::Label&>(control));
        break;
    case Kind::Picture:
    case Kind::CentredPicture:
    {
        auto& image = static_cast<ui::Image&>(control);
        ui::Bitmap picture = ui::Bitmap::Embedded(text_);
        ui::Rect bounds = bounds_;
        if (kind_ == Kind::CentredPicture)
            bounds = picture.Empty()
                         ? ui::Bounds(bounds_.left, bounds_.top, 0, 0)
                         : ui::Bounds(bounds_.left + (bounds_.Width() - picture.Width()) / 2,
                                      bounds_.top + (bounds_.Height() - picture.Height()) / 2,
                                      picture.Width(), picture.Height());
        image.SetBounds(bounds.left, bounds.top, bounds.Width(), bounds.Height());
        image.SetPicture(std::move(picture));
        image.SetTransparentColor(transparent_);
        image.SetTransparent(isTransparent_);
        image.SetResample(resample_);
        break;
    }
    case Kind::Box:
    {
        auto& shape = static_cast<ui::Shape&>(control);
        shape.SetBounds(bounds_.left, bounds_.top, bounds_.Width(), bounds_.Height());
        shape.SetBrush(ui::Brush{ui::clBlack, filled_});
        shape.SetPen(ui::Pen{colour_, 1, true});
        break;
    }
    case Kind::Gradient:
    {
        auto& paint = static_cast<widgets::TzNWBlendPaint&>(control);
        paint.SetBounds(bounds_.left, bounds_.top, bounds_.Width(), bounds_.Height());
        paint.SetFillType(widgets::gradType::gHorz);
        paint.SetColor(colour_);
        if (endColour_)
            paint.SetEndColor(*endColour_);
        break;
    }
    case Kind::Animation:
    {
        auto& animation = static_cast<widgets::TAnimatedImage&>(control);
        animation.BeginLoad();
        animation.SetBounds(bounds_.left, bounds_.top, bounds_.Width(), bounds_.Height());
        animation.SetActive(true);
        animation.SetGlyph(ui::Bitmap::Embedded(text_));
        if (firstFrame_ > 0)
            animation.SetGlyphNum(firstFrame_);
        if (interval_ > 0)
            animation.SetInterval(interval_);
        animation.SetTransparentColor(transparent_);
        // Hidden before it is loaded, so that it never runs for a moment in view.
        animation.SetVisible(!hidden_);
        animation.Loaded();
        break;
    }
    case Kind::Arrow:
    {
        auto& arrow = static_cast<widgets::TCDKShape&>(control);
        arrow.SetBounds(bounds_.left, bounds_.top, bounds_.Width(), bounds_.Height());
        arrow.SetShape(widgets::TShapeType::stTriangle);
        arrow.SetRotation(rotation_);
        arrow.Brush().SetColor(colour_);
        break;
    }
    case Kind::Panel:
        control.SetBounds(bounds_.left, bounds_.top, bounds_.Width(), bounds_.Height());
        break;
    }
    if (hidden_)
        control.SetVisible(false);
    WireMouse(control, down_, up_, click_);
}

void Build(std::span<const Item> items)
{
    if (items.empty())
        return;
    ui::Control* root = items.front().control_;
    while (root->Parent() != nullptr)
        root = root->Parent();
    std::vector<const ui::Control*> order;
    InCreationOrder(*root, order);
    auto next = order.begin();
    for (const Item& item : items)
    {
        next = std::find(next, order.end(), item.control_);
        if (next == order.end())
            throw std::logic_error("A form's data lists its controls out of creation order");
        item.Apply();
    }
}

} // namespace form
