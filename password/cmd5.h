// The MD5 message digest (RFC 1321) of a text, as the password store keeps
// it: each 16-bit character gives its low 8 bits as one byte, and the digest
// is written as 32 lowercase hexadecimal digits.
#pragma once

#include <string>

namespace fendrel {

class CMD5 {
 public:
  // The digest of `text`, any length, empty included. Keeps nothing between
  // calls.
  std::string MD5(const std::u16string& text) const;
};

}  // namespace fendrel
