#!/usr/bin/env bash
# The scenario runner as a program: its exit status and standard error when the scenario cannot
# be read or the answers cannot be written, a reader that goes away, and memory that stays
# bounded however long a line or a scenario is.
#
#   replay_cli.sh PERNADAS_REPLAY PEAK_RSS LIMIT_MIB LINES WORKDIR
#
# LIMIT_MIB is the most memory the runner may hold at its peak; 0 measures without a limit (a
# build under AddressSanitizer holds the sanitizer's own bookkeeping besides the runner's, and
# keeps what is freed for a while). LINES is the length of the long scenario (a million).
set -u
replay=$(realpath "$1")
peak_rss=$(realpath "$2")
limit_mib=$3
lines=$4
work=$5
rm -rf "$work"
mkdir -p "$work"
cd "$work" || exit 1

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
expect_status() {  # what, wanted, got
    [ "$2" = "$3" ] || fail "$1: exit status $3, wanted $2"
}
# Exactly one line on standard error, naming the runner and saying why.
expect_reason() {  # what, file, words it must hold
    local lines
    lines=$(wc -l <"$2")
    [ "$lines" = 1 ] || fail "$1: $lines lines on standard error, wanted one: $(cat "$2")"
    grep -q "^pernadas-replay: .*$3" "$2" || fail "$1: standard error says \"$(cat "$2")\""
}
# Runs the runner under peak_rss and checks how it ended and the memory it held.
measure() {  # what, seconds (0: to its end), wanted ending; then the input on stdin
    local what=$1 seconds=$2 ending=$3
    "$peak_rss" report "$seconds" "$replay" >out 2>err
    local peak ended
    peak=$(awk '/^peak_kib/ {print $2}' report)
    ended=$(sed -n 's/^ended //p' report)
    echo "$what: peak $((peak / 1024)) MiB ($peak KiB), $(wc -l <out) answers, ended $ended"
    [ "$ended" = "$ending" ] || fail "$what: ended $ended, wanted $ending; $(head -c 300 err)"
    if [ "$limit_mib" -gt 0 ] && [ "$peak" -ge $((limit_mib * 1024)) ]; then
        fail "$what: held $peak KiB, more than $limit_mib MiB"
    fi
}

printf 'show frmmain\n' >scenario

# --- A scenario that cannot be read: exit 2, one line saying why, no answers.
"$replay" <. >out 2>err
expect_status "a directory as standard input" 2 $?
expect_reason "a directory as standard input" err "cannot read standard input: Is a directory"
[ -s out ] && fail "a directory as standard input: answers written"

"$replay" <&- >out 2>err
expect_status "standard input closed" 2 $?
expect_reason "standard input closed" err "cannot read standard input"

"$replay" . >out 2>err
expect_status "a directory as the scenario" 2 $?
expect_reason "a directory as the scenario" err "cannot read \\.: Is a directory"

"$replay" no-such-scenario >out 2>err
expect_status "a missing scenario" 2 $?
expect_reason "a missing scenario" err "cannot read no-such-scenario: No such file or directory"

"$replay" scenario scenario >out 2>err
expect_status "two scenarios" 2 $?

# --- Answers that cannot be written: exit 2 and why.
"$replay" scenario >&- 2>err
expect_status "standard output closed" 2 $?
expect_reason "standard output closed" err "cannot write standard output"

if [ -w /dev/full ]; then
    "$replay" scenario >/dev/full 2>err
    expect_status "standard output full" 2 $?
    expect_reason "standard output full" err "cannot write standard output: No space left on device"
fi

# --- A reader that goes away ends an endless run at once, quietly (SIGPIPE, 128 + 13). Were
# the runner to go on, this would never end and the test would time out.
yes 'show frmmain' | "$replay" 2>err | head -n 1 >out
statuses=("${PIPESTATUS[@]}")
expect_status "a reader that goes away" 141 "${statuses[1]}"
[ -s err ] && fail "a reader that goes away: standard error says \"$(cat err)\""
grep -q '^{"cmd":"show frmmain","messages":\[\],"error":null,"loaded":\["frmmain"\]}$' out ||
    fail "a reader that goes away: the first answer is $(cat out)"

# --- Bounded memory.
# A line of 10 MB: one bad line, read past; the lines after it are performed.
{
    head -c 10000000 /dev/zero | tr '\0' 'x'
    printf '\nshow frmmain\ndump frmmain'
} | measure "a line of 10 MB" 0 "exit 1"
[ "$(wc -l <out)" = 3 ] || fail "a line of 10 MB: $(wc -l <out) answers, wanted 3"
head -n 1 out | grep -q '^{"cmd":"x\{32\}...","bad":"line too long"}$' ||
    fail "a line of 10 MB: answered $(head -c 200 out)"
tail -n 1 out | grep -q '^{"cmd":"dump frmmain","form":"frmmain"' ||
    fail "a line of 10 MB: the last line answered $(tail -n 1 out | head -c 200)"

# A long scenario (a million lines), each line an action or a query.
{
    echo 'show frmduaspernas'
    yes 'arrow frmduaspernas hsbperna +
dump frmduaspernas
arrow frmduaspernas hsbperna -
drag frmduaspernas hsblcarga 300' | head -n $((lines - 1))
} | measure "$lines lines" 0 "exit 0"
[ "$(wc -l <out)" = "$lines" ] || fail "$lines lines: $(wc -l <out) answers"

# An endless line of zero bytes, for a few seconds: still reading, memory flat.
measure "/dev/zero for 3 seconds" 3 "signal 15" </dev/zero
[ -s out ] && fail "/dev/zero: answered $(head -c 200 out)"

if [ "$failures" -gt 0 ]; then
    echo "$failures checks failed"
    exit 1
fi
echo "every check held"
