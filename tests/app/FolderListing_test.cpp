#include "app/FolderListing.h"
#include <gtest/gtest.h>
TEST(FolderListing, Placeholder) { EXPECT_TRUE(folderImageFilter("a.jpg")); }
