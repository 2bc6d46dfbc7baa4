#include "engine/display/display_decoder.h"
#include "engine/display/windows_1252.h"

#include <gtest/gtest.h>

#include <string>
#include <unicode/ucnv.h>
#include <utility>
#include <vector>

namespace sorvane::testing {
namespace {

// What a decoder hands on: line ends as CR LF, and each unit that forms no character as its
// bytes in hex between angle brackets.
struct Rendered final : DisplayTextSink {
  std::u16string text;
  void start(DisplayEncoding) override {}
  void characters(std::u16string_view piece) override { text += piece; }
  void lineEnd() override { text += u"\r\n"; }
  void notCharacter(std::string_view bytes) override {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    text += u'<';
    for (const char byte : bytes) {
      const auto value = static_cast<unsigned char>(byte);
      text += {kDigits[value >> 4], kDigits[value & 0xF]};
    }
    text += u'>';
  }
};

const std::string kUtf8Window(64 * 1024 - 1, 'a');  // all but the last byte of what tells UTF-8 apart
const std::u16string kUtf8WindowText(64 * 1024 - 1, u'a');

TEST(DisplayDecoder, DecodesEveryEncodingAndLineEndWhereverThePiecesEnd) {
  const std::vector<std::pair<std::string, std::u16string>> cases = {
      {"", u""}, {"one line, no end", u"one line, no end"}, {"a\r\nb\r\n", u"a\r\nb\r\n"}, {"cr\ronly\r", u"cr\r\nonly\r\n"},
      {"0123456\r89abcdefghij\r\n", u"0123456\r\n89abcdefghij\r\n"}, {"\r\r\n\n\r", u"\r\n\r\n\n\r\n"},
      {"lf\nonly\n", u"lf\nonly\n"},  // a lone LF is part of the line
      // Line ends are code units: 0D 01 is the letter U+010D, 0A 0D the letter U+0D0A.
      {std::string("\xFF\xFE" "a\0\r\0\n\0\x0D\x01\r\0\x0A\x0D", 14), u"a\r\n\u010D\r\n\u0D0A"},
      {std::string("\xFE\xFF\0a\x0D\x0A\0\r\xD8\x01\xDC\x37", 12), u"a\u0D0A\r\n\U00010437"},
      // A lone surrogate and a last odd byte are no characters.
      {std::string("\xFF\xFE\x00\xD8" "a\0\x01", 7), u"<00D8>a<01>"},
      {std::string("\xFE\xFF\xDC\x00\xD8\x00", 6), u"<DC00><D800>"},
      {"\xFF\xFE", u""},
      {"\xEF\xBB\xBF" "caf\xC3\xA9\xEF\xBB\xBF", u"caf\u00E9\uFEFF"},  // only the first mark is no text
      {"caf\xE9 \x80 \x93q\x94\rx", u"caf\u00E9 \u20AC \u201Cq\u201D\r\nx"},  // Windows-1252
      {"\xFF", u"\u00FF"}, {"abc\xC3", u"abc\u00C3"},  // cut short by the end of the text: not UTF-8
      // Only the start of a text tells UTF-8 from Windows-1252.
      {kUtf8Window + "\xC3\xA9", kUtf8WindowText + u"\u00E9"},  // a character across the edge
      {kUtf8Window + "a\xE9", kUtf8WindowText + u"a<E9>"},      // past the edge
      {kUtf8Window + "\xE9", kUtf8WindowText + u"\u00E9"},
      {kUtf8Window + "\xC3\xA9 x\xE2\x82y\xF0\x9F\x98\x80 \x80\xE2\x82",
       kUtf8WindowText + u"\u00E9 x<E2><82>y\U0001F600 <80><E2><82>"},
  };
  for (const auto& [bytes, shown] : cases) {
    for (const std::size_t piece : {std::size_t{1}, std::size_t{2}, std::size_t{3}, bytes.size() + 1}) {
      Rendered rendered;
      DisplayDecoder decoder(rendered);
      for (std::size_t at = 0; at < bytes.size(); at += piece) decoder.append(std::string_view(bytes).substr(at, piece));
      decoder.finish();
      EXPECT_EQ(rendered.text, shown) << "pieces of " << piece << " decoding [" << bytes.substr(0, 40) << "]";
    }
  }
}

TEST(DisplayDecoder, Windows1252AgreesWithIcu) {
  UErrorCode status = U_ZERO_ERROR;
  UConverter* converter = ucnv_open("windows-1252", &status);
  ASSERT_TRUE(U_SUCCESS(status));
  for (int byte = 0x80; byte <= 0xFF; ++byte) {
    const char in = static_cast<char>(byte);
    UChar out[4] = {};
    status = U_ZERO_ERROR;
    const int32_t length = ucnv_toUChars(converter, out, 4, &in, 1, &status);
    if (length != 1 || out[0] == 0xFFFD || out[0] == 0x1A) continue;  // unassigned in ICU's table
    EXPECT_EQ(fromWindows1252(static_cast<unsigned char>(byte)), out[0]) << byte;
  }
  ucnv_close(converter);
}

}  // namespace
}  // namespace sorvane::testing
