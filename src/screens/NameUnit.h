// Placeholder screen until it is built.
#pragma once

#include "screens/Screens.h"
#include "ui/Form.h"

class TNameForm final : public ui::Form
{
public:
    explicit TNameForm(Screens& screens);

private:
    Screens& screens_;
};
