// Placeholder screen until it is built.
#pragma once

#include "screens/Screens.h"
#include "ui/Form.h"

class TSkillForm final : public ui::Form
{
public:
    explicit TSkillForm(Screens& screens);

private:
    Screens& screens_;
};
