#include "shell/text_encoding.h"

#include <gtest/gtest.h>

namespace zavin::shell {
namespace {

TEST(TextEncoding, DecodeChoosesByMarkThenByValidity) {
  struct {
    const char* label;
    std::string bytes;
    TextEncoding encoding;
    std::string text;
  } cases[] = {
      {"utf-8", "ZW\xE3\x81\x82", TextEncoding::Utf8, "ZWあ"},
      {"utf-8 mark", "\xEF\xBB\xBFZW", TextEncoding::Utf8Bom, "ZW"},
      {"utf-16le", std::string("\xFF\xFE\x42\x30\x41\x00", 6), TextEncoding::Utf16LE, "あA"},
      {"utf-16be", std::string("\xFE\xFF\x30\x42\x00\x41", 6), TextEncoding::Utf16BE, "あA"},
      {"utf-16 pair", std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6), TextEncoding::Utf16LE, "\xF0\x9F\x98\x80"},
      {"cp932", "\x82\xA0\x95\xB6", TextEncoding::SystemCodePage, "あ文"},
      {"empty", "", TextEncoding::Utf8, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    const DecodedText d = DecodeText(c.bytes);
    EXPECT_EQ(d.encoding, c.encoding);
    EXPECT_EQ(d.utf8, c.text);
    EXPECT_TRUE(d.lossless);
  }
}

TEST(TextEncoding, UndecodableBytesBecomeReplacementCharacters) {
  const DecodedText d = DecodeText("A\x82\xFF" "B");  // 0x82 0xFF is no code page 932 character
  EXPECT_EQ(d.encoding, TextEncoding::SystemCodePage);
  EXPECT_FALSE(d.lossless);
  EXPECT_EQ(d.utf8.front(), 'A');
  EXPECT_EQ(d.utf8.back(), 'B');
  EXPECT_NE(d.utf8.find("\xEF\xBF\xBD"), std::string::npos);
  EXPECT_FALSE(DecodeText(std::string("\xFF\xFE\x00\xD8", 4)).lossless);  // lone surrogate
}

TEST(TextEncoding, EncodeRoundTripsInEveryEncoding) {
  const std::string text = "ＢｒｉｃｓＣＡＤ\tBricscadApp.AcadApplication\r\n三斜\r\n";
  for (TextEncoding e : {TextEncoding::Utf8, TextEncoding::Utf8Bom, TextEncoding::Utf16LE, TextEncoding::Utf16BE,
                         TextEncoding::SystemCodePage}) {
    SCOPED_TRACE(static_cast<int>(e));
    std::string bytes;
    EXPECT_EQ(EncodeText(text, e, bytes), e);
    const DecodedText back = DecodeText(bytes);
    EXPECT_EQ(back.encoding, e);
    EXPECT_EQ(back.utf8, text);
  }
}

TEST(TextEncoding, CodePageFallsBackToMarkedUtf8RatherThanLoseText) {
  std::string bytes;
  EXPECT_EQ(EncodeText("CAD \xF0\x9F\x98\x80", TextEncoding::SystemCodePage, bytes), TextEncoding::Utf8Bom);
  EXPECT_EQ(DecodeText(bytes).utf8, "CAD \xF0\x9F\x98\x80");
  // Plain ASCII stays unmarked.
  EXPECT_EQ(EncodeText("ZWCAD", TextEncoding::SystemCodePage, bytes), TextEncoding::SystemCodePage);
  EXPECT_EQ(bytes, "ZWCAD");
}

TEST(TextEncoding, CodePageBytesThatLookLikeUtf8AreWrittenMarked) {
  // "ﾃｽ" is 0xC3 0xBD in code page 932, which is also valid UTF-8 ("ý").
  std::string bytes;
  EXPECT_EQ(EncodeText("ﾃｽ", TextEncoding::SystemCodePage, bytes), TextEncoding::Utf8Bom);
  EXPECT_EQ(DecodeText(bytes).utf8, "ﾃｽ");
}

}  // namespace
}  // namespace zavin::shell
