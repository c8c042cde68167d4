// Controls: a tree of rectangles painted in creation order, later ones above earlier ones, with
// the mouse events the screens use.
#pragma once

#include "ui/Bitmap.h"
#include "ui/Canvas.h"
#include "ui/Fonts.h"
#include "ui/Types.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ui
{

class Form;

class Control
{
public:
    using NotifyEvent = std::function<void(Control& sender)>;
    using MouseEvent = std::function<void(Control& sender, MouseButton button, int x, int y)>;

    // A control registers with its parent, which paints it after the children created earlier.
    explicit Control(Control* parent);
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control();

    Control* Parent() const { return parent_; }
    const std::vector<Control*>& Children() const { return children_; }
    // The form this control lies on (itself for a form).
    Form* OwnerForm();

    int Left() const { return bounds_.left; }
    int Top() const { return bounds_.top; }
    int Width() const { return bounds_.Width(); }
    int Height() const { return bounds_.Height(); }
    void SetLeft(int left) { SetBounds(left, Top(), Width(), Height()); }
    void SetTop(int top) { SetBounds(Left(), top, Width(), Height()); }
    void SetWidth(int width) { SetBounds(Left(), Top(), width, Height()); }
    void SetHeight(int height) { SetBounds(Left(), Top(), Width(), height); }
    void SetBounds(int left, int top, int width, int height);
    Rect BoundsRect() const { return bounds_; }
    Rect ClientRect() const { return {0, 0, Width(), Height()}; }

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    // Visible itself and every parent visible.
    bool Showing() const;
    // Showing, on the form on top (or on no form at all), and not wholly under a later sibling
    // (of itself or of a parent) that paints all of its area: whether anything of it can be seen.
    bool OnScreen() const;
    // Whether the control paints every pixel of its area, hiding whatever lies beneath.
    virtual bool CoversArea() const { return false; }
    // Tells this control and all beneath it that what is on screen may have changed.
    void ScreenChanged();

    // The background colour; with ParentColor the parent's.
    Color GetColor() const;
    void SetColor(Color color);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool parentColor);

    // Position of a local point in the coordinates of the form.
    Point ToForm(Point local) const;
    // Physical pixels per logical pixel where the control is shown (1 off any application).
    double Scale() const;
    // The scale changed: the control and its children adjust what depends on it.
    void ScaleChanged();

    // Asks for this control's area to be painted again at the next turn of the message loop.
    void Invalidate();
    void InvalidateRect(Rect local);
    // Paints at once: here the same as Invalidate, as painting happens only in the loop.
    void Repaint() { Invalidate(); }

    // Whether a point (local coordinates) is on the control for the mouse.
    virtual bool HitTest(Point local) const;
    // Paints the control itself; children are painted afterwards by the form.
    virtual void Paint(Canvas& canvas);

    NotifyEvent OnClick;
    MouseEvent OnMouseDown;
    MouseEvent OnMouseUp;
    std::function<void(Control& sender, int x, int y)> OnMouseMove;

protected:
    virtual void BoundsChanged() {}
    // Called whenever OnScreen may have changed (it may also be unchanged).
    virtual void OnScreenChanged() {}
    virtual void AdjustToScale() {}

private:
    Control& Root();

    Control* parent_;
    std::vector<Control*> children_;
    Rect bounds_;
    bool visible_ = true;
    bool parentColor_ = true;
    Color color_ = clBlack;
};

class Panel : public Control
{
public:
    explicit Panel(Control* parent);
    void Paint(Canvas& canvas) override;
    bool CoversArea() const override { return true; }
};

enum class Alignment
{
    Left,
    Right,
    Center
};

class Label : public Control
{
public:
    explicit Label(Control* parent);

    // A caption too wide for its box is cut after a whole character and ends with an ellipsis.
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);
    // The caption's last bytes that a cut never drops: it drops the characters before them (a
    // message keeps the end of its sentence and shortens the name in it).
    void SetKeptEnd(std::size_t keptEnd);
    const ui::Font& Font() const { return font_; }
    void SetFont(const ui::Font& font);
    void SetFontColor(Color color);
    ui::Alignment Alignment() const { return alignment_; }
    void SetAlignment(ui::Alignment alignment);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    // The widest an auto-sized label grows (0: no limit): a longer caption is cut at this edge,
    // so that a long name never covers what lies beside its box.
    void SetMaxWidth(int maxWidth);
    // A field being typed in: a caption too wide for the box shows its end, cut at the near edge.
    void SetEndInView(bool endInView);
    // A thin bar in the font's colour after the caption's last character, where typing goes on.
    void SetCaret(bool caret);
    // Room kept clear around the text on every side; an auto-sized label grows by it.
    void SetPadding(int padding);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool wordWrap);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);

    // The caption broken into the lines it is painted in, at the scale it is shown at.
    std::vector<std::string> Lines() const;
    // The lines of the font that the box's height holds (at least one): a wrapped caption that
    // needs more has lines that stand beside the wrong neighbours or are cut off.
    int LinesHeld() const;
    void Paint(Canvas& canvas) override;

protected:
    void AdjustToScale() override;

private:
    void AdjustBounds();
    TextSize Extent(std::string_view text) const;
    // Paints one line at y: fitted to the room, aligned, and with the caret when asked for.
    void PaintLine(Canvas& canvas, const std::string& line, int y, bool last);

    std::string caption_;
    std::size_t keptEnd_ = 0;
    bool endInView_ = false;
    bool caret_ = false;
    int padding_ = 0;
    ui::Font font_;
    ui::Alignment alignment_ = ui::Alignment::Left;
    bool autoSize_ = true;
    int maxWidth_ = 0;
    bool wordWrap_ = false;
    bool transparent_ = false;
};

class Image : public Control
{
public:
    explicit Image(Control* parent);

    const Bitmap& Picture() const { return picture_; }
    void SetPicture(Bitmap picture);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    // The colour left out when transparent: the picture's bottom-left pixel unless set.
    Color TransparentColor() const;
    void SetTransparentColor(std::optional<Color> color);
    void SetStretch(bool stretch);
    // How the picture meets a scale; smooth unless it is line art.
    void SetResample(ui::Resample resample);

    void Paint(Canvas& canvas) override;

private:
    Bitmap picture_;
    bool transparent_ = false;
    bool stretch_ = false;
    ui::Resample resample_ = ui::Resample::Smooth;
    std::optional<Color> transparentColor_;
};

enum class ShapeType
{
    Rectangle,
    RoundRect,
    Ellipse
};

class Shape : public Control
{
public:
    explicit Shape(Control* parent);

    const ui::Pen& Pen() const { return pen_; }
    void SetPen(const ui::Pen& pen);
    void SetPenColor(Color color);
    const ui::Brush& Brush() const { return brush_; }
    void SetBrush(const ui::Brush& brush);
    void SetShape(ShapeType shape);

    void Paint(Canvas& canvas) override;

private:
    ui::Pen pen_;
    ui::Brush brush_;
    ShapeType shape_ = ShapeType::Rectangle;
};

// A drawing surface that keeps what is drawn on it: repaints show its own bitmap. The bitmap
// stays at the logical size, whatever the screen (a few hundred kilobytes for the board rather
// than a second copy of a large part of the screen), and is resampled smoothly onto the screen
// when painted. Pictures drawn with DrawPicture are kept beside it as well and painted over it
// from themselves (their finer drawings where they have them), so that they stay as sharp on a
// scaled screen as they are on their own, until something is drawn over their place.
class PaintBox : public Control
{
public:
    explicit PaintBox(Control* parent);

    // Draws a picture at its own size with its top-left corner at (x, y).
    void DrawPicture(int x, int y, const Bitmap& picture);
    void FillRect(Rect r, Color c);
    // Draw anything else here (the pictures drawn so far are then shown as the surface holds
    // them). After any drawing, InvalidateRect the area drawn.
    ui::Canvas Canvas();
    const Bitmap& Surface() const { return bitmap_; }

    void Paint(ui::Canvas& canvas) override;
    bool CoversArea() const override { return true; }

protected:
    void BoundsChanged() override;

private:
    // Forgets the pictures that `area` overlaps: the surface holds what is there now.
    void Uncover(Rect area);

    struct Placed
    {
        Rect area;
        Bitmap picture;
    };
    Bitmap bitmap_;
    std::vector<Placed> placed_;
};

// Paints a control and its visible children onto a canvas that is placed at the control.
void PaintTree(Control& control, Canvas& canvas);

} // namespace ui
