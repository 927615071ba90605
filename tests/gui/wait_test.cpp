#include "support/WaitFor.h"

#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest-spi.h>

TEST(WaitFor, FailsTheTestOnTimeOut) {
    EXPECT_FATAL_FAILURE(ASSERT_TRUE(mvtest::waitFor([] { return false; }, 100)), "after 100 ms");
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(mvtest::waitFor([] { return false; }, 100));
    EXPECT_GE(clock.elapsed(), 100);
}

TEST(WaitFor, PassesOnceTheEventLoopMakesItSo) {
    bool set = false;
    QTimer::singleShot(50, [&] { set = true; });
    EXPECT_FALSE(set);
    EXPECT_TRUE(mvtest::waitFor([&] { return set; }, 2000));
}
