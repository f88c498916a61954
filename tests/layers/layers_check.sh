#!/usr/bin/env bash
# The layer checks catch what they are for: on a scratch copy of the
# checkers, an IDE file that includes the shell and a platform level that
# includes the back end fail scripts/layers; a circle of four files inside a
# folder fails scripts/include-circles -m 3, and a circle of three passes.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

mkdir -p "$work/scripts" "$work/ide/bars" "$work/ide/shell" "$work/platform/user" "$work/platform/backend" \
  "$work/platform/port"
for f in values interpreter builtins devices graphics ui_controls plot_device console_device; do mkdir -p "$work/$f"; done
cp "$root/scripts/layers" "$root/scripts/include-circles" "$work/scripts/"
printf '#pragma once\n' >"$work/ide/shell/app.h"
printf '#pragma once\n' >"$work/platform/backend/headless.h"
printf '#pragma once\n' >"$work/platform/port/backend.h"
printf '#include "platform/port/backend.h"\n' >"$work/platform/user/cursor.cpp"
printf '#include "ide/shell/app.h"\n' >"$work/ide/shell/main_frame.cpp"
"$work/scripts/layers" -q || fail "a clean tree was refused"

# A bar that includes the shell: a back edge between the IDE folders.
printf '#include "ide/shell/app.h"\n' >"$work/ide/bars/output_bar.cpp"
out=$("$work/scripts/layers" -q) && fail "ide/bars -> ide/shell passed"
grep -q 'ide/bars/output_bar.cpp:1 includes ide/shell/app.h: ide/bars may not use ide/shell' <<<"$out" ||
  fail "unexpected report: $out"
rm "$work/ide/bars/output_bar.cpp"

# user below the back end's implementations.
printf '#include "platform/backend/headless.h"\n' >>"$work/platform/user/cursor.cpp"
out=$("$work/scripts/layers" -q) && fail "platform/user -> platform/backend passed"
grep -q 'platform/user may not use platform/backend' <<<"$out" || fail "unexpected report: $out"

# Circles: a -> b -> c -> a passes at 3; adding d between c and a fails.
d="$work/ide/run"
mkdir -p "$d"
printf '#include "ide/run/b.h"\n' >"$d/a.h"
printf '#include "ide/run/c.h"\n' >"$d/b.h"
printf '#include "ide/run/a.h"\n' >"$d/c.cpp"
printf '#pragma once\n' >"$d/c.h"
python3 "$work/scripts/include-circles" -q -m 3 ide || fail "a circle of 3 was refused"
# A .cpp without a header of its own counts with the class it defines most
# members of: dee_more.cpp closes the circle for dd.h.
printf '#include "ide/run/dd.h"\n' >"$d/c.h"
printf '\n' >"$d/c.cpp"
printf 'class CDee {\n    void Run();\n};\n' >"$d/dd.h"
printf '#include "ide/run/a.h"\nvoid CDee::Run() {}\n' >"$d/dee_more.cpp"
out=$(python3 "$work/scripts/include-circles" -q -m 3 ide) && fail "a circle of 4 passed"
grep -q '^4: ide/run/a ide/run/b ide/run/c ide/run/dd$' <<<"$out" || fail "unexpected circles: $out"
rm "$d/dee_more.cpp"

# Calling a class's static function inside a body is no definition: calls.cpp
# stays a node of its own and closes no circle for dd.h.
printf '#include "ide/run/a.h"\nvoid Go()\n{\n    CDee::Run();\n    CDee::Run();\n}\n' >"$d/calls.cpp"
out=$(python3 "$work/scripts/include-circles" -m 3 ide) || fail "a call counted as a definition: $out"
grep -q '^largest circle: 1$' <<<"$out" || fail "unexpected circles: $out"
echo "layer checks: ok"
