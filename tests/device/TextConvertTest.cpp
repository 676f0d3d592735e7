// UTF-16 <-> UTF-8: round trips across the planes and rejection of malformed input.
#include <gtest/gtest.h>

#include "device/TextConvert.h"

TEST(TextConvertTest, RoundTripsEveryEncodedLength) {
    const std::u16string wide = u"A\u00E9\u4E2D\U0001F600z";
    std::string narrow;
    ASSERT_TRUE(Utf16ToUtf8(wide, narrow));
    EXPECT_EQ(narrow, "A\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80z");
    std::u16string back;
    ASSERT_TRUE(Utf8ToUtf16(narrow, back));
    EXPECT_EQ(back, wide);
}

TEST(TextConvertTest, RejectsMalformedInput) {
    std::string narrow = "stale";
    EXPECT_FALSE(Utf16ToUtf8(std::u16string(1, char16_t(0xDC00)), narrow));
    EXPECT_TRUE(narrow.empty());
    EXPECT_FALSE(Utf16ToUtf8(std::u16string(1, char16_t(0xD83D)), narrow));
    std::u16string wide;
    for (const char* bad :
         {"\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xFF", "\xE4\xB8"}) {
        EXPECT_FALSE(Utf8ToUtf16(bad, wide)) << bad;
        EXPECT_TRUE(wide.empty());
    }
}
