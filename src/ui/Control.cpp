// The control tree and the standard controls.
#include "ui/Control.h"

#include "ui/Form.h"
#include "ui/FrameTiming.h"
#include "ui/Platform.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <vector>

namespace ui
{

namespace
{

// Gives a property its new value; false when it held that value already, so its setter does
// nothing more.
template <class T> bool Replace(T& field, const T& value)
{
    if (field == value)
        return false;
    field = value;
    return true;
}

} // namespace

Control::Control(Control* parent) : parent_(parent)
{
    if (parent_ != nullptr)
        parent_->children_.push_back(this);
}

Control::~Control()
{
    if (parent_ != nullptr)
        std::erase(parent_->children_, this);
    for (Control* child : children_)
        child->parent_ = nullptr;
}

Form* Control::OwnerForm()
{
    Control* c = this;
    while (c->parent_ != nullptr)
        c = c->parent_;
    return dynamic_cast<Form*>(c);
}

void Control::SetBounds(int left, int top, int width, int height)
{
    const Rect next = Bounds(left, top, std::max(0, width), std::max(0, height));
    if (next == bounds_)
        return;
    Invalidate();
    const bool resized = next.Width() != bounds_.Width() || next.Height() != bounds_.Height();
    bounds_ = next;
    if (resized)
        BoundsChanged();
    Invalidate();
    Root().ScreenChanged();
}

void Control::SetVisible(bool visible)
{
    if (visible == visible_)
        return;
    if (visible_)
        Invalidate();
    visible_ = visible;
    Invalidate();
    // Siblings too: a panel shown or hidden covers or uncovers what lies beneath it.
    Root().ScreenChanged();
}

bool Control::Showing() const
{
    for (const Control* c = this; c != nullptr; c = c->parent_)
        if (!c->visible_)
            return false;
    return true;
}

bool Control::OnScreen() const
{
    const Control* c = this;
    Rect area = ClientRect();
    for (; c->parent_ != nullptr; c = c->parent_)
    {
        if (!c->visible_)
            return false;
        area = area.Offset(c->Left(), c->Top());
        const auto& siblings = c->parent_->children_;
        const auto self = std::find(siblings.begin(), siblings.end(), c);
        for (auto it = self + 1; it < siblings.end(); ++it)
        {
            const Control* s = *it;
            if (s->visible_ && s->CoversArea() && s->bounds_.Intersect(area) == area)
                return false;
        }
    }
    if (!c->visible_)
        return false;
    if (const auto* form = dynamic_cast<const Form*>(c))
        return form->App().TopForm() == form;
    return true;
}

void Control::ScreenChanged()
{
    OnScreenChanged();
    for (Control* child : children_)
        child->ScreenChanged();
}

Control& Control::Root()
{
    Control* c = this;
    while (c->parent_ != nullptr)
        c = c->parent_;
    return *c;
}

Color Control::GetColor() const
{
    if (parentColor_ && parent_ != nullptr)
        return parent_->GetColor();
    return color_;
}

void Control::SetColor(Color color)
{
    if (!parentColor_ && color == color_)
        return;
    color_ = color;
    parentColor_ = false;
    Invalidate();
}

void Control::SetParentColor(bool parentColor)
{
    if (parentColor == parentColor_)
        return;
    parentColor_ = parentColor;
    Invalidate();
}

Point Control::ToForm(Point local) const
{
    Point p = local;
    for (const Control* c = this; c->parent_ != nullptr; c = c->parent_)
    {
        p.x += c->Left();
        p.y += c->Top();
    }
    return p;
}

double Control::Scale() const
{
    const Control* c = this;
    while (c->parent_ != nullptr)
        c = c->parent_;
    const auto* form = dynamic_cast<const Form*>(c);
    return form != nullptr ? form->App().Scale() : 1.0;
}

void Control::ScaleChanged()
{
    AdjustToScale();
    for (Control* child : children_)
        child->ScaleChanged();
}

void Control::Invalidate()
{
    InvalidateRect(ClientRect());
}

void Control::InvalidateRect(Rect local)
{
    if (!visible_)
        return;
    Form* form = OwnerForm();
    if (form == nullptr)
        return;
    // Clip to every parent on the way up: nothing outside them is ever painted.
    Rect r = local.Intersect(ClientRect());
    const Control* c = this;
    while (c->parent_ != nullptr && !r.Empty())
    {
        r = r.Offset(c->Left(), c->Top()).Intersect(c->parent_->ClientRect());
        if (!c->parent_->visible_)
            return;
        c = c->parent_;
    }
    if (!r.Empty())
        form->App().InvalidateFormRect(*form, r);
}

bool Control::HitTest(Point) const
{
    return true;
}

void Control::Paint(Canvas&) {}

Panel::Panel(Control* parent) : Control(parent)
{
    SetParentColor(false);
    SetColor(clBlack);
}

void Panel::Paint(Canvas& canvas)
{
    canvas.FillRect(ClientRect(), GetColor());
}

namespace
{

// Font at the pixel size it is drawn at on a scaled screen.
Font AtScale(const Font& font, double scale)
{
    Font physical = font;
    physical.height = std::max(1, static_cast<int>(std::floor(font.height * scale + 0.5)));
    return physical;
}

// The logical width a text covers as drawn at a scale, to place what follows it.
int DrawnWidth(const Font& font, std::string_view text, double scale)
{
    return static_cast<int>(std::ceil(TextExtent(AtScale(font, scale), text).width / scale));
}

// The end of a text that reaches past `room` logical pixels when drawn at a scale, with a
// glyph's width to spare for kerning and overhangs: the rest lies beyond the box's near edge,
// and a field of a thousand characters would otherwise be rasterised whole at every paint.
std::string_view EndReachingPast(std::string_view text, const Font& font, int room, double scale)
{
    const Font physical = AtScale(font, scale);
    const int limit = static_cast<int>(std::ceil(room * scale)) + physical.height;
    std::vector<std::size_t> starts; // where each character starts, in bytes
    for (std::size_t i = 0; i < text.size(); ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            starts.push_back(i);
    // The fewest characters at the end wider than the limit, or all of them.
    std::size_t lo = 0;
    std::size_t hi = starts.size();
    while (lo < hi)
    {
        const std::size_t mid = (lo + hi) / 2;
        if (TextExtent(physical, text.substr(starts[starts.size() - 1 - mid])).width > limit)
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo < starts.size() ? text.substr(starts[starts.size() - 1 - lo]) : text;
}

} // namespace

Label::Label(Control* parent) : Control(parent)
{
    font_.color = clWhite;
    AdjustBounds();
}

void Label::SetCaption(std::string caption)
{
    if (caption == caption_)
        return;
    caption_ = std::move(caption);
    AdjustBounds();
    Invalidate();
}

void Label::SetFont(const ui::Font& font)
{
    font_ = font;
    AdjustBounds();
    Invalidate();
}

void Label::SetFontColor(Color color)
{
    if (color == font_.color)
        return;
    font_.color = color;
    Invalidate();
}

void Label::SetAlignment(ui::Alignment alignment)
{
    if (alignment == alignment_)
        return;
    alignment_ = alignment;
    Invalidate();
}

void Label::SetAutoSize(bool autoSize)
{
    if (autoSize == autoSize_)
        return;
    autoSize_ = autoSize;
    AdjustBounds();
}

void Label::SetMaxWidth(int maxWidth)
{
    if (maxWidth == maxWidth_)
        return;
    maxWidth_ = maxWidth;
    AdjustBounds();
    Invalidate();
}

void Label::SetKeptEnd(std::size_t keptEnd)
{
    if (Replace(keptEnd_, keptEnd))
        Invalidate();
}

void Label::SetEndInView(bool endInView)
{
    if (Replace(endInView_, endInView))
        Invalidate();
}

void Label::SetCaret(bool caret)
{
    if (Replace(caret_, caret))
        Invalidate();
}

void Label::SetPadding(int padding)
{
    if (!Replace(padding_, padding))
        return;
    AdjustBounds();
    Invalidate();
}

void Label::SetWordWrap(bool wordWrap)
{
    if (wordWrap == wordWrap_)
        return;
    wordWrap_ = wordWrap;
    AdjustBounds();
    Invalidate();
}

void Label::SetTransparent(bool transparent)
{
    if (transparent == transparent_)
        return;
    transparent_ = transparent;
    Invalidate();
}

std::vector<std::string> Label::Lines() const
{
    std::vector<std::string> lines;
    if (!wordWrap_)
    {
        lines.push_back(caption_);
        return lines;
    }
    // Break at spaces so that each line fits the width; a word longer than the width stands
    // on a line of its own.
    std::string line;
    std::size_t i = 0;
    while (i < caption_.size())
    {
        std::size_t j = caption_.find(' ', i);
        if (j == std::string::npos)
            j = caption_.size();
        const std::string word = caption_.substr(i, j - i);
        const std::string candidate = line.empty() ? word : line + " " + word;
        if (!line.empty() && Extent(candidate).width > Width() - 2 * padding_)
        {
            lines.push_back(line);
            line = word;
        }
        else
        {
            line = candidate;
        }
        i = j + 1;
    }
    if (!line.empty() || lines.empty())
        lines.push_back(line);
    return lines;
}

int Label::LinesHeld() const
{
    return std::max(1, (Height() - 2 * padding_) / std::max(1, LineHeight(font_)));
}

void Label::AdjustBounds()
{
    if (!autoSize_)
        return;
    const int lineHeight = LineHeight(font_);
    if (wordWrap_)
        SetHeight(lineHeight * static_cast<int>(Lines().size()) + 2 * padding_);
    else
    {
        const TextSize size = Extent(caption_);
        const int width = size.width + 2 * padding_;
        SetBounds(Left(), Top(), maxWidth_ > 0 ? std::min(width, maxWidth_) : width,
                  size.height + 2 * padding_);
    }
}

TextSize Label::Extent(std::string_view text) const
{
    return TextExtent(font_, text, Scale());
}

void Label::AdjustToScale()
{
    AdjustBounds();
    Invalidate();
}

void Label::Paint(Canvas& canvas)
{
    if (!transparent_)
        canvas.FillRect(ClientRect(), GetColor());
    const std::vector<std::string> lines = Lines();
    int y = padding_;
    for (std::size_t i = 0; i < lines.size(); ++i)
    {
        PaintLine(canvas, lines[i], y, i + 1 == lines.size());
        y += LineHeight(font_);
    }
}

void Label::PaintLine(Canvas& canvas, const std::string& line, int y, bool last)
{
    const double scale = canvas.Scale();
    const bool caret = caret_ && last;
    // The caret stands two pixels after the text, clear of a last letter's overhang, and is a
    // pixel wide.
    const int room = Width() - 2 * padding_ - (caret ? 3 : 0);
    const bool tooWide = Extent(line).width > room;
    std::string shown;
    int x = 0;
    int w = 0;
    if (tooWide && endInView_)
    {
        shown = EndReachingPast(line, font_, room, scale);
        w = DrawnWidth(font_, shown, scale);
        x = room - w;
    }
    else
    {
        // Fitted, the line keeps its alignment: a centred name keeps its first character.
        shown = tooWide ? FitText(font_, line, room, scale, wordWrap_ ? 0 : keptEnd_) : line;
        w = caret ? DrawnWidth(font_, shown, scale) : Extent(shown).width;
        if (alignment_ == ui::Alignment::Right)
            x = room - w;
        else if (alignment_ == ui::Alignment::Center)
            x = (room - w) / 2;
    }
    canvas.TextOut(padding_ + x, y, shown, font_);
    if (caret)
    {
        const int lineHeight = LineHeight(font_);
        canvas.FillRect(Bounds(padding_ + x + w + 2, y + lineHeight / 8, 1, lineHeight * 3 / 4),
                        font_.color);
    }
}

Image::Image(Control* parent) : Control(parent) {}

void Image::SetPicture(Bitmap picture)
{
    picture_ = std::move(picture);
    Invalidate();
}

void Image::SetTransparent(bool transparent)
{
    if (transparent == transparent_)
        return;
    transparent_ = transparent;
    Invalidate();
}

Color Image::TransparentColor() const
{
    if (transparentColor_)
        return *transparentColor_;
    if (picture_.Empty())
        return clBlack;
    return picture_.Pixel(0, picture_.Height() - 1);
}

void Image::SetTransparentColor(std::optional<Color> color)
{
    transparentColor_ = color;
    Invalidate();
}

void Image::SetStretch(bool stretch)
{
    if (stretch == stretch_)
        return;
    stretch_ = stretch;
    Invalidate();
}

void Image::SetResample(ui::Resample resample)
{
    if (resample == resample_)
        return;
    resample_ = resample;
    Invalidate();
}

void Image::Paint(Canvas& canvas)
{
    if (picture_.Empty())
        return;
    const Rect dst = stretch_ ? ClientRect() : Rect{0, 0, picture_.Width(), picture_.Height()};
    const std::optional<Color> key =
        transparent_ ? std::optional<Color>(TransparentColor()) : std::nullopt;
    canvas.DrawPart(dst, picture_, picture_.BoundsRect(), key, resample_);
}

Shape::Shape(Control* parent) : Control(parent)
{
    SetBounds(0, 0, 65, 65);
}

void Shape::SetPen(const ui::Pen& pen)
{
    pen_ = pen;
    Invalidate();
}

void Shape::SetPenColor(Color color)
{
    if (color == pen_.color)
        return;
    pen_.color = color;
    Invalidate();
}

void Shape::SetBrush(const ui::Brush& brush)
{
    brush_ = brush;
    Invalidate();
}

void Shape::SetShape(ShapeType shape)
{
    if (shape == shape_)
        return;
    shape_ = shape;
    Invalidate();
}

void Shape::Paint(Canvas& canvas)
{
    // The outline lies inside the control whatever the pen's width.
    const int p = pen_.visible ? std::max(1, pen_.width) : 0;
    const int x = p / 2;
    const Rect r = Bounds(x, x, Width() - p + (p > 0 ? 1 : 0), Height() - p + (p > 0 ? 1 : 0));
    switch (shape_)
    {
    case ShapeType::Rectangle:
        canvas.Rectangle(ClientRect(), pen_, brush_);
        break;
    case ShapeType::RoundRect:
        canvas.RoundRect(r, std::min(Width(), Height()) / 4, std::min(Width(), Height()) / 4, pen_,
                         brush_);
        break;
    case ShapeType::Ellipse:
        canvas.Ellipse(r, pen_, brush_);
        break;
    }
}

PaintBox::PaintBox(Control* parent) : Control(parent) {}

void PaintBox::BoundsChanged()
{
    bitmap_.Resize(Width(), Height(), GetColor());
    placed_.clear();
}

void PaintBox::Uncover(Rect area)
{
    std::erase_if(placed_, [&](const Placed& p) { return !p.area.Intersect(area).Empty(); });
}

void PaintBox::DrawPicture(int x, int y, const Bitmap& picture)
{
    if (picture.Empty())
        return;
    const Rect area = Bounds(x, y, picture.Width(), picture.Height());
    ui::Canvas(bitmap_).Draw(x, y, picture);
    Uncover(area);
    placed_.push_back({area, picture});
}

void PaintBox::FillRect(Rect r, Color c)
{
    ui::Canvas(bitmap_).FillRect(r, c);
    Uncover(r);
}

ui::Canvas PaintBox::Canvas()
{
    placed_.clear();
    return ui::Canvas(bitmap_);
}

void PaintBox::Paint(ui::Canvas& canvas)
{
    const Rect clip = canvas.LocalClip();
    // Scaled, a clip within one picture (a worm's section just drawn) shows that picture alone,
    // which covers every pixel of its place: the surface beneath need not be resampled first.
    if (canvas.Scale() != 1.0)
        for (const Placed& p : placed_)
            if (p.area.Intersect(clip) == clip)
            {
                canvas.DrawPart(p.area, p.picture, p.picture.BoundsRect());
                return;
            }
    canvas.Draw(0, 0, bitmap_);
    // Unscaled, the surface holds the pictures pixel for pixel.
    if (canvas.Scale() == 1.0)
        return;
    for (const Placed& p : placed_)
    {
        if (!p.area.Intersect(clip).Empty())
            canvas.DrawPart(p.area, p.picture, p.picture.BoundsRect());
    }
}

namespace
{

// Whether a visible child from `first` on paints over all of `area` (the parent's coordinates).
bool Hidden(const std::vector<Control*>& children, std::size_t first, Rect area)
{
    for (std::size_t i = first; i < children.size(); ++i)
    {
        const Control* c = children[i];
        if (c->Visible() && c->CoversArea() && c->BoundsRect().Intersect(area) == area)
            return true;
    }
    return false;
}

} // namespace

void PaintTree(Control& control, Canvas& canvas)
{
    if (!control.Visible())
        return;
    // What a later opaque child paints over would be painted for nothing: in a game frame the
    // screen, the panels and the board's ground all lie under the board's picture.
    const auto& children = control.Children();
    const Rect clip = canvas.LocalClip();
    if (!Hidden(children, 0, clip))
    {
        // The form's own paint is the screen's background.
        const timing::Scope timed(control.Parent() == nullptr ? timing::Part::Clear
                                                              : timing::Part::Panels);
        control.Paint(canvas);
    }
    for (std::size_t i = 0; i < children.size(); ++i)
    {
        Control* child = children[i];
        if (!child->Visible())
            continue;
        Canvas sub = canvas.Child(child->Left(), child->Top(), child->Width(), child->Height());
        const Rect area = sub.LocalClip().Offset(child->Left(), child->Top());
        if (area.Empty() || Hidden(children, i + 1, area))
            continue;
        PaintTree(*child, sub);
    }
}

} // namespace ui
