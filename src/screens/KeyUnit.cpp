// Placeholder screen until it is built.
#include "screens/KeyUnit.h"

TKeyForm::TKeyForm(Screens& screens) : ui::Form(screens.app), screens_(screens)
{
    screens_.KeyForm = this;
    OnKeyDown = [this](ui::Form&, int& key)
    {
        if (key == 27)
            Hide();
    };
}
