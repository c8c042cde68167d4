// The game's own message box: a panel drawn in the game's window above the current screen, so
// that no dialog program or X core font is needed and nothing hides it behind the full screen.
#pragma once

#include "ui/Control.h"
#include "ui/Form.h"

#include <string>
#include <string_view>
#include <vector>

namespace ui
{

class Platform;

class MessageDialog final : public Form
{
public:
    static constexpr Color kOutline{0, 64, 255};
    // The widest the box gets; a narrower screen keeps a margin around it.
    static constexpr int kWidth = 560;

    MessageDialog(Platform& app, std::string_view message);

    // Shows the box above every screen and returns once Enter, Space, Esc or OK closed it.
    void Run();

    // The screen beneath shows through around the panel, though it gets no input.
    void Paint(Canvas& canvas) override;
    bool PlainBackground() const override { return false; }

    const Control& Box() const { return box_; }
    const Control& OkButton() const { return ok_; }
    const std::vector<std::string>& Lines() const { return lines_; }

private:
    class Text final : public Control
    {
    public:
        Text(Control* parent, const MessageDialog& owner) : Control(parent), owner_(owner) {}
        void Paint(Canvas& canvas) override;

    private:
        const MessageDialog& owner_;
    };

    Shape box_;
    Text text_;
    Image ok_;
    Label okCaption_;
    std::vector<std::string> lines_;
    Control* pressed_ = nullptr;
    Form* below_ = nullptr;
};

// Lines of at most width logical pixels, as the text is drawn at scale: broken at the message's
// own line ends, then at spaces, and a word too long for a line (a file path) at characters.
std::vector<std::string> WrapText(const Font& font, std::string_view text, int width,
                                  double scale = 1.0);

} // namespace ui
