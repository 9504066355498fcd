#!/usr/bin/env bash
# Builds Quorvane for Linux and runs it in the foreground. Without a settings
# file beside the program it first writes one for a demonstration: the RAM
# disk in /dev/shm, the backup in the user's data directory. Ctrl-C ends the
# session: the RAM disk is saved and the program exits.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh run
cmake --preset linux-release >/dev/null
cmake --build --preset linux-release

program=build/linux-release/quorvane
settings=$program.ini
if [ ! -f "$settings" ]; then
  data=${XDG_DATA_HOME:-$HOME/.local/share}
  cat > "$settings" <<INI
[Path]
RAMDisk=/dev/shm/quorvane
BackupDir=$data/quorvane/backup
INI
  echo "quorvane: wrote a demonstration settings file: $settings"
fi
sed -n 's/^\(RAMDisk\|BackupDir2\?\)=/  \1=/p' "$settings"
echo "quorvane: running; press Ctrl-C to save the RAM disk and stop"
exec "$program"
