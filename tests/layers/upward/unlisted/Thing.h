// A folder the layers do not list.
#pragma once
#include "engine/Rule.h"
