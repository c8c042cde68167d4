// Placeholder game screen until it is built.
#pragma once

#include "screens/Screens.h"
#include "ui/Control.h"
#include "ui/Form.h"
#include "widgets/Std2.h"

class TGameForm final : public ui::Form
{
public:
    explicit TGameForm(Screens& screens);

    int Get_User_ID() { return -1; }

    ui::Panel Panel1;
    ui::Label Label1;
    ui::Label Label2;
    ui::Label Label3;
    ui::Image Image3;
    TzcTimer Timer1;

private:
    Screens& screens_;
};
