// Placeholder screen until it is built.
#include "screens/Unit2.h"

TForm2::TForm2(Screens& screens) : ui::Form(screens.app), screens_(screens)
{
    screens_.Form2 = this;
    OnKeyDown = [this](ui::Form&, int& key)
    {
        if (key == 27)
            Hide();
    };
}
