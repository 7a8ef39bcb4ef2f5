#include "editor/file_filter.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

TEST(FileDialogFilter, PatternTwiceAndTheFirstExtension)
{
    struct Case {
        const char* list;
        std::string filter;
        const char* defaultExtension;
    };
    const Case cases[] = {
        {"txt", "*.txt\0*.txt\0\0"s, "txt"},
        {"txt csv", "*.txt;*.csv\0*.txt;*.csv\0\0"s, "txt"},
        {"  png   bmp  ", "*.png;*.bmp\0*.png;*.bmp\0\0"s, "png"},
        {"", "", ""},
        {"   ", "", ""},
        {nullptr, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list ? c.list : "null");
        const FileDialogFilter made = MakeFileDialogFilter(c.list);
        EXPECT_EQ(made.filter, c.filter);
        EXPECT_EQ(made.defaultExtension, c.defaultExtension);
    }
}

// A fixed buffer of the dialog's size would overflow on such a list.
TEST(FileDialogFilter, LongListIsBuiltWhole)
{
    std::string list, pattern;
    for (int i = 0; i < 60; ++i) {
        const std::string extension = "ext" + std::to_string(i);
        list += extension + " ";
        pattern += (i ? ";*." : "*.") + extension;
    }
    ASSERT_GT(pattern.size() * 2, 268u);
    const FileDialogFilter made = MakeFileDialogFilter(list.c_str());
    EXPECT_EQ(made.filter, pattern + '\0' + pattern + '\0' + '\0');
    EXPECT_EQ(made.defaultExtension, "ext0");
}

}  // namespace
