// Placeholder screen until it is built.
#pragma once

#include "screens/Screens.h"
#include "ui/Form.h"

class TForm2 final : public ui::Form
{
public:
    explicit TForm2(Screens& screens);

private:
    Screens& screens_;
};
