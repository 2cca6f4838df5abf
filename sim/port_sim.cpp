// The driver seam served by the emulator instead of "FPD1:".
#include <memory>

#include "platform/port.h"
#include "sim/sim.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <time.h>
#endif

namespace {

std::unique_ptr<Emulator> g_emulator;
PortHandle const kEmulatedHandle = (PortHandle)(intptr_t)0xFD1;

}  // namespace

Emulator* SimInstall(const SimConfig& config, bool virtualClock) {
    g_emulator.reset(new Emulator(config, virtualClock));
    return g_emulator.get();
}

Emulator* Sim() { return g_emulator.get(); }

void SimUninstall() { g_emulator.reset(); }

bool SimIsDriverHandle(PortHandle handle) { return handle == kEmulatedHandle; }

PortHandle PortOpenDriver(const wchar_t* name) {
    if (!g_emulator || g_emulator->Config().driverAbsent) return PORT_INVALID_HANDLE;
    const wchar_t expected[] = L"FPD1:";
    for (int i = 0;; ++i) {
        if (name[i] != expected[i]) return PORT_INVALID_HANDLE;
        if (!name[i]) break;
    }
    return kEmulatedHandle;
}

int PortIoControl(PortHandle handle, uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                  uint32_t* returned) {
    if (!g_emulator) {
        *returned = 0;
        return 0;
    }
    return g_emulator->IoControl(handle == kEmulatedHandle, code, in, inSize, out, outSize, returned);
}

uint32_t PortKeyboardStatus() { return g_emulator ? g_emulator->Config().keyboardStatus : kFullKeyboard; }

void PortNote(const char* text) {
    if (g_emulator) g_emulator->GetTrace().Line(g_emulator->Clock().Now(), std::string("NOTE ") + text);
}

void PortSleep(uint32_t ms) {
    if (g_emulator && g_emulator->Clock().IsVirtual()) {
        g_emulator->Clock().Advance(ms);
        return;
    }
#ifdef _WIN32
    Sleep(ms);
#else
    timespec t = {(time_t)(ms / 1000), (long)(ms % 1000) * 1000000L};
    nanosleep(&t, nullptr);
#endif
}
