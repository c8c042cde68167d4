// The in-window message box: its layout, the wrapping of its text and the keys that close it.
#include "ui/MessageDialog.h"

#include "ui/Platform.h"

#include <algorithm>
#include <utility>

namespace ui
{

namespace
{
constexpr int kMargin = 24;
constexpr int kTextTop = 20;
constexpr int kButtonGap = 20;
constexpr int kBottom = 18;
constexpr int kPressShift = 3;
const Font kTextFont{"Comic Sans MS", 16, false, clWhite};
const Font kButtonFont{"Comic Sans MS", 16, true, clYellow};

void BreakLongWord(const Font& font, std::string_view word, int width, double scale,
                   std::vector<std::string>& lines, std::string& line)
{
    for (const char c : word)
    {
        std::string next = line + c;
        if (!line.empty() && TextExtent(font, next, scale).width > width)
        {
            lines.push_back(line);
            next = std::string(1, c);
        }
        line = std::move(next);
    }
}
} // namespace

std::vector<std::string> WrapText(const Font& font, std::string_view text, int width, double scale)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;)
    {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view paragraph = text.substr(start, end - start);
        std::string line;
        std::size_t i = 0;
        while (i <= paragraph.size())
        {
            const std::size_t j = std::min(paragraph.find(' ', i), paragraph.size());
            const std::string_view word = paragraph.substr(i, j - i);
            std::string candidate =
                line.empty() ? std::string(word) : line + " " + std::string(word);
            if (TextExtent(font, candidate, scale).width <= width)
                line = std::move(candidate);
            else
            {
                if (!line.empty())
                    lines.push_back(std::exchange(line, {}));
                BreakLongWord(font, word, width, scale, lines, line);
            }
            i = j + 1;
        }
        lines.push_back(line);
        if (end >= text.size())
            break;
        start = end + 1;
    }
    return lines;
}

MessageDialog::MessageDialog(Platform& app, std::string_view message)
    : Form(app), box_(this), text_(&box_, *this), ok_(&box_), okCaption_(&box_),
      below_(app.TopForm())
{
    const int width = std::max(4 * kMargin, std::min(kWidth, app.ScreenWidth() - 40));
    const int textWidth = width - 2 * kMargin;
    const int lineHeight = LineHeight(kTextFont);
    const int buttonHeight = 27;
    lines_ = WrapText(kTextFont, message, textWidth, app.Scale());
    // A message taller than the screen keeps its first lines.
    const int room = app.ScreenHeight() - 40 - kTextTop - kButtonGap - buttonHeight - kBottom;
    const auto fit = static_cast<std::size_t>(std::max(1, room / std::max(1, lineHeight)));
    if (lines_.size() > fit)
        lines_.resize(fit);
    const int textHeight = lineHeight * static_cast<int>(lines_.size());
    const int buttonTop = kTextTop + textHeight + kButtonGap;
    const int height = buttonTop + buttonHeight + kBottom;

    box_.SetBounds(0, 0, width, height);
    box_.SetPen(Pen{kOutline, 2, true});
    box_.SetBrush(Brush{clBlack, true});
    CenterPanel(box_);
    text_.SetBounds(kMargin, kTextTop, textWidth, textHeight);

    ok_.SetPicture(Bitmap::Embedded("button.bmp"));
    ok_.SetTransparent(true);
    okCaption_.SetFont(kButtonFont);
    okCaption_.SetTransparent(true);
    okCaption_.SetCaption("OK");
    const int buttonWidth = 28 + 8 + okCaption_.Width();
    ok_.SetBounds((width - buttonWidth) / 2, buttonTop, 28, buttonHeight);
    okCaption_.SetLeft(ok_.Left() + 28 + 8);
    okCaption_.SetTop(buttonTop + (buttonHeight - okCaption_.Height()) / 2);

    const auto close = [this](Control&)
    {
        Hide();
    };
    ok_.OnClick = close;
    okCaption_.OnClick = close;
    // The ball sinks while a button is held on it, as on every screen's buttons; the
    // capture brings the release here even when the pointer left it.
    ok_.OnMouseDown = [this](Control& c, MouseButton, int, int)
    {
        if (pressed_ != nullptr)
            return;
        pressed_ = &c;
        c.SetBounds(c.Left() + kPressShift, c.Top() + kPressShift, c.Width(), c.Height());
    };
    ok_.OnMouseUp = [this](Control& c, MouseButton, int, int)
    {
        if (pressed_ != &c)
            return;
        pressed_ = nullptr;
        c.SetBounds(c.Left() - kPressShift, c.Top() - kPressShift, c.Width(), c.Height());
    };
    OnKeyDown = [](Form& form, int& key)
    {
        if (key == vk::Return || key == vk::Space || key == vk::Escape)
        {
            key = 0;
            form.Hide();
        }
    };
}

void MessageDialog::Run()
{
    const bool cursor = App().CursorVisible();
    App().SetCursorVisible(true);
    ShowModal();
    Hide();
    App().SetCursorVisible(cursor);
}

void MessageDialog::Paint(Canvas& canvas)
{
    // Painted again rather than left in the screen image, which a new framebuffer (a window
    // mapped, resized or switched) starts afresh.
    if (below_ != nullptr && below_ != this && App().IsShown(*below_))
        PaintTree(*below_, canvas);
    else
        canvas.FillRect(ClientRect(), clBlack);
}

void MessageDialog::Text::Paint(Canvas& canvas)
{
    const int lineHeight = LineHeight(kTextFont);
    int y = 0;
    for (const std::string& line : owner_.Lines())
    {
        canvas.TextOut(0, y, line, kTextFont);
        y += lineHeight;
    }
}

} // namespace ui
