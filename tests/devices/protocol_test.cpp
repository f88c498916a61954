// The device interface's virtual order, which the device libraries call by slot.
#include <gtest/gtest.h>

#include <cstring>

#include "devices/device_protocol.h"

namespace {

// Itanium ABI: a pointer to a virtual member function holds 1 + the slot's byte offset.
template <class F>
long SlotOf(F f)
{
    struct {
        uintptr_t ptr;
        ptrdiff_t adj;
    } rep;
    static_assert(sizeof(F) == sizeof(rep));
    std::memcpy(&rep, &f, sizeof rep);
    return (long)((rep.ptr - 1) / sizeof(void*));
}

TEST(DeviceProtocol, VirtualOrderIsFrozen)
{
    EXPECT_EQ(SlotOf(&CDeviceLink::Destroy), 0);
    EXPECT_EQ(SlotOf(&CDeviceLink::Send), 1);
    EXPECT_EQ(SlotOf(&CDeviceLink::Start), 2);
    EXPECT_EQ(SlotOf(&CDeviceLink::Close), 3);
    EXPECT_EQ(SlotOf(&CDeviceHostCallbacks::OnFrameDestroyed), 0);
    EXPECT_EQ(SlotOf(&CDeviceHostCallbacks::Notify), 1);
}

}  // namespace
