// The package folder where the package goes and its stamps lie.
#include <gtest/gtest.h>

#include "driver/pack_info.h"
#include "driver/target_paths.h"

TEST(PackageFolderIn, AddsOnlyTheLevelsThatAreSet) {
    PackBaseFolder = "Addons";
    PackName = "Pack";
    EXPECT_EQ(PackageFolderIn("C:\\T"), "C:\\T\\Addons\\Pack");
    PackBaseFolder = "";
    EXPECT_EQ(PackageFolderIn("C:\\T"), "C:\\T\\Pack");
    PackName = "";
    EXPECT_EQ(PackageFolderIn("C:\\T"), "C:\\T");
    PackBaseFolder = "Addons";
    EXPECT_EQ(PackageFolderIn("C:\\T"), "C:\\T\\Addons");
    PackBaseFolder = "";
}
