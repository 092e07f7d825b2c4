#!/usr/bin/env bash
# The include rule of content/'s rooms: model uses no other room; render uses model; card and
# preview use render and model; sound uses render and model, and card only in the voice pass.
# Nothing in content/ includes another subsystem. Prints every include that breaks the rule;
# exits 1 when there is one.
set -u
cd "$(dirname "$0")/.."

allowed() {  # room of the including file, path it includes (below content/) -> 0 when allowed
    local room=$1 target=$2 file=$3
    case $target in
        bytes.h | imc_codes.h | "$room"/*) return 0 ;;
        model/*) return 0 ;;
        render/*) [ "$room" != model ] ;;
        card/*) [ "$room" = sound ] && [[ $file == content/sound/voice_pass.* ]] ;;
        *) return 1 ;;
    esac
}

bad=0
while IFS= read -r file; do
    rel=${file#content/}
    room=${rel%%/*}
    [ "$room" = "$rel" ] && room=top
    while IFS= read -r inc; do
        case $inc in
            content/*)
                target=${inc#content/}
                if [ "$room" = top ]; then
                    [[ $target == bytes.h || $target == imc_codes.h ]] || { echo "$file: $inc"; bad=1; }
                elif ! allowed "$room" "$target" "$file"; then
                    echo "$file: $inc"; bad=1
                fi ;;
            link/* | music/* | editors/* | toolkit/* | shell/* | tests/* | tools/*)
                echo "$file: $inc (another subsystem)"; bad=1 ;;
        esac
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find content -name '*.h' -o -name '*.cpp' | sort)

if [ $bad -ne 0 ]; then
    echo "content/: includes that break the rooms' rule (see content/README.md)"
    exit 1
fi
echo "content/: every include runs one way"
