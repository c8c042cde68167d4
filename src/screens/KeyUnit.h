// Placeholder screen until it is built.
#pragma once

#include "screens/Screens.h"
#include "ui/Form.h"

class TKeyForm final : public ui::Form
{
public:
    explicit TKeyForm(Screens& screens);

private:
    Screens& screens_;
};
