// Built for the phone's CPU, the tests must really see what the phone has:
// unsigned char and 32-bit long, so that code relying on x86-64's signed
// char or 64-bit long fails them.
#include <gtest/gtest.h>

#include <climits>

#if defined(__arm__)
TEST(TargetCpu, isTheArmv5teOfThePhone)
{
    EXPECT_EQ(CHAR_MIN, 0) << "char is unsigned on ARM";
    EXPECT_EQ(sizeof(long), 4u);
    EXPECT_EQ(__ARM_ARCH, 5);
#if !defined(__ARM_ARCH_5TE__)
    ADD_FAILURE() << "not built for ARMv5TE";
#endif
}
#endif
