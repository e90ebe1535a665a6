// Which file numbers the holds take: from 99 up to the file layer's last,
// so that many files can be held at the same time. The messages name the
// limit, the protection keeps it.
#pragma once

#include "platform/file_layer.h"

namespace fendrel {

inline constexpr int kFirstHoldNumber = 99;
inline constexpr int kMostHoldsAtOnce = FileLayer::kLastNumber - kFirstHoldNumber + 1;

}  // namespace fendrel
