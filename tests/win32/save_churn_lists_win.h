// The two lists tools/save_churn.cpp saves in turn, as an add and a remove
// would: the base list, and the base list with one more entry. Known to the
// test that kills it, which checks "emer.dat" is always one of them whole.
#pragma once

#include <string>
#include <vector>

namespace fendrel::testing {

inline std::vector<std::string> ChurnList(bool withExtra) {
  std::vector<std::string> list;
  // Long enough that a save takes several writes' worth of bytes.
  for (int i = 0; i < 300; ++i)
    list.push_back("C:\\Users\\someone\\Documents\\churn\\entry " + std::to_string(i) +
                   " of the safe list.txt");
  if (withExtra) list.push_back("C:\\Users\\someone\\Documents\\churn\\the added entry.txt");
  return list;
}

inline std::string ChurnFile(bool withExtra) {
  std::string bytes;
  for (const std::string& entry : ChurnList(withExtra)) bytes += entry + "\r\n";
  return bytes;
}

}  // namespace fendrel::testing
