// Reset of the runtime core's global state; internal to start-up.
#pragma once

#include "runtime/core/Core.h"

void ClearCoreState();
