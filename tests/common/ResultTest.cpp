#include "common/Result.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

Result<int> half(int n) {
    if (n % 2 != 0)
        return Error{QStringLiteral("%1 is odd").arg(n)};
    return n / 2;
}

TEST(Result, CarriesValueOrMessage) {
    const auto good = half(8);
    ASSERT_TRUE(good.ok());
    EXPECT_EQ(*good, 4);

    const auto bad = half(7);
    ASSERT_FALSE(bad.ok());
    EXPECT_EQ(bad.error(), QStringLiteral("7 is odd"));

    const Status failed = Error{QStringLiteral("locked")};
    EXPECT_FALSE(failed.ok());
    EXPECT_EQ(failed.error(), QStringLiteral("locked"));
    EXPECT_TRUE(Status{}.ok());
}

} // namespace
} // namespace korvane
