# Sourced by the real-tool tables, with their arguments WORK_DIR WORDS_CMD
# and `table_tools` naming the programs they run: the scripts' preamble, the
# work folder, the stream server, and one process group per row, each ended
# with KILL on every way out (an rtmpdump whose session failed may spin and
# ignore TERM).
[ $# -eq 2 ] || { echo "usage: $0 WORK_DIR WORDS_CMD" >&2; exit 2; }
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
. "$top/linux/script.sh"
mkdir -p "$1" && work=$(cd "$1" && pwd) || exit 2
words_cmd=$2
for tool in $table_tools; do
    command -v "$tool" >/dev/null || die "$tool is missing (cmake/install-deps.sh)"
done
. "$top/linux/stream-server.sh"
started=$(date +%s.%N)
set -m
groups=()
at_exit 'for group in "${groups[@]}"; do kill -KILL -- "-$group" 2>/dev/null; done'
