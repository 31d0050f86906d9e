// The names modules agree on when they write and read an Annotation.
//
// Categories are the keys of Annotation::classifications; labels are the
// predicted classes stored under them. Every module spells them through
// these constants, so a misspelt name is a compile error rather than a
// category nobody reads. The Korean engine's own names (reply types, greeting
// and question kinds, answer material) live in KoreanVocabulary.h.
#pragma once

#include <cstddef>

namespace Varnex {
namespace Category {
inline constexpr char HONORIFIC[] = "honorific";  // speech level of the message
inline constexpr char EMOTION[] = "emotion";      // emotion of emoji and emoticons
inline constexpr char QUESTION[] = "question";    // whether the message is a question
inline constexpr char SENDER[] = "sender";        // the sender's name, also kept as Annotation::getSender()

// Every reply-type category is REPLY_TYPE + "_" + its type ("reply_type_thanks").
inline constexpr char REPLY_TYPE[] = "reply_type";
inline constexpr char REPLY_TYPE_PREFIX[] = "reply_type_";
inline constexpr size_t REPLY_TYPE_PREFIX_LENGTH = sizeof(REPLY_TYPE_PREFIX) - 1;
}  // namespace Category

namespace Label {
inline constexpr char TRUE_LABEL[] = "TRUE";
inline constexpr char FALSE_LABEL[] = "FALSE";
// Speech levels of Category::HONORIFIC; anything else (FALSE_LABEL) is plain speech.
inline constexpr char HIGH[] = "HIGH";
inline constexpr char NORMAL[] = "NORMAL";
// What Classification::getPredictedClass() answers when no score is positive.
inline constexpr char NONE[] = "none";
}  // namespace Label
}  // namespace Varnex
