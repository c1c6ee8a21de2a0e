#!/usr/bin/env python3
"""Mutation testing of the portable logic: does a plausible fault fail a native test?

Each mutant is one small change to one source file (a comparison's boundary, a logical
operator, a negated condition, a dropped early exit, a nudged constant, min for max, a
removed clamp, two arguments swapped). It is compiled from a scratch copy of the tree,
linked into the native unit tests in place of the original object, and the tests are
run. A mutant is killed when a test fails, when the tests time out, or when it does not
compile because one of our own static_asserts refused it; one that does not compile for
any other reason is not counted. The work tree and build/native are only read.

    scripts/mutate.py                        every portable .cpp, 15 mutants each
    scripts/mutate.py app/session.cpp        one file
    scripts/mutate.py app/session.cpp#12     one mutant, by its number in --list
    scripts/mutate.py --list app/region.cpp  the mutants, without running them
    scripts/mutate.py --sample 0             every mutant of every file

Needs the native tier built (scripts/test.sh, or cmake --preset native && cmake --build
--preset native).
"""

import argparse
import concurrent.futures
import dataclasses
import os
import random
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build", "native")
PORTABLE_DIRS = ("app", "install", "uninstall", "common")


@dataclasses.dataclass
class Mutant:
    file: str    # relative to the root
    number: int  # its place in the file's list, from 1
    start: int   # the span of the original text it replaces
    end: int
    text: str    # what stands there instead
    line: int
    change: str  # what was done, as a person would say it

    def apply(self, source):
        return source[: self.start] + self.text + source[self.end :]

    def label(self):
        return f"{self.file}:{self.line}: {self.change}"


# ---------------------------------------------------------------------------------------
# Finding mutants

def mask(source):
    """The source with comments, string and character literals and preprocessor lines
    blanked (same length, newlines kept), so that patterns see only code."""
    out = list(source)
    i, n = 0, len(source)

    def blank(a, b):
        for k in range(a, b):
            if out[k] != "\n":
                out[k] = " "

    at_line_start = True
    while i < n:
        c = source[i]
        if at_line_start and c == "#":
            j = i
            while j < n and not (source[j] == "\n" and source[j - 1] != "\\"):
                j += 1
            blank(i, j)
            i = j
            continue
        if c == "\n":
            at_line_start = True
            i += 1
            continue
        if not c.isspace():
            at_line_start = False
        if source.startswith("//", i):
            j = source.find("\n", i)
            j = n if j < 0 else j
            blank(i, j)
            i = j
        elif source.startswith("/*", i):
            j = source.find("*/", i + 2)
            j = n if j < 0 else j + 2
            blank(i, j)
            i = j
        elif c == '"':
            raw = re.search(r'(?:u8|[uUL])?R$', source[max(0, i - 3) : i])
            if raw:
                m = re.match(r'"([^(\s]*)\(', source[i:])
                close = ")" + m.group(1) + '"'
                j = source.find(close, i) + len(close)
            else:
                j = i + 1
                while j < n and source[j] != '"':
                    j += 2 if source[j] == "\\" else 1
                j += 1
            blank(i + 1, j - 1)
            i = j
        elif c == "'" and not _digit_separator(source, i):
            j = i + 1
            while j < n and source[j] != "'":
                j += 2 if source[j] == "\\" else 1
            blank(i + 1, j)
            i = j + 1
        else:
            i += 1
    return "".join(out)


def _digit_separator(source, i):
    """Whether the quote at i separates digits (10'000) rather than opening a character."""
    j = i
    while j > 0 and (source[j - 1].isalnum() or source[j - 1] == "'"):
        j -= 1
    return source[j:j + 1].isdigit() and i + 1 < len(source) and source[i + 1].isalnum()


def matching(code, open_at):
    """Where the bracket opened at open_at closes, in masked code; -1 when it does not."""
    pairs = {"(": ")", "[": "]", "{": "}"}
    want = [pairs[code[open_at]]]
    for k in range(open_at + 1, len(code)):
        c = code[k]
        if c in pairs:
            want.append(pairs[c])
        elif c in ")]}":
            if not want or c != want[-1]:
                return -1
            want.pop()
            if not want:
                return k
    return -1


def split_arguments(code, open_at, close_at):
    """The spans of the top-level arguments between the brackets, stripped."""
    spans, depth, start = [], 0, open_at + 1
    for k in range(open_at + 1, close_at):
        c = code[k]
        if c in "([{":
            depth += 1
        elif c in ")]}":
            depth -= 1
        elif c == "," and depth == 0:
            spans.append((start, k))
            start = k + 1
    spans.append((start, close_at))
    out = []
    for a, b in spans:
        while a < b and code[a].isspace():
            a += 1
        while b > a and code[b - 1].isspace():
            b -= 1
        if a < b:
            out.append((a, b))
    return out


COMPARISONS = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}
KEYWORDS = {"if", "while", "for", "switch", "return", "sizeof", "catch", "static_assert", "decltype",
            "alignof", "noexcept", "operator", "throw", "new", "delete", "co_return"}


def find_mutants(path, source):
    code = mask(source)
    found = []  # (start, end, text, change)

    def add(start, end, text, change):
        found.append((start, end, text, change))

    for m in re.finditer(r"(?<=\s)(<=|>=|==|!=|<|>)(?=\s)", code):
        add(m.start(), m.end(), COMPARISONS[m.group(1)], f"{m.group(1)} → {COMPARISONS[m.group(1)]}")
    for m in re.finditer(r"(?<=\s)(&&|\|\|)(?=\s)", code):
        other = "||" if m.group(1) == "&&" else "&&"
        add(m.start(), m.end(), other, f"{m.group(1)} → {other}")

    for m in re.finditer(r"\b(if|while)\s*\(", code):
        if code[m.end():].lstrip().startswith("constexpr"):
            continue
        open_at = m.end() - 1
        close_at = matching(code, open_at)
        if close_at < 0:
            continue
        inner = source[open_at + 1 : close_at]
        if ";" in code[open_at + 1 : close_at] or re.match(r"\s*(const\s+)?(auto|int|bool|std::)\b[^=(]*=", inner):
            continue  # a declaration in the condition: not negatable as written
        add(open_at + 1, close_at, f"!({inner})", f"{m.group(1)} condition negated")

    for m in re.finditer(r"\breturn\b[^;{}]*;|\bcontinue\s*;|\bbreak\s*;", code):
        word = m.group(0).split()[0].rstrip(";")
        add(m.start(), m.end(), ";", f"{word} dropped")
    for m in re.finditer(r"\b(continue|break)(?=\s*;)", code):
        other = "break" if m.group(1) == "continue" else "continue"
        add(m.start(), m.end(), other, f"{m.group(1)} → {other}")

    for m in re.finditer(r"\b(true|false)\b", code):
        other = "false" if m.group(1) == "true" else "true"
        add(m.start(), m.end(), other, f"{m.group(1)} → {other}")

    number = r"(?<![\w.'])(0[xX][0-9a-fA-F']+|\d[\d']*\.?\d*(?:[eE][+-]?\d+)?|\.\d+(?:[eE][+-]?\d+)?)([uUlLfF]*)(?![\w.'])"
    for m in re.finditer(number, code):
        digits, suffix = m.group(1), m.group(2)
        nudged = nudge(digits)
        if nudged is None:
            continue
        add(m.start(), m.end(), nudged + suffix, f"{digits}{suffix} → {nudged}{suffix}")

    for m in re.finditer(r"\bstd::(min|max|clamp)\b(<[^<>()]*>)?\s*\(", code):
        name = m.group(1)
        open_at = m.end() - 1
        close_at = matching(code, open_at)
        if close_at < 0:
            continue
        args = split_arguments(code, open_at, close_at)
        if name in ("min", "max"):
            other = "max" if name == "min" else "min"
            add(m.start(1), m.end(1), other, f"std::{name} → std::{other}")
            if len(args) == 2:
                for keep, (a, b) in enumerate(args):
                    add(m.start(), close_at + 1, "(" + source[a:b] + ")",
                        f"std::{name}(…) → its {'first' if keep == 0 else 'second'} argument (clamp removed)")
        elif len(args) == 3:
            a, b = args[0]
            add(m.start(), close_at + 1, "(" + source[a:b] + ")", "std::clamp(…) → its value (clamp removed)")

    for m in re.finditer(r"\b([A-Za-z_]\w*)\s*\(", code):
        if m.group(1) in KEYWORDS or m.group(1) in ("min", "max", "clamp"):
            continue
        open_at = m.end() - 1
        close_at = matching(code, open_at)
        if close_at < 0:
            continue
        if re.match(r"\s*(const\b\s*)?(noexcept\b\s*)?(override\b\s*)?(\{|:(?!:)|->)", code[close_at + 1 :]):
            continue  # a definition or declaration, or a member's initialiser: not a call
        args = split_arguments(code, open_at, close_at)
        for k in range(len(args) - 1):
            (a1, b1), (a2, b2) = args[k], args[k + 1]
            first, second = source[a1:b1], source[a2:b2]
            if first == second or "\n" in first + second:
                continue
            swapped = second + source[b1:a2] + first
            add(a1, b2, swapped, f"arguments {k + 1} and {k + 2} of {m.group(1)}() swapped")

    found.sort(key=lambda f: (f[0], f[1], f[3]))
    mutants = []
    for number_, (start, end, text, change) in enumerate(found, 1):
        line = source.count("\n", 0, start) + 1
        mutants.append(Mutant(path, number_, start, end, text, line, change))
    return mutants


def nudge(digits):
    """A literal moved by a little: integers by one, floating values by a tenth."""
    plain = digits.replace("'", "")
    try:
        if plain.lower().startswith("0x"):
            return hex(int(plain, 16) + 1)
        if re.fullmatch(r"\d+", plain):
            return str(int(plain) + 1)
        value = float(plain)
    except ValueError:
        return None
    return repr(value * 1.1) if value else "0.1"


def portable_sources():
    files = []
    for folder in PORTABLE_DIRS:
        for name in sorted(os.listdir(os.path.join(ROOT, folder))):
            if name.endswith(".cpp"):
                files.append(f"{folder}/{name}")
    return files


def shuffled(mutants, seed, file):
    """The file's mutants in a fixed random order (the same for the same seed): a sample
    takes from its front until enough have compiled."""
    order = list(mutants)
    random.Random(f"{seed}:{file}").shuffle(order)
    return order


# ---------------------------------------------------------------------------------------
# Building and running

class Rig:
    """The native build's own commands for one source file and for the test program,
    turned to a scratch copy of the tree."""

    def __init__(self, scratch):
        self.scratch = scratch
        commands = subprocess.run(["ninja", "-C", BUILD, "-t", "commands", "unit_tests"], check=True,
                                  capture_output=True, text=True).stdout.splitlines()
        self.compile = {}
        self.link = None
        # A link step reads ": && c++ ... && :".
        steps = [shlex.split(step) for line in commands for step in line.split(" && ")]
        for words in steps:
            if "-c" in words:
                source = os.path.relpath(words[words.index("-c") + 1], ROOT)
                self.compile[source] = words
            elif "-o" in words and words[words.index("-o") + 1] == "unit_tests":
                self.link = words
        if self.link is None:
            sys.exit("mutate: the native build has no unit_tests link step")
        self.tree = os.path.join(scratch, "tree")
        shutil.copytree(ROOT, self.tree, ignore=shutil.ignore_patterns(".git", "build", "docs"))

    def compile_command(self, file, source_path, obj):
        words = list(self.compile[file])
        out, skip = [], False
        for k, w in enumerate(words):
            if skip:
                skip = False
                continue
            if w in ("-MT", "-MF", "-o"):
                skip = True
                continue
            if w == "-MD":
                continue
            if w == f"-I{ROOT}":
                w = f"-I{self.tree}"
            if k > 0 and words[k - 1] == "-c":
                w = source_path
            out.append(w)
        return out + ["-Werror=return-type", "-o", obj]

    def link_command(self, obj, program):
        words = list(self.link)
        k = words.index("-o")
        return words[:k] + [obj] + ["-o", program] + words[k + 2 :]


def run_tests(program, timeout, cwd):
    """'passed', 'failed' or 'timeout'."""
    try:
        done = subprocess.run([program, "--gtest_fail_fast", "--gtest_brief=1"], cwd=cwd, timeout=timeout,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    except subprocess.TimeoutExpired:
        return "timeout"
    return "passed" if done.returncode == 0 else "failed"


def try_mutant(rig, mutant, slot, timeout):
    """'killed', 'survived' or 'invalid' (did not compile for a reason of its own)."""
    work = os.path.join(rig.scratch, f"slot{slot}")
    os.makedirs(work, exist_ok=True)
    with open(os.path.join(ROOT, mutant.file), encoding="utf-8") as f:
        source = f.read()
    # Beside the original in the scratch tree, so that its own quoted includes resolve.
    path = os.path.join(rig.tree, f"{mutant.file[:-4]}.mutant{slot}.cpp")
    with open(path, "w", encoding="utf-8") as f:
        f.write(mutant.apply(source))
    obj = os.path.join(work, "mutant.o")
    built = subprocess.run(rig.compile_command(mutant.file, path, obj), cwd=BUILD, capture_output=True, text=True)
    if built.returncode != 0:
        return "killed" if "static assertion failed" in built.stderr else "invalid"
    program = os.path.join(work, "unit_tests")
    linked = subprocess.run(rig.link_command(obj, program), cwd=BUILD, capture_output=True, text=True)
    if linked.returncode != 0:
        return "invalid"
    result = run_tests(program, timeout, work)
    return "survived" if result == "passed" else "killed"


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("files", nargs="*", help="portable sources (default: every .cpp of "
                        + ", ".join(PORTABLE_DIRS) + " outside win32/); FILE#N for one mutant")
    parser.add_argument("--sample", type=int, default=15, help="mutants per file that compile (0: all)")
    parser.add_argument("--seed", default="1", help="which mutants a sample takes")
    parser.add_argument("--list", action="store_true", help="show the mutants, run nothing")
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 1)
    args = parser.parse_args()

    chosen = {}
    for arg in args.files or portable_sources():
        file, _, only = arg.partition("#")
        file = os.path.relpath(os.path.abspath(file), ROOT)
        chosen.setdefault(file, set())
        if only:
            chosen[file].add(int(only))

    plans = {}
    for file, only in chosen.items():
        with open(os.path.join(ROOT, file), encoding="utf-8") as f:
            mutants = find_mutants(file, f.read())
        if only:
            plans[file] = [m for m in mutants if m.number in only]
        else:
            plans[file] = shuffled(mutants, args.seed, file)

    if args.list:
        for file, mutants in plans.items():
            for m in sorted(mutants, key=lambda m: m.number):
                print(f"#{m.number} {m.label()}")
        return 0

    if not os.path.exists(os.path.join(BUILD, "build.ninja")):
        sys.exit("mutate: build the native tier first (scripts/test.sh)")
    subprocess.run(["cmake", "--build", BUILD, "--target", "unit_tests"], check=True, stdout=subprocess.DEVNULL)
    started = time.monotonic()
    if run_tests(os.path.join(BUILD, "unit_tests"), 600, BUILD) != "passed":
        sys.exit("mutate: the unit tests fail without any mutant")
    timeout = max(10.0, 5 * (time.monotonic() - started))

    want = {file: (len(only) if only else args.sample) for file, only in chosen.items()}
    with tempfile.TemporaryDirectory(prefix="mutate-") as scratch:
        rig = Rig(scratch)
        results = {file: [] for file in plans}
        slots = list(range(args.jobs))
        pending = {file: iter(mutants) for file, mutants in plans.items()}

        def next_mutant():
            for file, it in pending.items():
                counted = sum(1 for _, r in results[file] if r != "invalid")
                running = sum(1 for f in busy.values() if f.file == file)
                if want[file] and counted + running >= want[file]:
                    continue
                m = next(it, None)
                if m is not None:
                    return m
            return None

        busy = {}
        with concurrent.futures.ThreadPoolExecutor(max_workers=args.jobs) as pool:
            futures = {}
            while True:
                while slots:
                    m = next_mutant()
                    if m is None:
                        break
                    slot = slots.pop()
                    busy[slot] = m
                    futures[pool.submit(try_mutant, rig, m, slot, timeout)] = slot
                if not futures:
                    break
                done, _ = concurrent.futures.wait(futures, return_when=concurrent.futures.FIRST_COMPLETED)
                for future in done:
                    slot = futures.pop(future)
                    m = busy.pop(slot)
                    results[m.file].append((m, future.result()))
                    slots.append(slot)

    width = max(len(f) for f in results)
    total_killed = total_counted = 0
    survivors = []
    for file, outcomes in results.items():
        counted = [(m, r) for m, r in outcomes if r != "invalid"]
        killed = sum(1 for _, r in counted if r == "killed")
        invalid = len(outcomes) - len(counted)
        total_killed += killed
        total_counted += len(counted)
        share = f"{100 * killed / len(counted):3.0f} %" if counted else "  – "
        note = f"  ({invalid} did not compile)" if invalid else ""
        print(f"{file:<{width}}  {killed:3}/{len(counted):<3} {share}{note}")
        survivors += sorted((m for m, r in counted if r == "survived"), key=lambda m: m.number)
    print(f"{'all':<{width}}  {total_killed:3}/{total_counted:<3}")
    if survivors:
        print("\nsurvivors:")
        for m in survivors:
            print(f"  #{m.number} {m.label()}")
            print(f"      {m.apply(open(os.path.join(ROOT, m.file), encoding='utf-8').read()).splitlines()[m.line - 1].strip()}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
