// The digest against RFC 1321 and against md5sum of the same Latin-1 bytes.
#include "password/cmd5.h"

#include <gtest/gtest.h>

#include <string>

namespace fendrel {
namespace {

std::string Digest(const std::u16string& text) {
  return CMD5().MD5(text);
}

std::u16string Repeat(const std::u16string& piece, std::size_t times) {
  std::u16string text;
  for (std::size_t i = 0; i < times; ++i) text += piece;
  return text;
}

TEST(CMD5Test, Rfc1321Suite) {
  EXPECT_EQ("d41d8cd98f00b204e9800998ecf8427e", Digest(u""));
  EXPECT_EQ("0cc175b9c0f1b6a831c399e269772661", Digest(u"a"));
  EXPECT_EQ("900150983cd24fb0d6963f7d28e17f72", Digest(u"abc"));
  EXPECT_EQ("f96b697d7cb7938d525a2f31aaf161d0", Digest(u"message digest"));
  EXPECT_EQ("c3fcd3d76192e4007dfb496cca67e13b", Digest(u"abcdefghijklmnopqrstuvwxyz"));
  EXPECT_EQ("d174ab98d277d9f5a5611c2c9f419d9f",
            Digest(u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"));
  EXPECT_EQ("57edf4a22be3c955ac49da2e2107b67a", Digest(Repeat(u"1234567890", 8)));
}

TEST(CMD5Test, BlockBoundariesMatchMd5sum) {
  // 55 units fit one block, 56 and 119 need two, 120 need three.
  EXPECT_EQ("ef1772b6dff9a122358552954ad0df65", Digest(Repeat(u"a", 55)));
  EXPECT_EQ("b9d955696c7654cd20086bec31670b11", Digest(Repeat(u"b", 56)));
  EXPECT_EQ("42eec8502cb0ed8f0d05aa5a24463b6a", Digest(Repeat(u"0123456789", 12).substr(0, 119)));
  EXPECT_EQ("493efcb44856566dd47dc6b922b35812", Digest(Repeat(u"x\u00e9", 60)));
  EXPECT_EQ("9c485040db1b88e50e66bef76b50e26b", Digest(Repeat(u"The quick brown fox ", 100)));
}

TEST(CMD5Test, EachCharacterGivesItsLowByteOnly) {
  EXPECT_EQ("3406877694691ddd1dfb0aca54681407", Digest(u"\u00e9"));  // the byte 0xE9, not UTF-8
  EXPECT_EQ("7fc56270e7a70fa81a5935b72eacbe29", Digest(u"A"));
  EXPECT_EQ(Digest(u"A"), Digest(u"\u0141"));
  EXPECT_EQ("20a7f30fb9f8e145422b66b3d4f4da70", Digest(u"\u00ac"));
  EXPECT_EQ(Digest(u"\u00ac"), Digest(u"\u20ac"));
  // A character above U+FFFF is two units, each giving its own low byte.
  EXPECT_EQ("c151c5fa0f424dbf71e349896c45ec16", Digest(u"\U0001F600"));  // D83D DE00: the bytes 3D 00
}

TEST(CMD5Test, ResultIsAlways32LowercaseHexDigitsAndRepeatable) {
  const CMD5 first;
  const CMD5 second;
  for (const std::u16string& text :
       {std::u16string(u" "), std::u16string(u"s3cret"), Repeat(u"\u00ff", 300)}) {
    const std::string digest = first.MD5(text);
    ASSERT_EQ(32u, digest.size());
    EXPECT_EQ(std::string::npos, digest.find_first_not_of("0123456789abcdef")) << digest;
    EXPECT_EQ(digest, first.MD5(text));
    EXPECT_EQ(digest, second.MD5(text));
  }
  EXPECT_EQ("7215ee9c7d9dc229d2921a40e899ec5f", Digest(u" "));
}

}  // namespace
}  // namespace fendrel
