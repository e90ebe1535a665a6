#include "password/cmd5.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace fendrel {

namespace {

using Word = std::uint32_t;

constexpr Word RotateLeft(Word value, int count) {
  return (value << count) | (value >> (32 - count));
}

// The integer part of 2^32 * |sin(i)| for i = 1 to 64.
constexpr std::array<Word, 64> kConstants{
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};

// Shift amounts by round, four per round, used in turn.
constexpr std::array<std::array<int, 4>, 4> kShifts{{
    {7, 12, 17, 22},
    {5, 9, 14, 20},
    {4, 11, 16, 23},
    {6, 10, 15, 21},
}};

// Message words (RFC 1321 padding): four bytes to a word, least significant
// first, the byte 0x80 after the text, the length in bits in the last two.
std::vector<Word> MessageWords(const std::u16string& text) {
  const std::size_t length = text.size();
  const std::size_t count = ((length + 8) / 64 + 1) * 16;
  std::vector<Word> words(count, 0);
  auto put = [&words](std::size_t position, Word byte) {
    words[position / 4] |= byte << (8 * (position % 4));
  };
  for (std::size_t k = 0; k < length; ++k) put(k, static_cast<Word>(text[k] & 0xFF));
  put(length, 0x80);
  const std::uint64_t bits = static_cast<std::uint64_t>(length) << 3;
  words[count - 2] = static_cast<Word>(bits);
  words[count - 1] = static_cast<Word>(static_cast<std::uint64_t>(length) >> 29);
  return words;
}

void Compress(std::array<Word, 4>& state, const Word* block) {
  Word a = state[0], b = state[1], c = state[2], d = state[3];
  for (int step = 0; step < 64; ++step) {
    const int round = step / 16;
    Word value = 0;
    int index = 0;
    switch (round) {
      case 0:
        value = (b & c) | (~b & d);
        index = step;
        break;
      case 1:
        value = (b & d) | (c & ~d);
        index = (5 * step + 1) % 16;
        break;
      case 2:
        value = b ^ c ^ d;
        index = (3 * step + 5) % 16;
        break;
      default:
        value = c ^ (b | ~d);
        index = (7 * step) % 16;
        break;
    }
    const Word sum = a + value + block[index] + kConstants[static_cast<std::size_t>(step)];
    const Word next = b + RotateLeft(sum, kShifts[static_cast<std::size_t>(round)][step % 4]);
    a = d;
    d = c;
    c = b;
    b = next;
  }
  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
}

}  // namespace

std::string CMD5::MD5(const std::u16string& text) const {
  const std::vector<Word> words = MessageWords(text);
  std::array<Word, 4> state{0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
  for (std::size_t block = 0; block < words.size(); block += 16) Compress(state, &words[block]);

  static constexpr char kDigits[] = "0123456789abcdef";
  std::string digest;
  digest.reserve(32);
  for (const Word word : state) {
    for (int byte = 0; byte < 4; ++byte) {
      const Word value = (word >> (8 * byte)) & 0xFF;
      digest += kDigits[value >> 4];
      digest += kDigits[value & 0xF];
    }
  }
  return digest;
}

}  // namespace fendrel
