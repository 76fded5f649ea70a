#include "platform/text_encoding.h"

#include <gtest/gtest.h>

namespace zavin::platform {
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

TEST(TextEncoding, Utf8ValidationRejectsOverlongSurrogateAndOutOfRangeForms) {
  struct {
    const char* label;
    std::string bytes;
    bool valid;
  } cases[] = {
      {"ascii", "ZW 1.5", true},
      {"two, three, four bytes", "\xC3\xA9\xE3\x81\x82\xF0\x9F\x98\x80", true},
      {"overlong slash", "\xC0\xAF", false},
      {"overlong nul", "\xC0\x80", false},
      {"overlong three bytes", "\xE0\x80\xAF", false},
      {"overlong four bytes", "\xF0\x80\x80\xAF", false},
      {"high surrogate", "\xED\xA0\x80", false},
      {"low surrogate", "\xED\xBF\xBF", false},
      {"above U+10FFFF", "\xF4\x90\x80\x80", false},
      {"truncated", "\xE3\x81", false},
      {"stray continuation", "\x81", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(IsValidUtf8(c.bytes), c.valid);
  }
  std::string out;
  AppendUtf8(0xD800, out);
  AppendUtf8(0x110000, out);
  AppendUtf8(U'あ', out);
  EXPECT_EQ(out, "\xEF\xBF\xBD\xEF\xBF\xBDあ");
}

TEST(TextEncoding, CodePageConversionStopsAtTheFirstByteThatStartsNoCharacter) {
  std::string out;
  EXPECT_EQ(CodePageToUtf8("\x82\xA0Z\x82\xFFQ", kSystemCodePage, out), std::optional<std::size_t>(3));
  EXPECT_EQ(out, "あZ");
  out.clear();
  EXPECT_EQ(CodePageToUtf8("caf\xE9", 1252, out), std::optional<std::size_t>(4));
  EXPECT_EQ(out, "café");
  EXPECT_EQ(CodePageToUtf8("x", 99999, out), std::nullopt);
  EXPECT_TRUE(Utf8ToCodePage("三斜", kSystemCodePage, out));
  EXPECT_EQ(out, "\x8E\x4F\x8E\xCE");
  EXPECT_FALSE(Utf8ToCodePage("\xF0\x9F\x98\x80", kSystemCodePage, out));  // no code in 932
  EXPECT_FALSE(Utf8ToCodePage("\xC0\xAF", kSystemCodePage, out));             // not UTF-8
}

TEST(TextEncoding, MixedFileIsDecodedLineByLineAndNotLossless) {
  // A UTF-8 file with one line another program wrote in code page 932.
  const DecodedText utf8_mostly = DecodeText("[QM_Zavin]\nM_Layer=文字\nT_Layer=高さ\n[Other]\nName=\x82\xA0\n");
  EXPECT_EQ(utf8_mostly.encoding, TextEncoding::Utf8);
  EXPECT_FALSE(utf8_mostly.lossless);
  EXPECT_EQ(utf8_mostly.utf8, "[QM_Zavin]\nM_Layer=文字\nT_Layer=高さ\n[Other]\nName=あ\n");
  // A code page file with one UTF-8 line.
  const DecodedText cp_mostly = DecodeText("A=\x82\xA0\nB=\x95\xB6\nC=é");
  EXPECT_EQ(cp_mostly.encoding, TextEncoding::SystemCodePage);
  EXPECT_FALSE(cp_mostly.lossless);
  EXPECT_EQ(cp_mostly.utf8, "A=あ\nB=文\nC=é");
}

}  // namespace
}  // namespace zavin::platform
