#pragma once
#include <gtest/gtest.h>

#include <vector>

#include "model/site_document.h"

namespace vellacor::testing {

// Each of `want`'s points read back in `got` at its index: the number, the
// place and height within `tolerance` (0: exactly) and the description.
inline void expectSamePoints(const std::vector<SurveyPoint>& got, const std::vector<SurveyPoint>& want,
                             std::size_t count, double tolerance = 0.0) {
    ASSERT_GE(got.size(), count);
    ASSERT_GE(want.size(), count);
    for (std::size_t i = 0; i < count; ++i) {
        const SurveyPoint &a = got[i], &b = want[i];
        EXPECT_EQ(a.number, b.number) << "point " << i;
        EXPECT_NEAR(a.easting, b.easting, tolerance) << "point " << i;
        EXPECT_NEAR(a.northing, b.northing, tolerance) << "point " << i;
        EXPECT_NEAR(a.elevation, b.elevation, tolerance) << "point " << i;
        EXPECT_EQ(descriptionOf(a), descriptionOf(b)) << "point " << i;
    }
}

}  // namespace vellacor::testing
