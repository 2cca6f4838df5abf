// The platform's fault guard on its own: frame-based structured exception
// handling, on this build's processor.
#include "platform/fault_guard.h"

#include <gtest/gtest.h>

namespace {

volatile uintptr_t g_badAddress = 8;

struct Trial {
    int before = 0;
    int after = 0;
    int faults = 0;
    int onFaultSawTheFrame = 0;
    volatile int* local = nullptr;  // a local of the faulting frame
};

void Fault(void* context) {
    Trial* t = static_cast<Trial*>(context);
    volatile int local = 41;
    t->local = &local;
    ++t->before;
    *reinterpret_cast<volatile int*>(g_badAddress) = 1;
    ++t->after;
}

void NoFault(void* context) { ++static_cast<Trial*>(context)->after; }

void OnFault(void* context) {
    Trial* t = static_cast<Trial*>(context);
    ++t->faults;
    // The faulting frame is still there while this runs.
    if (t->local && *t->local == 41) t->onFaultSawTheFrame = 1;
}

void GuardedFault(void* context) {
    Trial* inner = static_cast<Trial*>(context);
    EXPECT_EQ(RunGuarded(Fault, inner, OnFault), 0);
}

}  // namespace

TEST(FaultGuard, AFaultEndsTheStepAndGivesZero) {
    Trial t;
    EXPECT_EQ(RunGuarded(Fault, &t, OnFault), 0);
    EXPECT_EQ(t.before, 1);
    EXPECT_EQ(t.after, 0);
    EXPECT_EQ(t.faults, 1);
    EXPECT_EQ(t.onFaultSawTheFrame, 1);
}

TEST(FaultGuard, AStepThatReturnsGivesOne) {
    Trial t;
    EXPECT_EQ(RunGuarded(NoFault, &t, OnFault), 1);
    EXPECT_EQ(t.after, 1);
    EXPECT_EQ(t.faults, 0);
}

TEST(FaultGuard, TheInnermostGuardCatchesAndTheOuterStepGoesOn) {
    Trial inner;
    EXPECT_EQ(RunGuarded(GuardedFault, &inner, nullptr), 1);
    EXPECT_EQ(inner.faults, 1);
    // Guards work again afterwards: nothing of the first is left registered.
    for (int i = 0; i < 3; ++i) {
        Trial again;
        EXPECT_EQ(RunGuarded(Fault, &again, nullptr), 0);
        EXPECT_EQ(again.after, 0);
    }
}
