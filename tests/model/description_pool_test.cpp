#include "model/description_pool.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "model/survey_point.h"

namespace vellacor {
namespace {

TEST(DescriptionPool, OneNumberPerTextHoweverManyTextsAndThreads) {
    // More texts than one chunk of the pool holds, interned by two threads
    // at once in opposite orders: each text must get one number, readable
    // from either thread, and the index must survive its growth.
    constexpr int kTexts = 70000;
    auto textOf = [](int i) { return "CODE " + std::to_string(i * 7919 % 1000003); };
    std::vector<DescriptionId> forward(kTexts), backward(kTexts);
    std::thread other([&] {
        for (int i = kTexts - 1; i >= 0; --i) backward[static_cast<std::size_t>(i)] = internDescription(textOf(i));
    });
    for (int i = 0; i < kTexts; ++i) forward[static_cast<std::size_t>(i)] = internDescription(textOf(i));
    other.join();
    for (int i = 0; i < kTexts; ++i) {
        const std::size_t at = static_cast<std::size_t>(i);
        ASSERT_EQ(forward[at], backward[at]) << i;
        ASSERT_EQ(descriptionText(forward[at]), textOf(i)) << i;
    }
    EXPECT_NE(forward[0], forward[1]);
    EXPECT_EQ(internDescription(""), kNoDescription);
    EXPECT_EQ(descriptionText(kNoDescription), "");

    // A point's text is cut before it is interned: the same fifty bytes, the same number.
    SurveyPoint p, q;
    EXPECT_EQ(descriptionOf(p), "");
    setDescription(p, std::string(80, 'B'));
    setDescription(q, std::string(50, 'B'));
    EXPECT_EQ(q.descriptionId, p.descriptionId);
    setDescription(q, std::string_view("EP\0junk", 7));  // binary junk in a file never reaches a writer
    EXPECT_EQ(descriptionOf(q), "EP");
}

}  // namespace
}  // namespace vellacor
