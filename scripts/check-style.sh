#!/usr/bin/env bash
# Checks the code style of the C++ files in src, sim, tests and bench:
#   1. clang-format --dry-run --Werror against .clang-format, every file
#      (a second or two for the whole tree);
#   2. clang-tidy with .clang-tidy (bugprone, performance, modernize) through
#      the build's compile_commands.json, on the changed files only: the .cpp
#      files that differ from the merge base with main (committed or not; on
#      main itself, those of its last commit), and the .cpp file beside each
#      changed header. The whole tree takes about 15 minutes on a two-core
#      machine, too long for every test run: TVX_TIDY=all checks every file,
#      TVX_TIDY=none skips clang-tidy.
# Fails on the first finding of either step.
#   usage: check-style.sh [build-dir]   (default build/release, configured)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${1:-$root/build/release}
mode=${TVX_TIDY:-changed}

for tool in clang-format clang-tidy; do
  command -v "$tool" >/dev/null || { echo "$tool not found (scripts/setup.sh installs it)"; exit 1; }
done

mapfile -t all_files < <(git ls-files -- 'src/*.cpp' 'src/*.h' 'sim/*.cpp' 'sim/*.h' \
  'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h')

echo "-- clang-format: ${#all_files[@]} files"
clang-format --dry-run --Werror "${all_files[@]}"

[ "$mode" = none ] && exit 0
if [ ! -f "$build/compile_commands.json" ]; then
  echo "$build/compile_commands.json missing: configure the build first"
  exit 1
fi

tidy_files=()
if [ "$mode" = all ]; then
  for f in "${all_files[@]}"; do [[ $f == *.cpp ]] && tidy_files+=("$f"); done
else
  base=$(git merge-base HEAD main 2>/dev/null || true)
  if [ -n "$base" ] && [ "$base" = "$(git rev-parse HEAD)" ] && [ -z "$(git status --porcelain)" ]; then
    base=$(git rev-parse -q --verify HEAD^ || true)
  fi
  if [ -z "$base" ]; then
    echo "-- clang-tidy: no branch main to compare with, every file"
    for f in "${all_files[@]}"; do [[ $f == *.cpp ]] && tidy_files+=("$f"); done
  else
    declare -A chosen=()
    while IFS= read -r f; do
      case $f in
        src/*|sim/*|tests/*|bench/*) ;;
        *) continue ;;
      esac
      case $f in
        *.cpp) [ -f "$f" ] && chosen[$f]=1 ;;
        *.h) [ -f "${f%.h}.cpp" ] && chosen[${f%.h}.cpp]=1 ;;
      esac
    done < <({ git diff --name-only "$base"; git ls-files --others --exclude-standard; } | sort -u)
    tidy_files=("${!chosen[@]}")
  fi
fi

# Only files the build compiles have a command line to check with (a fuzz
# target or a Windows-only file may be left out of this build).
mapfile -t in_build < <(python3 - "$build/compile_commands.json" "$root" "${tidy_files[@]}" <<'EOF'
import json, os, sys
db, root, files = sys.argv[1], sys.argv[2], sys.argv[3:]
known = {os.path.realpath(os.path.join(e["directory"], e["file"])) for e in json.load(open(db))}
for f in files:
    if os.path.realpath(os.path.join(root, f)) in known:
        print(f)
EOF
)
echo "-- clang-tidy ($mode): ${#in_build[@]} files"
[ ${#in_build[@]} -eq 0 ] && exit 0
# GCC-only warning options of the build are unknown to clang, and clang's
# -Wconversion also takes in the signed/unsigned mixes that GCC keeps apart
# for C++ (as the build does for clang).
printf '%s\n' "${in_build[@]}" | xargs -P "$(nproc)" -n 4 \
  clang-tidy -p "$build" --quiet --warnings-as-errors='*' --extra-arg=-Wno-unknown-warning-option \
  --extra-arg=-Wno-sign-conversion
