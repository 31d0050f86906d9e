// Category names and labels of the Korean analysis chain, beside the
// framework's shared ones (Varnex/Vocabulary.h).
//
// Reply types are named for the reply they call for: REPLY_THANKS marks a
// message that deserves thanks (a congratulation, a wish), REPLY_YOU_RE_WELCOME
// one that thanks the reader. The scenario table selects rows by the part
// after "reply_type_" (and, for labels other than TRUE, "_" + the label).
#pragma once

#include "Varnex/Vocabulary.h"

namespace Varnex {
namespace KoreanCategory {
inline constexpr char REPLY_THANKS[] = "reply_type_thanks";
inline constexpr char REPLY_ME_TOO[] = "reply_type_me_too";
inline constexpr char REPLY_YOU_RE_WELCOME[] = "reply_type_you_re_welcome";
inline constexpr char REPLY_WORRY[] = "reply_type_worry";
inline constexpr char REPLY_ITS_OK[] = "reply_type_its_ok";
inline constexpr char REPLY_WHY[] = "reply_type_why";
inline constexpr char REPLY_WHAT_IS_THIS[] = "reply_type_what_is_this";
inline constexpr char REPLY_CONGRATULATION[] = "reply_type_congratulation";
inline constexpr char REPLY_WHEN[] = "reply_type_when";
inline constexpr char REPLY_FAVOR[] = "reply_type_favor";
}  // namespace KoreanCategory
}  // namespace Varnex
