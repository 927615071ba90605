// The helper every permission test relies on must really drop root.

#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <unistd.h>

TEST(TestFiles, UnprivilegedBodyRunsAsNobodyWithoutRootsGroups) {
    const int rc = mvtest::runUnprivileged([] {
        if (::getuid() != 65534 || ::geteuid() != 65534) return 1;
        if (::getgid() != 65534 || ::getegid() != 65534) return 2;
        gid_t groups[64];
        const int n = ::getgroups(64, groups);
        for (int i = 0; i < n; ++i)
            if (groups[i] == 0) return 3;
        return 0;
    });
    EXPECT_EQ(rc, 0);
}
