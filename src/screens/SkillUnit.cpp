// Placeholder screen until it is built.
#include "screens/SkillUnit.h"

TSkillForm::TSkillForm(Screens& screens) : ui::Form(screens.app), screens_(screens)
{
    screens_.SkillForm = this;
    OnKeyDown = [this](ui::Form&, int& key)
    {
        if (key == 27)
            Hide();
    };
}
