#include "video/video_format.h"

#include <gtest/gtest.h>

#include <string>

struct tag_case {
    int family;
    int depth;
    const char* tag;  // null: none
};

TEST(y4m_chroma_tag, covers_every_family_and_depth) {
    const tag_case cases[] = {
        {420, 8, "C420jpeg"},  {420, 1, "C420jpeg"}, {420, -5, "C420jpeg"}, {420, 10, "C420p10"},
        {420, 12, "C420p12"},  {420, 14, "C420p14"}, {420, 16, "C420p16"},  {420, 9, nullptr},
        {420, 11, nullptr},    {420, 15, nullptr},   {420, 18, nullptr},    {420, 32, nullptr},
        {422, 1, "C422"},      {422, 8, "C422"},     {422, 10, "C422p10"},  {422, 12, "C422p12"},
        {422, 14, "C422p14"},  {422, 16, "C422p16"}, {444, 8, "C444"},      {444, 10, "C444p10"},
        {444, 12, "C444p12"},  {444, 14, "C444p14"}, {444, 16, "C444p16"},  {444, 32, nullptr},
        {411, 8, nullptr},     {0, 8, nullptr},      {4200, 8, nullptr},
    };
    for (const tag_case& c : cases) {
        const char* tag = y4m_chroma_tag(c.family, c.depth);
        if (c.tag)
            EXPECT_EQ(tag ? std::string(tag) : "(none)", c.tag) << c.family << " " << c.depth;
        else
            EXPECT_EQ(tag, nullptr) << c.family << " " << c.depth;
    }
}
