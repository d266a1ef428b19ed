#!/usr/bin/env bash
# The layer rules as the sources show them (the build checks the links): a layer includes only from the
# layers below it and the layers' includes form no cycle; and the house rules that keep the layers
# honest: no reply hex sliced at digit positions outside the protocol, no memory-map address or command
# code outside the one table, no window reaching the connection or its socket, one busy guard.
set -u
root=${1:-.}
cd "$root/src" || exit 2
fail=0
say() { echo "layering: $*"; fail=1; }

allowed() {  # layer -> layers it may include from (besides itself)
  case "$1" in
    protocol) echo "" ;;
    sim) echo "protocol" ;;
    transport) echo "protocol" ;;
    memmap) echo "protocol transport" ;;
    points|options) echo "protocol transport memmap" ;;
    config) echo "protocol memmap points options" ;;
    transfer) echo "protocol transport memmap points options config" ;;
    core) echo "protocol transport memmap points options config transfer" ;;
    unit) echo "protocol transport memmap points options config transfer core" ;;
    ui|cli) echo "protocol transport memmap points options config transfer core unit" ;;
    app) echo "protocol transport memmap points options config transfer core unit sim ui cli" ;;
    *) echo "" ;;
  esac
}

edges=""
for dir in */; do
  layer=${dir%/}
  ok=" $layer $(allowed "$layer") "
  while IFS= read -r line; do
    file=${line%%:*}
    inc=$(sed -E 's/.*#include +"([a-z_]+)\/.*/\1/' <<<"$line")
    [ -d "$inc" ] || continue
    [ "$inc" != "$layer" ] && edges+="$layer $inc"$'\n'
    [[ "$ok" == *" $inc "* ]] || say "$file includes from $inc/, which $layer/ may not use"
  done < <(grep -rHE '^#include +"[a-z_]+/' "$layer" 2>/dev/null)
  case "$layer" in
    protocol|sim) grep -rnE '^#include +<Q' "$layer" && say "$layer/ must not include Qt" ;;
  esac
done

# A cycle between layers, whatever the allowed lists say.
if ! sort -u <<<"$edges" | sed '/^$/d' | tsort >/dev/null 2>/tmp/kestrio-tsort.$$; then
  say "the layers include one another in a cycle: $(tr '\n' ' ' </tmp/kestrio-tsort.$$)"
fi
rm -f /tmp/kestrio-tsort.$$

hits=$(grep -rnE 'substr\((24|32),' --include=*.cpp --include=*.h . | grep -v '^./protocol/')
[ -n "$hits" ] && say "reply hex sliced at digit positions outside protocol/ (use the payload reader):"$'\n'"$hits"
hits=$(grep -rnE '"FFFFF[0-9A-F]{7}"|0xFFFFF[0-9A-F]{7}' --include=*.cpp --include=*.h . | grep -v '^./protocol/memory_map')
[ -n "$hits" ] && say "a memory-map address outside the table in protocol/memory_map.h:"$'\n'"$hits"
hits=$(grep -rnE 'GetConnection\(\)|Socket\(\)|GetLink\(\)' ui | grep -v '^ui/window_context.h')
[ -n "$hits" ] && say "a window reaching the connection (go through its WindowContext):"$'\n'"$hits"
hits=$(grep -rnE 'bool running_' ui | grep -v '^ui/job_guard.h')
[ -n "$hits" ] && say "a window keeping its own busy flag (use JobGuard):"$'\n'"$hits"

[ $fail -eq 0 ] && echo "layering: ok"
exit $fail
