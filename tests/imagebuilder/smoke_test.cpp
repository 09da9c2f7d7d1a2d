#include "rom_list.h"

#include <gtest/gtest.h>

TEST(RomListSmoke, CreatesEmptyList)
{
    auto list = romListCreate();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->count, 0);
}
