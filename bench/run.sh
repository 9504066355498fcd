#!/usr/bin/env bash
# Times Quorvane's Linux SHFileOperationA (through bench/shellop, flags 0x0610) against
# `cp -a` and `rsync -a --delete` on the same trees, and prints each ratio (ours / theirs).
#
#   bench/run.sh                 # 5 rounds of every scenario
#   ROUNDS=3 bench/run.sh        # fewer rounds
#   KEEP=1 bench/run.sh          # keep the corpora (in /dev/shm and bench/out) for the next run
#   SCENARIOS="save-small" bench/run.sh   # only the named scenarios (names as in the summary)
#
# Corpora: "small" = 20,000 files of 1-16 KiB in nested directories; "big" = 50 files of 20 MiB.
# The RAM disk stands in as a folder on /dev/shm (tmpfs); the backup as a folder under bench/out
# (the repository's filesystem). Scenarios per corpus:
#   restore     backup (disk) -> empty RAM folder           ours vs cp -a
#   save        RAM -> empty backup folder                  ours vs cp -a, and vs cp -a + sync
#               (ours ends with syncfs(); cp -a leaves its data in the page cache)
#   save-1%     RAM with 1% of files changed -> backup holding the previous state
#                                                           ours vs rsync -a --delete (+ sync)
# Page caches are not dropped; every figure is the median of ROUNDS runs.
set -euo pipefail

ROUNDS=${ROUNDS:-5}
HERE=$(cd "$(dirname "$0")" && pwd)
REPO=$(cd "$HERE/.." && pwd)
BUILD=$REPO/build/linux-release
SHELLOP=$BUILD/bench/shellop
RAM=/dev/shm/quorvane-bench
DISK=$HERE/out

command -v rsync >/dev/null || { echo "rsync is needed (apt-get install -y rsync)" >&2; exit 1; }

if [[ ! -f $BUILD/build.ninja ]]; then
  (cd "$REPO" && cmake --preset linux-release >/dev/null)
fi
(cd "$REPO" && cmake --build --preset linux-release --target shellop >/dev/null)

cleanup() {
  if [[ -z ${KEEP:-} ]]; then
    rm -rf "$RAM" "$DISK"
  fi
}
trap cleanup EXIT

mkdir -p "$RAM" "$DISK"

# ---------------------------------------------------------------- corpora

make_corpora() {
  python3 - "$RAM" <<'EOF'
import os, random, sys
root = sys.argv[1]
rng = random.Random(20240601)
def write(path, size):
    with open(path, 'wb') as f:
        f.write(rng.randbytes(size))
small = os.path.join(root, 'small-old')
if not os.path.isdir(small):
    n = 0
    for a in range(20):
        for b in range(10):
            d = os.path.join(small, 'a%02d' % a, 'b%02d' % b)
            os.makedirs(d)
            for c in range(100):
                write(os.path.join(d, 'f%03d.dat' % c), rng.randint(1024, 16 * 1024))
                n += 1
    assert n == 20000
big = os.path.join(root, 'big-old')
if not os.path.isdir(big):
    os.makedirs(big)
    block = rng.randbytes(1 << 20)
    for i in range(50):
        with open(os.path.join(big, 'big%02d.bin' % i), 'wb') as f:
            for j in range(20):
                f.write(bytes([i, j]) + block[2:])
EOF
  # The "new" trees: 1% of the files changed (rewritten with new content and a new time).
  for corpus in small big; do
    if [[ ! -d $RAM/$corpus-new ]]; then
      cp -a "$RAM/$corpus-old" "$RAM/$corpus-new"
      python3 - "$RAM/$corpus-new" <<'EOF'
import os, random, sys, time
root = sys.argv[1]
files = sorted(os.path.join(d, f) for d, _, fs in os.walk(root) for f in fs)
rng = random.Random(7)
count = max(1, len(files) // 100)
for path in rng.sample(files, count):
    size = os.path.getsize(path)
    with open(path, 'r+b') as f:
        f.write(rng.randbytes(min(size, 4096)))
    os.utime(path, ns=(time.time_ns(), time.time_ns()))
print(f"{root}: {count} of {len(files)} files changed", file=sys.stderr)
EOF
    fi
    if [[ ! -d $DISK/backup-$corpus ]]; then
      cp -a "$RAM/$corpus-old" "$DISK/backup-$corpus"
    fi
  done
  sync
}

# ---------------------------------------------------------------- timing

now_us() { echo $(( $(date +%s%N) / 1000 )); }

# time_us COMMAND...: runs it, prints the microseconds it took; a failure ends the bench.
time_us() {
  local start end
  start=$(now_us)
  "$@" >/dev/null
  end=$(now_us)
  echo $(( end - start ))
}

median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : int((a[NR/2]+a[NR/2+1])/2)}'; }

ours_copy() { "$SHELLOP" copy "$1/*" "$2/"; }
cp_copy() { cp -a "$1/." "$2/"; }
cp_copy_sync() { cp -a "$1/." "$2/" && sync -f "$2"; }
rsync_copy() { rsync -a --delete "$1/" "$2/"; }
rsync_copy_sync() { rsync -a --delete "$1/" "$2/" && sync -f "$2"; }

# A fresh empty destination. The previous one is moved to a trash folder, not deleted: on this
# ext4 (mounted with "discard") deleting 20,000 files slows every following write for seconds.
# The trash is emptied between scenarios, followed by a pause.
TRASH=$DISK/trash
fresh() {
  mkdir -p "$TRASH"
  if [[ -e $1 ]]; then mv "$1" "$TRASH/$(basename "$1").$RANDOM$RANDOM"; fi
  mkdir -p "$1"
  sync
}
settle() { rm -rf "$TRASH" "$@"; sync; sleep 5; }

RESULTS=()
report() { # name ours theirs...
  local name=$1 ours=$2 theirs=$3 label=$4
  local ratio
  ratio=$(awk -v a="$ours" -v b="$theirs" 'BEGIN {printf "%.2f", a / b}')
  RESULTS+=("$(printf '%-18s ours %8.1f ms   %-22s %8.1f ms   ratio %s' "$name" \
    "$(awk -v a="$ours" 'BEGIN{print a/1000}')" "$label" "$(awk -v a="$theirs" 'BEGIN{print a/1000}')" "$ratio")")
  echo "${RESULTS[-1]}"
}

# full SCENARIO SOURCE DESTINATION: copies into an empty destination, ours against cp -a (and cp -a + sync).
full() {
  local name=$1 src=$2 dst=$3 ours=() cp=() cps=()
  fresh "$dst"; cp_copy "$src" "$dst" # warm-up, not counted
  for ((round = 0; round < ROUNDS; round++)); do
    # The first writer after a pause pays ext4's lazily loaded block bitmaps: alternate who goes first.
    if ((round % 2 == 1)); then fresh "$dst"; cp+=("$(time_us cp_copy "$src" "$dst")"); fi
    fresh "$dst"; ours+=("$(time_us ours_copy "$src" "$dst")")
    if ((round % 2 == 0)); then fresh "$dst"; cp+=("$(time_us cp_copy "$src" "$dst")"); fi
    fresh "$dst"; cps+=("$(time_us cp_copy_sync "$src" "$dst")")
  done
  echo "  $name samples (us): ours ${ours[*]} | cp ${cp[*]} | cp+sync ${cps[*]}" >&2
  diff -r "$src" "$dst" >/dev/null || { echo "$name: trees differ" >&2; exit 1; }
  local o; o=$(median "${ours[@]}")
  report "$name" "$o" "$(median "${cp[@]}")" "cp -a"
  report "$name" "$o" "$(median "${cps[@]}")" "cp -a + sync"
  settle "$dst"
}

# changed SCENARIO OLD NEW DESTINATION: the destination holds OLD; copies NEW over it.
changed() {
  local name=$1 old=$2 new=$3 dst=$4 ours=() rs=() rss=()
  rm -rf "$dst"; cp -a "$old" "$dst"; sync; sleep 5
  for ((round = 0; round < ROUNDS; round++)); do
    if ((round % 2 == 1)); then rsync -a --delete "$old/" "$dst/"; sync; rs+=("$(time_us rsync_copy "$new" "$dst")"); fi
    rsync -a --delete "$old/" "$dst/"; sync; ours+=("$(time_us ours_copy "$new" "$dst")")
    if ((round % 2 == 0)); then rsync -a --delete "$old/" "$dst/"; sync; rs+=("$(time_us rsync_copy "$new" "$dst")"); fi
    rsync -a --delete "$old/" "$dst/"; sync; rss+=("$(time_us rsync_copy_sync "$new" "$dst")")
  done
  echo "  $name samples (us): ours ${ours[*]} | rsync ${rs[*]} | rsync+sync ${rss[*]}" >&2
  "$SHELLOP" copy "$new/*" "$dst/"
  diff -r "$new" "$dst" >/dev/null || { echo "$name: trees differ" >&2; exit 1; }
  local o; o=$(median "${ours[@]}")
  report "$name" "$o" "$(median "${rs[@]}")" "rsync -a --delete"
  report "$name" "$o" "$(median "${rss[@]}")" "rsync --delete + sync"
  settle "$dst"
}

echo "machine: $(nproc) CPUs, kernel $(uname -r), RAM folder on $(stat -f -c %T "$RAM"), backup on $(stat -f -c %T "$DISK") ($(df --output=source "$DISK" | tail -1))"
echo "rounds: $ROUNDS (medians)"
make_corpora
settle

# selected NAME: true when SCENARIOS is unset or names NAME.
selected() { [[ -z ${SCENARIOS:-} || " $SCENARIOS " == *" $1 "* ]]; }

for corpus in small big; do
  if selected "restore-$corpus"; then full "restore-$corpus" "$DISK/backup-$corpus" "$RAM/restored-$corpus"; fi
  if selected "save-$corpus"; then full "save-$corpus" "$RAM/$corpus-old" "$DISK/saved-$corpus"; fi
  if selected "save-1%-$corpus"; then
    changed "save-1%-$corpus" "$RAM/$corpus-old" "$RAM/$corpus-new" "$DISK/resaved-$corpus"
  fi
done

echo
echo "summary:"
printf '%s\n' "${RESULTS[@]}"
