#!/bin/sh
# Derives the reply-type training material from its sources:
#
#   reply_type_data.sh SOURCE_ROOT OUTPUT_ROOT
#
# reads SOURCE_ROOT/data/reply_type/intent_a.tsv and intent_b.tsv ("intent
# TAB message", the sender's intent) and the phrase rules of
# SOURCE_ROOT/resources/1.0/model, and writes under OUTPUT_ROOT (the same
# layout; usually the source tree itself):
#
#   data/reply_type/reply_type.train.tsv   "reply type TAB message"
#   data/reply_type/reply_type.test.tsv    the held-out tenth, same form
#   resources/1.0/model/reply_type.dictionary
#
# Intents become the reply type they call for; "other" becomes "none". A
# message repeated in the sources is kept once. The held-out tenth is chosen
# by a hash of the message bytes, so it is the same for every reply type,
# and adding or removing a line moves no other message across. The phrase
# dictionary holds every phrase of the reply-type rule files that signals
# its type (any label but FALSE and joke, which veto), valued with that reply type; a phrase
# listed twice keeps its first type. Files are replaced only when their
# content changes.
set -eu

if [ $# -ne 2 ]; then
    echo "usage: $0 SOURCE_ROOT OUTPUT_ROOT" >&2
    exit 2
fi
src=$1
out=$2
# Byte semantics for the hash, whatever awk is installed.
export LC_ALL=C

mkdir -p "$out/data/reply_type" "$out/resources/1.0/model"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

awk -F '\t' -v train="$tmp/train" -v test="$tmp/test" '
BEGIN {
    split("thanks:you_re_welcome wish:thanks good_news:congratulation bad_news:worry " \
          "apology:apology compliment:compliment love:me_too request:favor why:why " \
          "when:when greeting:greeting other:none", pairs, " ")
    for (i in pairs) {
        split(pairs[i], kv, ":")
        type[kv[1]] = kv[2]
    }
    for (i = 1; i < 256; i++) ord[sprintf("%c", i)] = i
}
{
    sub(/\r$/, "")
    if ($0 == "") next
    if (NF != 2 || !($1 in type)) {
        printf "%s:%d: not \"intent TAB message\" with a known intent\n", FILENAME, FNR > "/dev/stderr"
        exit 1
    }
    if ($2 in seen) next
    seen[$2] = 1
    h = 0
    n = length($2)
    for (j = 1; j <= n; j++) h = (h * 131 + ord[substr($2, j, 1)]) % 1000000007
    print type[$1] "\t" $2 > (h % 10 == 0 ? test : train)
}
' "$src/data/reply_type/intent_a.tsv" "$src/data/reply_type/intent_b.tsv"

rules="$src/resources/1.0/model"
for pair in reply_type_thanks.rule:thanks wish.rule:me_too reply_type_you_are_welcome.rule:you_re_welcome \
            reply_type_worry.rule:worry reply_type_its_ok.rule:its_ok reply_type_why.rule:why \
            reply_type_what_is_this.rule:what_is_this reply_type_congratulation.rule:congratulation \
            reply_type_when.rule:when reply_type_favor.rule:favor; do
    file=${pair%%:*}
    awk -F '\t' -v value="${pair#*:}" '{ sub(/\r$/, "") } NF == 2 && $1 != "FALSE" && $1 != "joke" && $2 != "" { print value "\t" $2 }' \
        "$rules/$file"
done | awk -F '\t' '!($2 in seen) { seen[$2] = 1; print }' > "$tmp/dictionary"

replace() {
    if ! cmp -s "$1" "$2"; then
        cp "$1" "$2"
        echo "wrote $2"
    fi
}
replace "$tmp/train" "$out/data/reply_type/reply_type.train.tsv"
replace "$tmp/test" "$out/data/reply_type/reply_type.test.tsv"
replace "$tmp/dictionary" "$out/resources/1.0/model/reply_type.dictionary"
