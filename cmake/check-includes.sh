#!/bin/sh
# Fails when a product file includes a header of a room it may not use.
# Rooms only include downward: main -> link, settings, housekeeping ->
# textfile -> base (and always their own room). Tests may include anything.
# linux/ (what runs the program on Linux) may include main and base, never
# the tests: run.sh builds nothing under tests/.
cd "$(dirname "$0")/.." || exit 2
allowed() {
    case "$1" in
    main) echo "main link settings housekeeping textfile base" ;;
    link | settings | housekeeping) echo "$1 textfile base" ;;
    textfile) echo "textfile base" ;;
    base) echo "base" ;;
    linux) echo "linux main base" ;;
    esac
}
status=0
for room in linux main link settings housekeeping textfile base; do
    for file in $(find "$room" -name '*.h' -o -name '*.cpp' | sort); do
        grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" |
        while IFS= read -r line; do
            target=$(printf '%s\n' "$line" | sed 's/^[^"]*"\([^"]*\)".*/\1/')
            case "$target" in */*) ;; *) target="$room/$target" ;; esac
            to=${target%%/*}
            case " $(allowed "$room") " in
            *" $to "*) ;;
            *) echo "$file:${line%%:*}: $room may not include $target"; exit 1 ;;
            esac
        done || status=1
    done
done
[ $status -eq 0 ] && echo "includes: every room includes only downward"
exit $status
