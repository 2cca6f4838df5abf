// Turns a platform fault (access violation and its kind) raised while a step
// runs into a result, instead of ending the program.
#pragma once

// Runs step(context); 1 when it returned, 0 when it raised a fault.
int RunGuarded(void (*step)(void*), void* context);
