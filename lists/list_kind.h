// Which of the two lists: the safe list, held while listed, or the
// emergency list, held only in an emergency.
#pragma once

namespace fendrel {

enum class ListKind { Safe, Emergency };

}  // namespace fendrel
