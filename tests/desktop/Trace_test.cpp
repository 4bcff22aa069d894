#include "desktop/Trace.h"

#include <gtest/gtest.h>

TEST(Trace, FormatsLinesAndReadsTheProcessStartTime) {
    EXPECT_EQ(Trace::formatLine("key-to-paint", 12.34), "fennic-trace: key-to-paint 12.3 ms\n");
    EXPECT_EQ(Trace::formatLine("first-paint", 1234.06), "fennic-trace: first-paint 1234.1 ms\n");
    EXPECT_EQ(Trace::formatLine("decode-shown", 0), "fennic-trace: decode-shown 0.0 ms\n");

    // The command name may hold spaces and parentheses.
    const QByteArray stat = "4242 (odd) name (x)) S 1 4242 4242 0 -1 4194560 1 0 0 0 3 1 0 0 "
                            "20 0 1 0 987654 12345678 100 18446744073709551615\n";
    EXPECT_EQ(Trace::startTimeTicks(stat), 987654);
    EXPECT_FALSE(Trace::startTimeTicks("4242 (short) S 1 2 3"));
    EXPECT_FALSE(Trace::startTimeTicks("no parenthesis at all"));
    EXPECT_FALSE(Trace::startTimeTicks("1 (x) S 1 1 1 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0 soon 1 1"));
    // This process started before now, and not long before (for a test run).
    const double sinceStart = Trace::millisecondsSinceProcessStart();
    EXPECT_GT(sinceStart, 0);
    EXPECT_LT(sinceStart, 24 * 3600 * 1000.0);
}
