#include "gis_seam/gis_module.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace vellacor {
namespace {

TEST(GisModule, OnlyAModuleOfThisVersionIsUsed) {
    const GisModule other = openGisModule(VELLACOR_OTHER_VERSION_MODULE);
    EXPECT_EQ(other.functions, nullptr);
    EXPECT_NE(other.problem.find("is of version " + std::to_string(kGisModuleVersion + 1)), std::string::npos)
        << other.problem;
    EXPECT_NE(other.problem.find("needs version " + std::to_string(kGisModuleVersion)), std::string::npos)
        << other.problem;

    const std::filesystem::path text = std::filesystem::temp_directory_path() / "vellacor-not-a-module.so";
    std::ofstream(text) << "not a shared object\n";
    const GisModule notAModule = openGisModule(text.string());
    std::filesystem::remove(text);
    EXPECT_EQ(notAModule.functions, nullptr);
    EXPECT_FALSE(notAModule.problem.empty());

    const GisModule& ours = gisModule();
    ASSERT_NE(ours.functions, nullptr) << ours.problem;
    EXPECT_EQ(ours.functions->version, kGisModuleVersion);
}

}  // namespace
}  // namespace vellacor
