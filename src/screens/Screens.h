// The registry of the program's six screens, through which a screen reaches the operations of
// the others it opens or updates.
#pragma once

namespace ui
{
class Platform;
}

class TForm1;
class TGameForm;
class TNameForm;
class TKeyForm;
class TSkillForm;
class TForm2;

// Each screen enters itself here when it is created and leaves when it goes; the state the
// screens share is in the session, not here. A screen that was not created (in a test) stays
// null, and the calls to it are skipped.
struct Screens
{
    ui::Platform& app;
    TForm1* Form1 = nullptr;
    TGameForm* GameForm = nullptr;
    TNameForm* NameForm = nullptr;
    TKeyForm* KeyForm = nullptr;
    TSkillForm* SkillForm = nullptr;
    TForm2* Form2 = nullptr;
};
