#include "runner/command_line.h"

#include <gtest/gtest.h>

struct u32_case {
    const char* text;
    uint32_t expected;
};

TEST(parse_u32_like_strtoul, follows_the_32_bit_conversion) {
    const u32_case cases[] = {
        {"30", 30},
        {"  \t 25", 25},
        {"+7", 7},
        {"-1", 4294967295u},
        {"-4294967295", 1},
        {"-4294967296", 4294967295u},  // magnitude out of range saturates before the sign
        {"4294967295", 4294967295u},
        {"4294967296", 4294967295u},
        {"99999999999999999999999", 4294967295u},
        {"24fps", 24},
        {"fps", 0},
        {"", 0},
        {"-", 0},
        {"0x10", 0},
        {"000000000000000000001", 1},
    };
    for (const u32_case& c : cases) EXPECT_EQ(parse_u32_like_strtoul(c.text), c.expected) << c.text;
}
