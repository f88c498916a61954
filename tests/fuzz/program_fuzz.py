#!/usr/bin/env python3
"""Generated programs against the interpreter.

Writes seeded, mostly well-formed programs over the whole language and every
built-in function (read from the help page the build writes from the
interpreter's own tables), runs them through `veldra --run` in batches under a
watchdog and a memory limit, and reports every program that crashes, trips a
sanitizer, hangs, or (with --compare) prints something else in the second
build. Program N of seed S is always the same program, so any finding is
repeated with --only N.

  program_fuzz.py --veldra build-asan/out/veldra --count 3000 --seed 1
  program_fuzz.py --veldra build-asan/out/veldra --compare build/out/veldra ...
"""
import argparse
import concurrent.futures
import html
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

# ---- the function table ------------------------------------------------------

# Functions whose results depend on the clock, on unseeded random numbers or
# on files outside the program: their programs are left out of comparisons.
# A program's generator is seeded from the clock as the program starts: rnd
# draws from it, and quadm's points too.
NONDETERMINISTIC = {"rand", "randn", "rnd", "quadm", "tick", "clock"}
# Functions that touch the file system; they get names in the run's own folder.
FILE_FUNCTIONS = {"fopen", "fclose", "fwrite", "fread", "feof", "freadln", "fwriteln", "fwriteb", "freadb",
                  "fseek", "ftell", "fsize", "ferror"}
# Functions that take other functions (pointers) as arguments.
POINTER_TAKERS = {"feval", "funm", "fevam", "str2func", "nlsolve", "fzero", "fmin", "fming", "quad", "quadl",
                  "quadg", "ode23", "ode45", "ode4s", "odeset"}


class Function:
    def __init__(self, name, outputs, named, defaults, variadic):
        self.name, self.outputs, self.named, self.defaults, self.variadic = name, outputs, named, defaults, variadic

    def arities(self):
        low = self.named - self.defaults
        high = self.named + (3 if self.variadic else 0)
        return list(range(low, high + 1))


PROTO = re.compile(r"^(?:\[([^\]]*)\]\s*=\s*)?([A-Za-z_][A-Za-z_0-9]*)\((.*)\)$")


def read_functions(help_page):
    """Every built-in row of the help page: its outputs, inputs and defaults."""
    text = open(help_page, encoding="utf-8").read()
    part = text.split('id="functions"', 1)[1].split("</dl>", 1)[0]
    out = []
    for proto in re.findall(r"<code>(.*?)</code>", part, re.S):
        proto = html.unescape(proto).strip()
        m = PROTO.match(proto)
        if not m:
            continue
        outs = 0 if m.group(1) is None else len([o for o in m.group(1).split(",") if o.strip()])
        ins = [a.strip() for a in m.group(3).split(",") if a.strip()] if m.group(3).strip() else []
        variadic = any(a.startswith("varg") for a in ins)
        named = [a for a in ins if not a.startswith("varg")]
        defaults = len([a for a in named if "=" in a])
        out.append(Function(m.group(2), outs, len(named), defaults, variadic))
    if not out:
        raise SystemExit("no functions found in " + help_page)
    return out


def read_statements(help_page):
    text = open(help_page, encoding="utf-8").read()
    part = text.split('id="statements"', 1)[1].split("</dl>", 1)[0]
    return set(html.unescape(w) for w in re.findall(r'<dt id="([^"]+)"', part))


# ---- the generator -----------------------------------------------------------

SCALARS = ["0", "-0", "1", "-1", "2", "3", "0.5", "-2.5", "1e308", "-1e308", "1e-310", "-1e-310", "2147483647",
           "-2147483648", "4294967296", "9007199254740993", "1e15", "INF", "-INF", "NAN", "1i", "3+4i", "-2-1e308i",
           "INF*1i", "NAN+1i", "1e-320", "255", "256", "0.1", "100", "7"]
RANGE_ENDS = ["0", "1", "2", "3", "4", "-1", "-3", "0.5", "0.25", "-0", "NAN", "INF", "-INF", "1e-310", "1e308"]
# Numbers that stand as constants (struct literals, default values).
CONSTANTS = [x for x in SCALARS if "*" not in x and "NAN+" not in x]
SMALL = ["0", "1", "2", "3", "4", "-1", "0.5", "NAN", "INF", "2147483647", "-2147483648", "1e308"]
STRINGS = ['""', '"a"', '"abc"', '"Hello, world"', '"1e308"', '"INF"', '"NAN"', '"-0"', '"3+4i"', '"a\\nb"',
           '"x""y"', '"  12  "', '"[1,2;3,4]"', '"%s%d%n"', '"\\t"', '"abc" + "def"']
BINARIES = ["<>", "<00>", "<48 65 6C 6C 6F>", "<FF FF FF FF>", "<00 00 00 00 00 00 F0 7F>", "<01 02 03>"]
BINARY_OPS = ["+", "-", "*", "/", "^", ".*", "./", ".^", "==", "!=", "<", ">", "<=", ">=", "&", "|", "~", "&&",
              "||"]
ASSIGN_OPS = ["=", "+=", "-=", "*=", "/="]
FIELDS = ["a", "b", "x", "name", "inner"]
VARS = ["a", "b", "c", "m", "s", "v", "x", "y", "z", "t"]


class Gen:
    def __init__(self, rng, functions, pid):
        self.r = rng
        self.functions = functions
        self.pid = pid
        self.users = []  # (name, inputs, outputs)
        self.labels = 0
        self.depth = 0
        self.nondeterministic = False

    def chance(self, p):
        return self.r.random() < p

    # -- expressions
    def scalar(self):
        return self.r.choice(SCALARS)

    def constant(self):
        k = self.r.random()
        if k < 0.6:
            return self.r.choice(CONSTANTS)
        if k < 0.85:
            return self.r.choice(STRINGS[:-1])
        return self.r.choice(BINARIES)

    def matrix(self, depth):
        rows, cols = self.r.choice([1, 1, 2, 3, 4]), self.r.choice([1, 2, 2, 3, 4])
        cell = (lambda: self.expr(depth + 1)) if self.chance(0.2) else self.scalar
        return "[" + "; ".join(", ".join(cell() for _ in range(cols)) for _ in range(rows)) + "]"

    def struct(self, depth):
        n = self.r.randint(1, 3)
        names = self.r.sample(FIELDS, n)
        return "{" + ", ".join("%s=%s" % (f, self.constant()) for f in names) + "}"

    def pointer(self):
        if self.users and self.chance(0.4):
            return "@" + self.r.choice(self.users)[0]
        # A pointer to an overloaded name is ambiguous: the program would not translate.
        names = [f.name for f in self.functions]
        f = self.r.choice([f for f in self.functions if names.count(f.name) == 1])
        return "@" + f.name

    def atom(self, depth):
        k = self.r.random()
        if k < 0.25:
            return self.scalar()
        if k < 0.45:
            return self.r.choice(VARS)
        if k < 0.62:
            return self.matrix(depth)
        if k < 0.70:
            return self.r.choice(STRINGS)
        if k < 0.73:
            return self.r.choice(BINARIES)
        if k < 0.78:
            return self.struct(depth)
        if k < 0.81:
            return self.pointer()
        if k < 0.86:
            # Ends far apart would ask for gigabytes, which only measures the machine.
            a, b = self.r.choice(RANGE_ENDS), self.r.choice(RANGE_ENDS)
            return "(%s..%s)" % (a, b) if self.chance(0.6) else "(%s..%s..%s)" % (a, self.r.choice(RANGE_ENDS), b)
        if k < 0.89:
            return self.r.choice(["pi", "e", "INF", "NAN", "i", "eps"])
        return self.r.choice(["[]", "[1]", "[1, 2, 3]", "[1; 2; 3]", "[1, 2; 3, 4]", "[[1, 2], [3]]",
                              '[1, "a"; {x=1}, [2, 3]]', "[INF, NAN; -INF, 0]"])

    def call(self, depth):
        users = [u for u in self.users if u[2] > 0]
        if users and self.chance(0.25):
            name, ins, _, low = self.r.choice(users)
            n = self.r.randint(low, ins)
            return "%s(%s)" % (name, ", ".join(self.expr(depth + 1) for _ in range(n)))
        f = self.r.choice(self.functions)
        return self.call_of(f, depth)

    def call_of(self, f, depth):
        if f.name in NONDETERMINISTIC:
            self.nondeterministic = True
        n = self.r.choice(f.arities()) if f.arities() else 0
        args = []
        for i in range(n):
            if f.name in FILE_FUNCTIONS and i == 0 and f.name == "fopen":
                args.append(self.r.choice(['"f%d.txt"' % self.pid, '""', '"/"', '"no/such/dir/f"', "1"]))
            elif f.name in POINTER_TAKERS and i == 0 and self.chance(0.7):
                args.append(self.pointer())
            else:
                args.append(self.expr(depth + 1))
        return "%s(%s)" % (f.name, ", ".join(args))

    def expr(self, depth=0):
        if depth > 3:
            return self.atom(depth)
        k = self.r.random()
        if k < 0.35:
            return self.atom(depth)
        if k < 0.6:
            return "%s %s %s" % (self.expr(depth + 1), self.r.choice(BINARY_OPS), self.expr(depth + 1))
        if k < 0.67:
            op = self.r.choice(["-", "+", "!"])
            return op + "(" + self.expr(depth + 1) + ")"
        if k < 0.71:
            return "(" + self.expr(depth + 1) + ")" + self.r.choice(["'", ".'"])
        if k < 0.8:
            return self.index(depth)
        if k < 0.83:
            return "%s.%s" % (self.r.choice(VARS), self.r.choice(FIELDS))
        return self.call(depth)

    def index(self, depth):
        v = self.r.choice(VARS)
        ix = lambda: self.r.choice(SMALL + ["1", "2", "1", "[1, 2]", "(1..3)", "0.5", "-1", "x"])
        if self.chance(0.5):
            return "%s[%s]" % (v, ix())
        return "%s[%s, %s]" % (v, ix(), ix())

    def lvalue(self):
        v = self.r.choice(VARS)
        k = self.r.random()
        if k < 0.7:
            return v
        if k < 0.85:
            ix = lambda: self.r.choice(["1", "2", "3", "0", "-1", "1e9", "2147483647", "NAN", "[1, 2]", "x"])
            return "%s[%s]" % (v, ix()) if self.chance(0.5) else "%s[%s, %s]" % (v, ix(), ix())
        return "%s.%s" % (v, self.r.choice(FIELDS))

    # -- statements
    def statement(self, indent, in_loop, in_function):
        pad = "    " * indent
        k = self.r.random()
        nested = indent < 3
        if k < 0.30:
            return [pad + "%s %s %s;" % (self.lvalue(), self.r.choice(ASSIGN_OPS), self.expr())]
        if k < 0.45:
            return [pad + self.expr() + ";"]
        if k < 0.52:
            f = self.r.choice([f for f in self.functions if f.outputs > 1] or self.functions)
            outs = ", ".join(self.r.choice(VARS) for _ in range(max(2, f.outputs)))
            return [pad + "[%s] = %s;" % (outs, self.call_of(f, 1))]
        if k < 0.55:
            return [pad + "%s%s;" % (self.r.choice(VARS), self.r.choice(["++", "--"]))]
        if k < 0.62 and nested:
            var = self.r.choice(["i", "j", "k"])
            if self.chance(0.5):
                head = "for(%s = %s:%s)" % (var, self.r.choice(["1", "0", "-1", "0.5"]), self.r.choice(["1", "2", "3", "4", "0"]))
            else:
                head = "for(%s = %s)" % (var, self.r.choice(["[1, 2, 3]", "(1..3)", "x", "[]", "[NAN, INF]", "\"ab\"", "m"]))
            return [pad + head] + self.body(indent + 1, True, in_function) + [pad + "end"]
        if k < 0.66 and nested:
            counter = "w%d" % self.r.randint(0, 9)
            lines = [pad + "%s = 0;" % counter, pad + "while(%s < %d)" % (counter, self.r.randint(0, 4)),
                     pad + "    %s += 1;" % counter]
            return lines + self.body(indent + 1, True, in_function) + [pad + "end"]
        if k < 0.72 and nested:
            lines = [pad + "if(%s)" % self.expr(1)] + self.body(indent + 1, in_loop, in_function)
            if self.chance(0.3):
                lines += [pad + "elseif(%s)" % self.expr(1)] + self.body(indent + 1, in_loop, in_function)
            if self.chance(0.4):
                lines += [pad + "else"] + self.body(indent + 1, in_loop, in_function)
            return lines + [pad + "end"]
        if k < 0.75 and nested:
            lines = [pad + "switch(%s)" % self.expr(1)]
            for _ in range(self.r.randint(1, 3)):
                lines += [pad + "    case %s:" % self.atom(2)] + self.body(indent + 2, in_loop, in_function)
                if self.chance(0.6):
                    lines.append(pad + "        break;")
            if self.chance(0.5):
                lines += [pad + "    default:"] + self.body(indent + 2, in_loop, in_function)
            return lines + [pad + "end"]
        if k < 0.77 and in_loop:
            return [pad + self.r.choice(["break;", "continue;"])]
        if k < 0.78 and in_function:
            return [pad + "return;"]
        if k < 0.80:
            return [pad + "clear %s;" % self.r.choice(VARS)] if self.chance(0.5) else [pad + "global %s;" % self.r.choice(VARS)]
        if k < 0.82 and self.users:
            name, ins, outs, _ = self.r.choice(self.users)
            args = ", ".join(self.expr(1) for _ in range(ins))
            if outs > 1:
                return [pad + "[%s] = %s(%s);" % (", ".join(self.r.sample(VARS, outs)), name, args)]
            return [pad + "%s(%s);" % (name, args)]
        if k < 0.84 and not in_function and indent == 0:
            self.labels += 1
            label = "L%d_%d" % (self.pid, self.labels)
            return [label + ":", pad + "if(%s)" % self.expr(2), pad + "    goto %s_end;" % label, pad + "end",
                    label + "_end:"]
        if k < 0.87:
            # The console and plot devices' statements (headless in the batch run).
            d = self.r.random()
            if d < 0.45:
                return [pad + "print %s;" % ", ".join(self.expr(2) for _ in range(self.r.randint(1, 3)))]
            if d < 0.55:
                return [pad + self.r.choice(["clc;", "pause 0;", "input %s;" % self.r.choice(VARS)])]
            if d < 0.85:
                return [pad + "plot2d (%s, %s);" % (self.expr(2), self.expr(2))]
            return [pad + "subplot %s;" % self.r.choice(SMALL)]
        return [pad + "%s = %s;" % (self.r.choice(VARS), self.call(0))]

    def body(self, indent, in_loop, in_function):
        lines = []
        for _ in range(self.r.randint(1, 3)):
            lines += self.statement(indent, in_loop, in_function)
        return lines

    def function(self, n):
        name = "f%d_%d" % (self.pid, n)
        ins = self.r.randint(1, 3)
        outs = self.r.choice([0, 1, 1, 2])
        params = ["p%d" % i for i in range(ins)]
        low = ins
        if self.chance(0.3):
            params[-1] += " = %s" % self.constant()
            low = ins - 1
        head = "function "
        if outs == 1:
            head += "y = "
        elif outs > 1:
            head += "[y, w] = "
        lines = [head + "%s(%s)" % (name, ", ".join(params))]
        self.users.append((name, ins, outs, low))
        saved = VARS[:]
        lines += ["    y = %s;" % (self.r.choice(["p0", "1", "[]", "NAN"]) if ins else "1")] if outs else []
        lines += ["    w = 2;"] if outs > 1 else []
        lines += self.body(1, False, True)
        if outs and self.chance(0.5):
            lines.append("    y = %s;" % self.expr(1))
        if outs and self.chance(0.15):  # recursion with a bound
            lines = lines[:1] + ["    if(%s > 0)" % ("p0" if ins else "0"),
                                 "        y = %s(%s);" % (name, ", ".join(["p0 - 1"] + ["1"] * (ins - 1))),
                                 "    end"] + lines[1:]
        assert VARS == saved
        return lines + ["end"]

    def program(self):
        lines = []
        for n in range(self.r.choice([0, 0, 0, 1, 2])):
            lines += self.function(n)
        # Every variable starts with a value: most of a kind its name suggests, so
        # that programs run on past their first statements, a few of any kind.
        kinds = {"a": self.scalar, "b": self.scalar, "c": self.scalar, "m": lambda: self.matrix(2),
                 "v": lambda: "[%s, %s, %s]" % (self.scalar(), self.scalar(), self.scalar()),
                 "s": lambda: self.r.choice(STRINGS), "t": lambda: self.struct(2)}
        for v in VARS:
            make = kinds.get(v) if self.chance(0.8) else None
            lines.append("%s = %s;" % (v, make() if make else self.atom(1)))
        for _ in range(self.r.randint(1, 10)):
            lines += self.statement(0, False, False)
        return lines


def mutate(rng, text):
    """A malformed program: a few characters dropped, doubled or replaced."""
    chars = list(text)
    for _ in range(rng.randint(1, 3)):
        if not chars:
            break
        p = rng.randrange(len(chars))
        k = rng.random()
        if k < 0.4:
            del chars[p]
        elif k < 0.7:
            chars.insert(p, rng.choice("()[]{};,.:'\"<>=+-*/^@#!&|~ \n0123456789ieE"))
        else:
            chars[p] = rng.choice("()[]{};,.:'\"<>=@#")
    return "".join(chars)


def make_program(seed, index, functions):
    rng = random.Random(seed * 1000003 + index)
    g = Gen(rng, functions, index)
    text = "\n".join(g.program()) + "\n"
    malformed = rng.random() < 0.03
    if malformed:
        text = mutate(rng, text)
    return text, malformed, g.nondeterministic or any(w in text for w in NONDETERMINISTIC)


# ---- running -----------------------------------------------------------------

MARK = '"@@program %d";'
MARK_RE = re.compile(r"^@@program (\d+)$")
FAULT_RE = re.compile(r"AddressSanitizer|LeakSanitizer|runtime error:|MemorySanitizer|double free|corrupted|"
                      r"malloc\(\)|free\(\)|tcache|stack smashing|terminate called|Aborted|Segmentation")


class Result:
    def __init__(self, status, out, err, hung, killed):
        # hung: the watchdog stopped it; killed: the stop did not end it either.
        self.status, self.out, self.err, self.hung, self.killed = status, out, err, hung, killed


STOPPED = "Error: Program is stoped"
BEGIN_RE = re.compile(r"^@@begin (\d+)$")
END_RE = re.compile(r"^@@end (\d+) (-?\d+)$")


def batch_driver(exe):
    """program_batch beside the program (a build with the tests), or None."""
    path = os.path.join(os.path.dirname(exe), "program_batch")
    return path if os.access(path, os.X_OK) else None


def run(exe, text, cwd, timeout, env, limits):
    path = os.path.join(cwd, "p.vdx")
    with open(path, "w") as f:
        f.write(text)
    return run_command([exe, "--run", path], cwd, timeout, env, limits)


def run_command(cmd, cwd, timeout, env, limits):
    """limits: prlimit options (the run's memory limits)."""
    if limits:
        cmd = ["prlimit"] + limits + ["--"] + cmd
    p = subprocess.Popen(cmd, cwd=cwd, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                         stderr=subprocess.PIPE, start_new_session=True)
    hung = killed = False
    try:
        out, err = p.communicate(timeout=timeout)
    except subprocess.TimeoutExpired:
        hung = True
        # Stop first, as a user would; then end it.
        try:
            os.killpg(p.pid, signal.SIGINT)
            out, err = p.communicate(timeout=10)
        except subprocess.TimeoutExpired:
            killed = True
            os.killpg(p.pid, signal.SIGKILL)
            out, err = p.communicate()
    return Result(p.returncode, out.decode("utf-8", "replace"), err.decode("utf-8", "replace"), hung, killed)


def split_outputs(res, ids):
    """Each program's lines of a batch run; the last program seen, or None."""
    parts, current = {}, None
    for line in res.out.split("\n"):
        m = MARK_RE.match(line)
        if m and int(m.group(1)) in ids:
            current = int(m.group(1))
            parts[current] = []
        elif current is not None:
            parts[current].append(line)
    return parts, current


def is_fault(res):
    # A program that runs for ever by its own loops is no fault when the
    # watchdog's stop ends it, as Stop ends it in the IDE.
    if res.hung and (res.killed or STOPPED not in res.out):
        return "hang"
    if res.status not in (0, 1, 2):
        return "status %d" % res.status
    m = FAULT_RE.search(res.err)
    if m:
        return "report: " + m.group(0)
    return None


class Runner:
    def __init__(self, args, functions):
        self.a = args
        self.functions = functions
        self.lock = threading.Lock()
        self.findings = []
        self.counts = {"programs": 0, "batches": 0, "compared": 0, "malformed": 0, "errors": 0, "translate": 0,
                       "stopped": 0}
        self.env = dict(os.environ)
        self.env.update({"OPENBLAS_NUM_THREADS": "1", "VELDRA_HEADLESS": "1",
                         "ASAN_OPTIONS": "detect_leaks=1:abort_on_error=1:hard_rss_limit_mb=%d:"
                                         "allocator_may_return_null=1" % args.mem_mb,
                         "UBSAN_OPTIONS": "print_stacktrace=1:halt_on_error=1"})
        self.env.pop("DISPLAY", None)
        self.env.pop("WAYLAND_DISPLAY", None)
        self.env["VELDRA_CONFIG_HOME"] = tempfile.mkdtemp(prefix="veldra-fuzz-conf-")

    def sanitized_limits(self):
        """The sanitizer build reserves its shadow memory and cannot run under an
        address-space limit: its allocator ends it past mem_mb of resident memory,
        and a resident-set limit below that tells the program what it can take."""
        return ["--rss=%d" % ((self.a.mem_mb * 3 // 4) << 20)]

    def note_stopped(self):
        with self.lock:
            self.counts["stopped"] += 1

    def note(self, kind, index, text, detail):
        with self.lock:
            self.findings.append((kind, index, text, detail))
            print("FINDING %s: program %d (seed %d)\n%s--- detail\n%s" % (kind, index, self.a.seed, text,
                                                                          detail[-3000:]), flush=True)

    def batch(self, indices):
        progs = {i: make_program(self.a.seed, i, self.functions) for i in indices}
        first = self.run_set(self.a.veldra, progs, indices, self.sanitized_limits(), "")
        compared = 0
        if self.a.compare:
            # The same resident-set limit, so that both builds refuse the same sizes.
            second = self.run_set(self.a.compare, progs, indices,
                                  ["--as=%d" % ((self.a.mem_mb + 2048) << 20)] + self.sanitized_limits(),
                                  " (second build)")
            for i in indices:
                if progs[i][2] or i not in first or i not in second:
                    continue
                compared += 1
                if first[i] != second[i]:
                    self.note("difference", i, progs[i][0],
                              "--- first build (status %d)\n%s\n--- second build (status %d)\n%s"
                              % (first[i][0], "\n".join(first[i][1])[-2000:], second[i][0],
                                 "\n".join(second[i][1])[-2000:]))
        with self.lock:
            self.counts["programs"] += len(indices)
            self.counts["batches"] += 1
            self.counts["compared"] += compared
            self.counts["malformed"] += sum(1 for i in indices if progs[i][1])
            self.counts["errors"] += sum(1 for i in first if first[i][0] == 1)
            self.counts["translate"] += sum(1 for i in first if first[i][0] == 2)

    def run_set(self, exe, progs, indices, limits, which):
        """Runs the programs in batches, each in a folder of its own; gives index -> (status, lines)."""
        cwd = tempfile.mkdtemp(prefix="veldra-fuzz-")
        try:
            driver = batch_driver(exe)
            if driver and not self.a.one_per_run:
                return self.run_files_in(exe, driver, progs, indices, limits, which, cwd)
            return self.run_set_in(exe, progs, indices, limits, which, cwd)
        finally:
            shutil.rmtree(cwd, ignore_errors=True)

    def run_files_in(self, exe, driver, progs, indices, limits, which, cwd):
        """The programs as files of their own, run one after another by one driver
        process (program_batch) until one of them ends the process; that one runs
        alone through the program itself, the rest in a new driver process."""
        paths = {}
        for i in indices:
            paths[i] = os.path.join(cwd, "p%d.vdx" % i)
            with open(paths[i], "w") as f:
                f.write(progs[i][0])
        pending = list(indices)
        results, alone, suspects = {}, [], []
        while pending:
            res = run_command([driver] + [paths[i] for i in pending], cwd,
                              self.a.timeout + 0.5 * len(pending), self.env, limits)
            ended, lines, current = {}, {}, None
            for line in res.out.split("\n"):
                m = BEGIN_RE.match(line)
                if m:
                    current = pending[int(m.group(1))]
                    lines[current] = []
                    continue
                m = END_RE.match(line)
                if m:
                    ended[pending[int(m.group(1))]] = int(m.group(2))
                    current = None
                    continue
                if current is not None:
                    lines[current].append(line)
            for i in ended:
                results[i] = (ended[i], lines[i])
            if res.hung:
                # The watchdog's stop ends the running program and the driver goes
                # on to the next: what a stopped program printed depends on the moment.
                for i in pending:
                    if i in ended and STOPPED in lines[i]:
                        results.pop(i, None)
                        self.note_stopped()
            fault = is_fault(res)
            unfinished = [i for i in pending if i not in ended]
            if not fault and not unfinished:
                break
            if not unfinished:
                # Every program ended, then the process failed (a leak report at its exit).
                suspects.append((pending[-1], "".join(progs[i][0] for i in pending), res))
                break
            culprit = unfinished[0]
            alone.append(culprit)
            results.pop(culprit, None)
            pending = unfinished[1:]
        return self.finish_set(exe, progs, alone, suspects, results, limits, which, cwd)

    def run_set_in(self, exe, progs, indices, limits, which, cwd):
        pending = [i for i in indices if not progs[i][1]]
        alone = [i for i in indices if progs[i][1]]
        suspects = []  # programs that ended a batch with a fault
        results = {}
        while pending:
            text = "".join(MARK % i + "\n" + progs[i][0] + "clear;\n" for i in pending)
            res = run(exe, text, cwd, self.a.timeout + 0.5 * len(pending), self.env, limits)
            parts, last = split_outputs(res, set(pending))
            fault = is_fault(res)
            if res.status == 2 and last is None and not fault:
                # The batch did not translate: the program at the reported line runs alone.
                m = re.search(r"at [^\n]*:(\d+)", res.err)
                line = int(m.group(1)) if m else 0
                at, culprit = 1, pending[0]
                for i in pending:
                    n = 1 + progs[i][0].count("\n") + 1
                    if at <= line < at + n:
                        culprit = i
                        break
                    at += n
                pending.remove(culprit)
                alone.append(culprit)
                continue
            for i in pending:
                if i in parts and i != last:
                    results[i] = (0, parts[i])
            if last is None:
                if fault:
                    suspects.append((pending[0], text, res))
                break
            if fault:
                suspects.append((last, text, res))
                alone.append(last)
            elif res.hung:
                self.note_stopped()
            else:
                results[last] = (res.status, parts[last])
            pending = pending[pending.index(last) + 1:]
        return self.finish_set(exe, progs, alone, suspects, results, limits, which, cwd)

    def finish_set(self, exe, progs, alone, suspects, results, limits, which, cwd):
        """Runs each program of `alone` by itself, notes the faults and the batch
        faults no program alone shows, and trims the results' trailing blank lines."""
        for i in alone:
            text = progs[i][0]
            res = run(exe, text, cwd, self.a.timeout, self.env, limits)
            fault = is_fault(res)
            if fault:
                self.note(fault + which, i, text, res.out[-2000:] + "\n--- stderr\n" + res.err)
                suspects = [s for s in suspects if s[0] != i]
                continue
            if res.hung:
                self.note_stopped()
                continue
            results[i] = (res.status, res.out.rstrip("\n").split("\n"))
        for i, text, res in suspects:
            # A fault that the program alone does not show: the batch is the finding.
            self.note(is_fault(res) + which + " (in a batch, from program %d on)" % i, i, text,
                      res.out[-2000:] + "\n--- stderr\n" + res.err)
        for i in results:
            # The lines of a program that ended the run end with the run's own last line.
            while results[i][1] and results[i][1][-1] == "":
                results[i][1].pop()
        return results


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--veldra", required=True, help="the build under test (the sanitizer build)")
    ap.add_argument("--compare", help="a second build whose output must be the same (the release build)")
    ap.add_argument("--help-page", help="Hlp/Veldra.html of the build (default: beside --veldra)")
    ap.add_argument("--count", type=int, default=3000)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--first", type=int, default=0, help="index of the first program")
    ap.add_argument("--only", type=int, help="print program N and run it alone")
    ap.add_argument("--batch", type=int, default=40)
    ap.add_argument("--jobs", type=int, default=2)
    ap.add_argument("--timeout", type=float, default=20.0, help="watchdog of one program, in seconds")
    ap.add_argument("--mem-mb", type=int, default=2048, help="memory limit of a run")
    ap.add_argument("--write", help="write the programs into this folder instead of running them")
    ap.add_argument("--one-per-run", action="store_true",
                    help="run batches as one program text through veldra --run even where program_batch is built")
    a = ap.parse_args()
    a.veldra = os.path.abspath(a.veldra)
    if a.compare:
        a.compare = os.path.abspath(a.compare)
    page = a.help_page or os.path.join(os.path.dirname(a.veldra), "Hlp", "Veldra.html")
    functions = read_functions(page)
    runner = Runner(a, functions)
    if a.write:
        os.makedirs(a.write, exist_ok=True)
        for i in range(a.first, a.first + a.count):
            text, _, _ = make_program(a.seed, i, functions)
            with open(os.path.join(a.write, "p%d.vdx" % i), "w") as f:
                f.write(text)
        return 0
    if a.only is not None:
        cwd = tempfile.mkdtemp(prefix="veldra-fuzz-")
        text, malformed, nondet = make_program(a.seed, a.only, functions)
        sys.stdout.write(text)
        res = run(a.veldra, text, cwd, a.timeout, runner.env, runner.sanitized_limits())
        print("--- status %d%s\n%s--- stderr\n%s" % (res.status, " (hung)" if res.hung else "", res.out, res.err))
        shutil.rmtree(cwd, ignore_errors=True)
        return 0
    start = time.time()
    batches = [list(range(s, min(s + a.batch, a.first + a.count))) for s in range(a.first, a.first + a.count, a.batch)]
    with concurrent.futures.ThreadPoolExecutor(max_workers=a.jobs) as pool:
        for n, _ in enumerate(pool.map(runner.batch, batches)):
            if (n + 1) % 25 == 0:
                print("... %d programs, %d findings, %.0f s" % (runner.counts["programs"], len(runner.findings),
                                                                 time.time() - start), flush=True)
    c = runner.counts
    print("%d programs (seed %d, first %d) in %.0f s: %d ran to an error, %d malformed, %d did not translate, "
          "%d ran until the watchdog stopped them, %d compared with the second build; %d findings"
          % (c["programs"], a.seed, a.first, time.time() - start, c["errors"], c["malformed"], c["translate"],
             c["stopped"], c["compared"], len(runner.findings)))
    shutil.rmtree(runner.env["VELDRA_CONFIG_HOME"], ignore_errors=True)
    return 1 if runner.findings else 0


if __name__ == "__main__":
    sys.exit(main())
