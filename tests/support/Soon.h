#pragma once

#include <QTest>
#include <gtest/gtest.h>

// Runs Qt's events until cond holds, for up to timeoutMs, and fails the test
// (as ASSERT_TRUE does) when it never does. Qt's own QTRY_ macros report to
// QTest, which a GoogleTest program never reads.
#define ASSERT_SOON_WITHIN(cond, timeoutMs)                                                        \
    ASSERT_TRUE(QTest::qWaitFor([&] { return bool(cond); }, timeoutMs)) << #cond
#define ASSERT_SOON(cond) ASSERT_SOON_WITHIN(cond, 5000)
