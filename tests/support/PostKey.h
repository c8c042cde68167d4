// A key queued for the message loop's next turn, as a key pressed while a modal screen waits: the
// way tests reach a screen that runs its own loop.
#pragma once

#include "ui/Application.h"

namespace testsupport
{

inline void PostKey(ui::Application& app, int key)
{
    app.PostCall([&app, key] { app.Devices().KeyDown(key); });
}

} // namespace testsupport
