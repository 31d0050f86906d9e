// Pointer-based trie with the key conventions of the phrase dictionary, and
// the key rules and the longest-match walk that every trie of the engine
// shares (Trie, ByteTrie and DoubleArrayTrie give identical match lengths).
//
// Keys. A raw key may carry a mark as its first and/or last byte: "/" asks
// for a word boundary on that side, "~" forbids one. The normalised key, the
// one the trie is walked with, is the raw key without any "/" or "~". A key
// whose normalised form is empty (an empty key, or one made only of marks)
// is ignored on insert, so no search ever reports a zero-length match. So is
// a key whose normalised form is longer than TrieKeys::kMaxKeyBytes (the
// double-array builder recurses once per key byte; phrases are far shorter).
//
// Longest match at `start`, optionally skipping spaces of the text that the
// key does not have:
//   at a node, first follow the child for the current byte; if that path
//   finds no key, and the walk is past its first byte, spaces may be skipped
//   and the byte after the run of spaces followed instead; if that finds no
//   key either, the node itself is the match when it ends a key.
// A skipped space thus becomes part of a match only when the walk moves on
// into a child after it: "abc" matches "ab c" with length 4, "/ab/" matches
// "ab cd" with length 2 (the trailing boundary test then sees the space),
// and keys {ab, abcd} on "ab cx" give "ab" with length 2.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace Varnex {

class TrieKeys {
public:
    enum MarkKind { NONE, BOUNDARY_REQUIRED, BOUNDARY_FORBIDDEN };
    static constexpr size_t kMaxKeyBytes = 512;

    // The raw key without any "/" or "~".
    static std::string normalise(const std::string& rawKey);
    // True when a key with this normalised form is stored: not empty and not
    // longer than kMaxKeyBytes. Logs a warning for an over-long key.
    static bool accepts(const std::string& normalisedKey);
    // Kind of a mark byte: "/" required, "~" forbidden, anything else none.
    static MarkKind kindOf(char c);
    // The 22 boundary characters: "" (the edge of the text), space, tab,
    // line feed, ? ~ ! , . and the jamo ㅋ ㅎ ㅠ ㅜ ㅡ ㄷ ㄱ ㅇ ㄴ ㅈ ㅂ ㅗ ㅛ.
    static const std::set<std::string>& boundaryCharacters();
    // One of those, or an emoji character (StringUtil::isEmoji).
    static bool isBoundary(const std::string& ch);
    // Boundary tests of one raw key matched over `length` bytes of `text`
    // from `start`. The leading neighbour is the character ending just
    // before `start` ("" at 0); the trailing neighbour the character at
    // start + length ("" when no more than one byte is left after the match).
    static bool passes(const std::string& text, int start, int length, const std::string& rawKey,
                       bool ignoreLeadingMark);
    // The same for a raw key given by its first and last bytes.
    static bool passes(const std::string& text, int start, int length, char firstByte, char lastByte,
                       bool ignoreLeadingMark);
    // True when the raw key and value can be stored in the line format of a
    // binary dictionary's value table: the key holds no tab or line feed,
    // the value no line feed, and neither a zero byte or the byte 0xFF
    // (which the scrambling of binary strings cannot carry).
    static bool storable(const std::string& rawKey, const std::string& value);
};

// The longest-match walk over any trie. `Cursor` provides
//   using Node = ...;            a cheap copyable node handle
//   Node root() const;
//   bool child(Node n, unsigned char byte, Node& next) const;
//   bool endsKey(Node n) const;
// and must never report the root as ending a key. Returns the number of
// bytes of `text` from `start` the match covers (0: no match) and the node
// in `found`. Work is bounded: the walk visits at most a fixed multiple of
// the remaining text's length, which no trie built from real phrases comes
// near, so even a damaged trie with cycles cannot hang or exhaust the stack.
template <typename Cursor>
int longestMatch(const Cursor& cursor, const std::string& text, int start, bool skipSpaces,
                 typename Cursor::Node& found);
// The same, taking only a key end that `accept(node, length)` accepts: a
// refused one is passed over as though it ended no key, so the walk goes on
// to the next candidate in the same order (shorter ends of the same path
// included). Used to skip keys whose boundary tests fail.
template <typename Cursor, typename Accept>
int longestMatch(const Cursor& cursor, const std::string& text, int start, bool skipSpaces,
                 typename Cursor::Node& found, const Accept& accept);

class Trie {
public:
    struct TrieNode {
        std::map<char, std::unique_ptr<TrieNode>> children;
        std::shared_ptr<std::pair<std::string, std::string>> entry;  // (raw key, value)
        std::string normalisedKey;
    };

    Trie();
    ~Trie();
    Trie(const Trie&) = delete;
    Trie& operator=(const Trie&) = delete;

    // Walks or creates the nodes of the normalised key and stores (raw key,
    // value) on the last one, replacing an entry with the same normalised key.
    void insert(const std::string& rawKey, const std::string& value);

    // Longest key at the start of `text`; `skippedSpaces` receives the
    // number of spaces of the text skipped inside the match. False for an
    // empty text or no match (outputs unchanged).
    bool search(const std::string& text, std::string& rawKey, std::string& value, std::string& normalisedKey,
                int& skippedSpaces, bool skipSpaces) const;
    // The contract of DoubleArrayTrie::search, with the node's single entry
    // as the only candidate.
    bool search(const std::string& text, int start, std::vector<std::pair<std::string, std::string>>& results,
                int& matchLength, bool skipSpaces, bool ignoreLeadingMark) const;

private:
    std::unique_ptr<TrieNode> root;
};

// ---------------------------------------------------------------------------

namespace detail {
// Iterative depth-first walk; see longestMatch above.
template <typename Node>
struct WalkFrame {
    Node node;
    int pos;
    int stage;  // 0: follow the byte, 1: skip spaces, 2: take the node itself
};
}  // namespace detail

template <typename Cursor>
int longestMatch(const Cursor& cursor, const std::string& text, int start, bool skipSpaces,
                 typename Cursor::Node& found) {
    return longestMatch(cursor, text, start, skipSpaces, found,
                        [](const typename Cursor::Node&, int) { return true; });
}

template <typename Cursor, typename Accept>
int longestMatch(const Cursor& cursor, const std::string& text, int start, bool skipSpaces,
                 typename Cursor::Node& found, const Accept& accept) {
    using Node = typename Cursor::Node;
    const int n = static_cast<int>(text.size());
    if (start < 0 || start >= n) return 0;

    // Fast path: while no space can be skipped, there is one path to follow,
    // and the match is the deepest key end along it. Only a space met past
    // the first byte opens the choices the full walk below weighs.
    {
        // Key ends along the path, shortest first; a few at most.
        constexpr int kInlineEnds = 16;
        std::pair<Node, int> inlineEnds[kInlineEnds];
        std::vector<std::pair<Node, int>> moreEnds;
        int ends = 0;
        Node node = cursor.root();
        int pos = start;
        bool choice = false;
        while (pos < n) {
            if (skipSpaces && pos > start && text[pos] == ' ') {
                choice = true;
                break;
            }
            Node next{};
            if (!cursor.child(node, static_cast<unsigned char>(text[pos]), next)) break;
            node = next;
            ++pos;
            if (cursor.endsKey(node)) {
                if (ends < kInlineEnds)
                    inlineEnds[ends] = {node, pos - start};
                else
                    moreEnds.emplace_back(node, pos - start);
                ++ends;
            }
        }
        if (!choice) {
            for (int i = ends - 1; i >= 0; --i) {
                const auto& end = i < kInlineEnds ? inlineEnds[i] : moreEnds[i - kInlineEnds];
                if (accept(end.first, end.second)) {
                    found = end.first;
                    return end.second;
                }
            }
            return 0;
        }
    }

    // Frames live in a small inline buffer; only unusually deep walks spill
    // into the heap.
    constexpr int kInline = 64;
    detail::WalkFrame<Node> inlineFrames[kInline];
    std::vector<detail::WalkFrame<Node>> spill;
    int depth = 0;
    auto at = [&](int i) -> detail::WalkFrame<Node>& { return i < kInline ? inlineFrames[i] : spill[i - kInline]; };
    auto push = [&](Node node, int pos) {
        if (depth < kInline) {
            inlineFrames[depth] = {node, pos, 0};
        } else {
            if (static_cast<int>(spill.size()) <= depth - kInline) spill.resize(depth - kInline + 1);
            spill[depth - kInline] = {node, pos, 0};
        }
        ++depth;
    };

    long long budget = 16LL * (n - start) + 256;
    push(cursor.root(), start);
    while (depth > 0) {
        if (--budget < 0) return 0;
        detail::WalkFrame<Node>& f = at(depth - 1);
        const bool atRoot = depth == 1;
        Node next{};
        if (f.stage == 0) {
            f.stage = 1;
            if (f.pos < n && cursor.child(f.node, static_cast<unsigned char>(text[f.pos]), next)) {
                push(next, f.pos + 1);
            }
        } else if (f.stage == 1) {
            f.stage = 2;
            if (!atRoot && skipSpaces && f.pos < n && text[f.pos] == ' ') {
                int q = f.pos;
                while (q < n && text[q] == ' ') ++q;
                if (q < n && cursor.child(f.node, static_cast<unsigned char>(text[q]), next)) push(next, q + 1);
            }
        } else {
            if (!atRoot && cursor.endsKey(f.node) && accept(f.node, f.pos - start)) {
                found = f.node;
                return f.pos - start;
            }
            --depth;
        }
    }
    return 0;
}


// ---------------------------------------------------------------------------
// Shared implementation of the two pointer-based tries.

namespace detail {

template <typename NodeT>
struct PointerCursor {
    using Node = const NodeT*;
    const NodeT* top;
    Node root() const { return top; }
    bool child(Node n, unsigned char byte, Node& next) const {
        using Key = typename decltype(n->children)::key_type;
        auto it = n->children.find(static_cast<Key>(byte));
        if (it == n->children.end()) return false;
        next = it->second.get();
        return true;
    }
    bool endsKey(Node n) const { return n != top && n->entry != nullptr; }
};

template <typename NodeT>
void pointerInsert(NodeT& root, const std::string& rawKey, const std::string& value) {
    const std::string key = TrieKeys::normalise(rawKey);
    if (!TrieKeys::accepts(key)) return;
    using Key = typename decltype(root.children)::key_type;
    NodeT* node = &root;
    for (char c : key) {
        auto& slot = node->children[static_cast<Key>(static_cast<unsigned char>(c))];
        if (!slot) slot.reset(new NodeT());
        node = slot.get();
    }
    node->entry = std::make_shared<std::pair<std::string, std::string>>(rawKey, value);
    node->normalisedKey = key;
}

// Releases a trie without recursing once per key byte.
template <typename NodeT>
void pointerTeardown(std::unique_ptr<NodeT>& root) {
    std::vector<std::unique_ptr<NodeT>> pending;
    if (root) pending.push_back(std::move(root));
    while (!pending.empty()) {
        std::unique_ptr<NodeT> node = std::move(pending.back());
        pending.pop_back();
        for (auto& child : node->children) pending.push_back(std::move(child.second));
    }
}

template <typename NodeT>
bool pointerSearch(const NodeT& root, const std::string& text, std::string& rawKey, std::string& value,
                   std::string& normalisedKey, int& skippedSpaces, bool skipSpaces) {
    PointerCursor<NodeT> cursor{&root};
    const NodeT* found = nullptr;
    const int length = longestMatch(cursor, text, 0, skipSpaces, found);
    if (length <= 0) return false;
    rawKey = found->entry->first;
    value = found->entry->second;
    normalisedKey = found->normalisedKey;
    skippedSpaces = length - static_cast<int>(found->normalisedKey.size());
    return true;
}

template <typename NodeT>
bool pointerSearch(const NodeT& root, const std::string& text, int start,
                   std::vector<std::pair<std::string, std::string>>& results, int& matchLength, bool skipSpaces,
                   bool ignoreLeadingMark) {
    PointerCursor<NodeT> cursor{&root};
    const NodeT* found = nullptr;
    // The longest key whose boundary tests pass.
    const int length = longestMatch(cursor, text, start, skipSpaces, found, [&](const NodeT* node, int len) {
        return TrieKeys::passes(text, start, len, node->entry->first, ignoreLeadingMark);
    });
    if (length > 0) {
        results.push_back(*found->entry);
        matchLength = length;
    }
    return !results.empty();
}

}  // namespace detail

}  // namespace Varnex
