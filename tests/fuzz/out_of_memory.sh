#!/usr/bin/env bash
# Programs that grow a value until memory runs out, run under an address-space
# limit: each must end with "Error: Not enough memory" at its line and status
# 1, with no crash and nothing after the error. Usage: out_of_memory.sh VELDRA SANITIZED
# (the sanitizer build reserves its shadow memory at start and cannot run
# under such a limit: there only the cases under a resident-set limit run).
set -uo pipefail
exe=$(realpath "$1")
sanitized=${2:-OFF}
command -v prlimit >/dev/null || { echo "skipped: prlimit is missing"; exit 77; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export OPENBLAS_NUM_THREADS=1 VELDRA_HEADLESS=1 VELDRA_CONFIG_HOME="$dir/config"
failed=0
ran=0
check() {  # name, program text, the lines the error may be on (a pattern), the error's text, the limit in MB, as|rss
  local name=$1 text=$2 line=$3 error=${4:-Not enough memory} mb=${5:-1536} kind=${6:-as}
  [ "$kind" = as ] && [ "$sanitized" = ON ] && return
  ran=1
  printf '%s' "$text" > "$dir/$name.vdx"
  (cd "$dir" && timeout 300 prlimit --$kind=$((mb << 20)) -- "$exe" --run "$name.vdx" > "$dir/out" 2> "$dir/err")
  local rc=$?
  local last
  last=$(tail -n 1 "$dir/out")
  if [ $rc != 1 ] || ! [[ "$last" =~ ^Error:\ $error$ ]] || ! grep -qxE "  at $name.vdx:($line)" "$dir/err"; then
    echo "FAILED: $name at $mb MB of $kind (status $rc)"; echo "--- last lines"; tail -n 5 "$dir/out"; echo "--- standard error"
    head -c 2000 "$dir/err"; failed=1
  else
    echo "ok: $name at $mb MB of $kind: $(grep -c . "$dir/out") lines, then the error"
  fi
}
# Each round doubles a nested value whose outer shape stays 1 x 2, 2 x 1, or
# grows by one row. The column's rows are one cell each: a refused copy used to
# write into the rows it had given back (a heap error at the end), at several
# limits, so it runs under three.
check nested_row $'x = 1;\nfor(i = 1:40)\n    x = [x, x];\n    i;\nend\n"not reached";\n' 3
for mb in 896 1500 1536; do
  check nested_column $'x = [1, 2];\nfor(i = 1:40)\n    x = [x; x];\n    i;\nend\n"not reached";\n' 3 'Not enough memory' $mb
done
check nested_by_index $'x = [1, 2];\nfor(i = 1:60)\n    x[row(x) + 1, 1] = x;\n    i;\nend\n"not reached";\n' 3
check nested_text $'s = "ab";\nfor(i = 1:60)\n    s = [s, s];\n    i;\nend\n"not reached";\n' 3
# A string and a structure that double.
check string $'s = "ab";\nfor(i = 1:60)\n    s = s + s;\n    i;\nend\n"not reached";\n' 3
check fields $'p = {a = [1, 2, 3]};\nfor(i = 1:60)\n    q = p;\n    p.a = q;\n    p.b = q;\n    i;\nend\n"not reached";\n' '3|4|5'
# A matrix of a size from a number refuses what the process cannot get
# (its cells, 5 GB here, not more than it takes) before any cell is made:
# under the address-space limit, under the resident-set limit (which the
# kernel does not enforce; the program keeps it), and the size that fits is made.
big='Matrix indexing \(17627,17627\) is limits exceeded'
for f in rand randn ones zeros eye; do
  check "big_$f" $'n = 17627;\nx = '"$f"$'(n);\n"not reached";\n' 2 "$big"
  check "big_${f}_rss" $'n = 17627;\nx = '"$f"$'(n);\n"not reached";\n' 2 "$big" 1536 rss
done
check big_range $'x = 1..400000000;\n"not reached";\n' 1 'Matrix indexing \(1,4e\+08\) is limits exceeded'
check big_range_rss $'x = 1..400000000;\n"not reached";\n' 1 'Matrix indexing \(1,4e\+08\) is limits exceeded' 1536 rss
# A window for every call of a recursion: each is a thread, and the text
# library's threads ended the process when they could not start (a trap, or a
# crash inside the font library), so the window is refused while there is room.
for mb in 600 1536 2500; do
  check windows $'function f(n)\n    plot2d ([1, 2], [1, 2, 3]);\n    f(n + 1);\nend\nf(1);\n' 2 'Not enough memory' $mb
done
fits() {  # name, program text, the limit in MB, as|rss: must end without an error, its last line "done"
  local name=$1 text=$2 mb=$3 kind=$4
  [ "$kind" = as ] && [ "$sanitized" = ON ] && return
  printf '%s' "$text" > "$dir/$name.vdx"
  (cd "$dir" && timeout 300 prlimit --$kind=$((mb << 20)) -- "$exe" --run "$name.vdx" > "$dir/out" 2> "$dir/err")
  local rc=$?
  if [ $rc != 0 ] || [ "$(tail -n 1 "$dir/out")" != done ]; then
    echo "FAILED: $name at $mb MB of $kind (status $rc)"; tail -n 5 "$dir/out"; head -c 2000 "$dir/err"; failed=1
  else
    echo "ok: $name at $mb MB of $kind"
  fi
}
# 4000 x 4000 cells are 256 MB.
fits fitting_rand $'x = rand(4000);\nprint "done";\n' 1536 as
fits fitting_rand_rss $'x = rand(4000);\nprint "done";\n' 1536 rss
[ $ran = 1 ] || exit 77
exit $failed
