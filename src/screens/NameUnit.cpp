// Placeholder screen until it is built.
#include "screens/NameUnit.h"

TNameForm::TNameForm(Screens& screens) : ui::Form(screens.app), screens_(screens)
{
    screens_.NameForm = this;
    OnKeyDown = [this](ui::Form&, int& key)
    {
        if (key == 27)
            Hide();
    };
}
