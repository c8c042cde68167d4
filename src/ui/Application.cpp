// The platform assembled from its pieces (display, loop, input): the form stack the input goes
// to and the display paints, and the message box for what escapes a handler.
#include "ui/Application.h"

#include "platform/Diagnostics.h"
#include "ui/Canvas.h"
#include "ui/Form.h"
#include "ui/FrameTiming.h"
#include "ui/MessageDialog.h"

#include <SDL.h>

#include <algorithm>
#include <optional>
#include <typeinfo>
#include <vector>

namespace ui
{

namespace
{

std::unique_ptr<Presenter> MakePresenter(const Application::Options& options)
{
    if (options.headless)
        return std::make_unique<NullPresenter>(Point{options.width, options.height});
    return OpenWindowPresenter();
}

// Where a form paints something other than its colour, within clip: its visible children, and
// inside a plain panel of that colour the panel's own children instead.
void PaintedAreas(const Control& parent, Rect clip, Color background, std::vector<Rect>& areas)
{
    for (const Control* child : parent.Children())
    {
        if (!child->Visible())
            continue;
        const Rect area = child->BoundsRect().Offset(clip.left, clip.top).Intersect(clip);
        if (area.Empty())
            continue;
        if (typeid(*child) == typeid(Panel) && child->GetColor() == background)
            PaintedAreas(*child, child->BoundsRect().Offset(clip.left, clip.top).Intersect(clip),
                         background, areas);
        else
            areas.push_back(area);
    }
}

// The logical areas where two forms' pictures may differ, when both paint the same plain
// background around their children; none when either paints more.
std::optional<std::vector<Rect>> ChangedBetween(const Form* from, const Form* to)
{
    if (from == nullptr || to == nullptr || from->GetColor() != to->GetColor() ||
        !from->PlainBackground() || !to->PlainBackground())
        return std::nullopt;
    std::vector<Rect> areas;
    for (const Form* form : {from, to})
        PaintedAreas(*form, form->ClientRect(), form->GetColor(), areas);
    return areas;
}

} // namespace

Application::Application(Options options)
    : loop_(*this, [this](std::exception_ptr error) { HandleException(error); }),
      display_(MakePresenter(options), options), input_(*this, display_)
{
    display_.OnLayOut = [this]
    {
        LayOutForms();
    };
    input_.OnToggleDisplay = [this]
    {
        SetFullscreen(!display_.Fullscreen());
    };
}

Application::~Application()
{
    input_.CloseControllers();
    // Nothing may wake the loop once the window is gone.
    loop_.Stop();
}

void Application::LayOutForms()
{
    for (Form* form : allForms_)
        form->LayOut();
}

void Application::AddForm(Form& form)
{
    allForms_.push_back(&form);
}

void Application::ForgetForm(Form& form)
{
    std::erase(allForms_, &form);
}

void Application::SetFullscreen(bool fullscreen)
{
    if (display_.SetFullscreen(fullscreen) && OnDisplayChanged)
        Guard(OnDisplayChanged);
}

void Application::Run(Form& mainForm)
{
    mainForm_ = &mainForm;
    Guard([&] { mainForm.Show(); });
    while (loop_.Step(true))
    {
    }
}

void Application::HandleEvent(const platform::Event& event)
{
    timing::NoteInput(event);
    if (input_.Handle(event))
        return;
    switch (display_.Handle(event))
    {
    case Presentation::Change::WindowSized:
        if (OnDisplayChanged)
            Guard(OnDisplayChanged);
        break;
    case Presentation::Change::Deactivated:
        input_.Deactivate();
        break;
    case Presentation::Change::None:
        break;
    }
}

Form* Application::TopForm() const
{
    return forms_.empty() ? nullptr : forms_.back();
}

bool Application::IsShown(const Form& form) const
{
    return std::find(forms_.begin(), forms_.end(), &form) != forms_.end();
}

void Application::PushForm(Form& form)
{
    if (TopForm() == &form)
        return;
    Form* covered = TopForm();
    std::erase(forms_, &form);
    forms_.push_back(&form);
    InvalidateBetween(covered, &form);
    TopChanged(covered);
}

void Application::RemoveForm(Form& form)
{
    if (!IsShown(form))
        return;
    Form* top = TopForm();
    std::erase(forms_, &form);
    if (top != &form)
    {
        // Seen only through a form on top that paints what lies beneath it.
        display_.InvalidateAll();
        return;
    }
    InvalidateBetween(&form, TopForm());
    TopChanged(&form);
}

void Application::InvalidateBetween(const Form* from, const Form* to)
{
    // Around their children two plain forms of one colour look alike: a large screen then
    // presents the panels' change rather than its every pixel of black.
    const std::optional<std::vector<Rect>> areas = ChangedBetween(from, to);
    if (!areas)
    {
        display_.InvalidateAll();
        return;
    }
    for (const Rect& area : *areas)
        display_.Invalidate(display_.ToPhysical(area));
}

void Application::TopChanged(Form* previous)
{
    // Only the form on top can be seen: what animates on the others rests meanwhile.
    if (previous != nullptr)
        previous->ScreenChanged();
    if (Form* top = TopForm(); top != nullptr && top != previous)
        top->ScreenChanged();
}

void Application::InvalidateFormRect(const Form& form, Rect r)
{
    if (TopForm() == &form)
        display_.Invalidate(display_.ToPhysical(r));
}

void Application::Render()
{
    display_.Render(
        [this](Canvas& canvas)
        {
            if (Form* form = TopForm())
                Guard([&] { PaintTree(*form, canvas); });
            else
                canvas.FillRect({0, 0, display_.Width(), display_.Height()}, clBlack);
        });
}

void Application::HandleException(std::exception_ptr error)
{
    std::string message = "Unknown error";
    try
    {
        std::rethrow_exception(error);
    }
    catch (const std::exception& e)
    {
        message = e.what();
    }
    catch (...)
    {
    }
    ShowMessage(message);
}

void Application::ShowMessage(const std::string& message)
{
    if (ErrorHandler)
    {
        ErrorHandler(message);
        return;
    }
    // With nobody to see the output, or with the loop already ending, nobody could close a box.
    if (!display_.Seen() || loop_.Terminated())
    {
        platform::ReportOnStderr(message);
        return;
    }
    MessageDialog(*this, message).Run();
}

} // namespace ui
