#pragma once
// Waiting for something the event loop brings about, as a GoogleTest assertion:
//   ASSERT_TRUE(mvtest::waitFor([&] { return done; }, 2000));
// Qt's own try-and-wait test macros cannot be used inside a GoogleTest test: on time-out
// they return from the test without recording a failure.

#include <QTest>
#include <gtest/gtest.h>

namespace mvtest {

template <class Condition>
::testing::AssertionResult waitFor(Condition condition, int timeoutMs = 2000) {
    if (QTest::qWaitFor(condition, timeoutMs)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "still not so after " << timeoutMs << " ms";
}

} // namespace mvtest
