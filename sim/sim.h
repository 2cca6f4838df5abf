// The emulator behind the program's driver seam, for the simulator build and the tests.
#pragma once
#include "platform/port.h"
#include "sim/emulator.h"

// Replaces the emulator that the seam talks to. A virtual clock advances only
// when the program sleeps, so settle delays cost no wall time.
Emulator* SimInstall(const SimConfig& config, bool virtualClock);
Emulator* Sim();
// Whether a handle is the one the emulated driver gave out.
bool SimIsDriverHandle(PortHandle handle);
void SimUninstall();
