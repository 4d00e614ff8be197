// The platform calls that a test can observe from inside the process.
#include <gtest/gtest.h>

#include <thread>

#include "run/platform_io.h"

#ifndef _WIN32
#include <sched.h>
#endif

namespace zelmot {
namespace {

#ifndef _WIN32
// A thread pinned to one core sees one core, whatever the machine has.
TEST(UsableCores, FollowTheAffinity) {
    EXPECT_GE(UsableCoreCount(), 1u);
    unsigned pinned = 0;
    std::thread probe([&] {
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(static_cast<int>(sched_getcpu()), &one);
        if (sched_setaffinity(0, sizeof one, &one) == 0) pinned = UsableCoreCount();
    });
    probe.join();
    EXPECT_EQ(pinned, 1u);
}
#endif

}  // namespace
}  // namespace zelmot
