// Placeholder game screen until it is built.
#include "screens/GameUnit.h"

TGameForm::TGameForm(Screens& screens)
    : ui::Form(screens.app), Panel1(this), Label1(&Panel1), Label2(&Panel1), Label3(&Panel1),
      Image3(&Panel1), screens_(screens)
{
    screens_.GameForm = this;
    OnKeyDown = [this](ui::Form&, int& key)
    {
        if (key == 27)
            Hide();
    };
}
