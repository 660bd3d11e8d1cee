// The critical-section wrapper: recursive on one thread, exclusive across threads.
#include <gtest/gtest.h>

#include <windows.h>

#include "DornCriticalSection.h"

using namespace Dorn32::Windows;

namespace {

struct Waiter
{
    DornCriticalSection* section;
    HANDLE started;
    volatile LONG entered;
};

DWORD WINAPI EnterAndLeave(void* param)
{
    auto* waiter = static_cast<Waiter*>(param);
    SetEvent(waiter->started);
    waiter->section->Enter();
    InterlockedExchange(&waiter->entered, 1);
    waiter->section->Leave();
    return 0;
}

TEST(DornCriticalSectionTest, RecursiveOnOneThreadExclusiveAcrossThreads)
{
    DornCriticalSection section;
    section.Enter();
    section.Enter();  // the same thread may enter again without blocking

    Waiter waiter = {&section, CreateEventA(nullptr, TRUE, FALSE, nullptr), 0};
    HANDLE thread = CreateThread(nullptr, 0, EnterAndLeave, &waiter, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(waiter.started, 5000));

    // Held twice: one Leave is not enough to let the other thread in.
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(thread, 200));
    EXPECT_EQ(0, waiter.entered);
    section.Leave();
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(thread, 200));
    EXPECT_EQ(0, waiter.entered);
    section.Leave();
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 5000));
    EXPECT_EQ(1, waiter.entered);

    // Free again for this thread.
    section.Enter();
    section.Leave();
    CloseHandle(thread);
    CloseHandle(waiter.started);
}

}  // namespace
