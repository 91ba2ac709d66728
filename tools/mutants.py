#!/usr/bin/env python3
"""Measures which faults the test suite catches.

Each mutant in tools/mutants.txt is a small realistic change to one source file: an exact
snippet that must occur exactly once, its replacement and a line saying why it is a fault.
For every mutant the snippet is replaced, the build directory is built, the whole suite is run
and the file is restored, also on Ctrl-C or an error. A mutant whose snippet no longer occurs
exactly once is "not applicable"; one that does not build is left out of the rate.

    tools/mutants.py --build build-mut                 # every mutant, table on stdout
    tools/mutants.py --build build-mut --only phone-   # mutants whose id starts so
    tools/mutants.py --check                           # only tell which snippets still match
    tools/mutants.py --build build-mut --out tools/mutants-after.txt

The build directory must be configured already (cmake -S . -B build-mut ...).
"""

import argparse
import os
import re
import signal
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent


def parse_mutants(path):
    """Blocks of "[id]" then "file:", "why:", "find:" and "replace:" lines.

    "find<<END" / "replace<<END" take the following lines up to a line "END" as a
    multi-line snippet; "replace:" with nothing after it deletes the snippet.
    """
    mutants = []
    current = None
    lines = path.read_text(encoding="utf-8").split("\n")
    i = 0
    while i < len(lines):
        line = lines[i]
        i += 1
        if not line.strip() or line.startswith("#"):
            continue
        header = re.fullmatch(r"\[(.+)\]", line.strip())
        if header:
            current = {"id": header.group(1)}
            mutants.append(current)
            continue
        if current is None:
            raise SystemExit(f"{path}:{i}: text before the first [id]")
        block = re.fullmatch(r"(find|replace)<<(\w+)", line.strip())
        if block:
            key, end = block.groups()
            body = []
            while i < len(lines) and lines[i] != end:
                body.append(lines[i])
                i += 1
            if i >= len(lines):
                raise SystemExit(f"{path}: block {end} of {current['id']} never ends")
            i += 1
            current[key] = "\n".join(body)
            continue
        key, sep, value = line.partition(":")
        if not sep or key not in ("file", "why", "find", "replace"):
            raise SystemExit(f"{path}:{i}: cannot read {line!r}")
        current[key] = value[1:] if value.startswith(" ") else value
    for m in mutants:
        for key in ("file", "why", "find", "replace"):
            if key not in m:
                raise SystemExit(f"{path}: mutant {m['id']} has no {key}")
    return mutants


def run(cmd, log, timeout, env=None):
    """Runs cmd with its output appended to log; an interrupt or time-out ends its whole group."""
    with open(log, "a", encoding="utf-8") as out:
        out.write(f"$ {' '.join(cmd)}\n")
        out.flush()
        proc = subprocess.Popen(cmd, cwd=ROOT, stdout=out, stderr=subprocess.STDOUT,
                                start_new_session=True, env=env)
        try:
            return proc.wait(timeout=timeout)
        except BaseException:
            # cmake does not pass a signal on to ninja, so the group is ended as a whole.
            os.killpg(proc.pid, signal.SIGTERM)
            try:
                proc.wait(timeout=30)
            except subprocess.TimeoutExpired:
                os.killpg(proc.pid, signal.SIGKILL)
            raise


def failed_tests(build):
    """Names of the tests the last ctest run left failing."""
    failed = Path(build) / "Testing" / "Temporary" / "LastTestsFailed.log"
    if not failed.exists():
        return []
    names = []
    for line in failed.read_text(encoding="utf-8", errors="replace").splitlines():
        _, _, name = line.partition(":")
        if name:
            names.append(name.strip())
    return names


# A file that changes back and forth within seconds can make ccache hand out the object of the
# other version; the mutated and the restored file are therefore always compiled for real.
REBUILD_ENV = dict(os.environ, CCACHE_RECACHE="1")


def build_tree(build, log):
    return run(["cmake", "--build", build], log, 3600, REBUILD_ENV)


def stop_on_term(*_):
    # A kill ends the run like Ctrl-C does, so the mutated file is restored first.
    raise KeyboardInterrupt()


def try_mutant(mutant, build, log, jobs):
    path = ROOT / mutant["file"]
    if not path.exists():
        return "not applicable", "file is gone"
    original = path.read_bytes()
    text = original.decode("utf-8")
    count = text.count(mutant["find"])
    if count != 1:
        return "not applicable", f"snippet occurs {count} times"
    try:
        path.write_text(text.replace(mutant["find"], mutant["replace"], 1), encoding="utf-8")
        try:
            if build_tree(build, log) != 0:
                return "does not build", ""
        except subprocess.TimeoutExpired:
            return "does not build", "build timed out"
        stale = Path(build) / "Testing" / "Temporary" / "LastTestsFailed.log"
        if stale.exists():
            stale.unlink()
        try:
            code = run(["ctest", "--test-dir", build, f"-j{jobs}", "--timeout", "120"], log, 1800)
        except subprocess.TimeoutExpired:
            return "killed", "suite timed out"
        failed = failed_tests(build)
        if code == 0 and not failed:
            return "SURVIVED", ""
        return "killed", " ".join(failed) or f"ctest exit {code}"
    finally:
        path.write_bytes(original)
        # A newer time stamp, so the next build compiles the restored file again.
        os.utime(path, None)


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default="build-mut", help="configured build directory")
    parser.add_argument("--mutants", default=str(ROOT / "tools" / "mutants.txt"))
    parser.add_argument("--only", action="append", default=[],
                        help="run only mutants whose id starts with this (repeatable)")
    parser.add_argument("--check", action="store_true",
                        help="only report which snippets still occur exactly once")
    parser.add_argument("--jobs", type=int, default=2, help="ctest -j")
    parser.add_argument("--out", help="also write the table to this file")
    parser.add_argument("--label", help="names the tree measured (default: its git commit)")
    parser.add_argument("--log", default=None, help="build and test output (default BUILD/mutants.log)")
    args = parser.parse_args()

    mutants = parse_mutants(Path(args.mutants))
    if args.only:
        mutants = [m for m in mutants if any(m["id"].startswith(p) for p in args.only)]
    build = str(Path(args.build).resolve()) if not args.check else args.build
    log = args.log or str(Path(build) / "mutants.log")

    if args.check:
        bad = 0
        for m in mutants:
            path = ROOT / m["file"]
            count = path.read_text(encoding="utf-8").count(m["find"]) if path.exists() else 0
            if count != 1:
                bad += 1
                print(f"{m['id']}: not applicable ({m['file']}: snippet occurs {count} times)")
        print(f"{len(mutants) - bad} of {len(mutants)} mutants apply")
        return 0 if bad == 0 else 1

    if not (Path(build) / "CMakeCache.txt").exists():
        raise SystemExit(f"{build} is not a configured build directory")
    # The unmutated tree must build and pass, or every mutant would look killed.
    signal.signal(signal.SIGTERM, stop_on_term)
    try:
        if run(["cmake", "--build", build], log, 3600) != 0:
            raise SystemExit(f"the unmutated tree does not build; see {log}")
        if run(["ctest", "--test-dir", build, f"-j{args.jobs}"], log, 1800) != 0:
            raise SystemExit(f"the unmutated suite fails; see {log}")
    except KeyboardInterrupt:
        print("interrupted", file=sys.stderr)
        return 130

    commit = subprocess.run(["git", "rev-parse", "--short", "HEAD"], cwd=ROOT,
                            capture_output=True, text=True).stdout.strip()
    dirty = subprocess.run(["git", "status", "--porcelain", "--", "src", "tests"], cwd=ROOT,
                           capture_output=True, text=True).stdout.strip()
    rows = []
    started = time.time()
    try:
        for n, m in enumerate(mutants, 1):
            t0 = time.time()
            verdict, detail = try_mutant(m, build, log, args.jobs)
            rows.append((m, verdict, detail))
            print(f"[{n}/{len(mutants)}] {m['id']}: {verdict} {detail} ({time.time() - t0:.0f} s)",
                  file=sys.stderr, flush=True)
    except KeyboardInterrupt:
        print("interrupted; the source tree is restored", file=sys.stderr)
        return 130
    # The build directory is left with the objects of the unmutated tree.
    build_tree(build, log)

    counted = [r for r in rows if r[1] in ("killed", "SURVIVED")]
    killed = [r for r in counted if r[1] == "killed"]
    label = args.label or commit + (" (with uncommitted changes)" if dirty else "")
    out = [f"Mutants of {label}, "
           f"{time.strftime('%Y-%m-%d %H:%M')}, {time.time() - started:.0f} s", ""]
    width = max(len(m["id"]) for m, _, _ in rows) if rows else 10
    for m, verdict, detail in rows:
        shown = f"killed by {detail}" if verdict == "killed" else \
            (f"{verdict} ({detail})" if detail else verdict)
        out.append(f"{m['id']:<{width}}  {shown}")
    out.append("")
    survivors = [r for r in counted if r[1] == "SURVIVED"]
    if survivors:
        out.append("Surviving mutants:")
        for m, _, _ in survivors:
            out.append(f"  {m['id']}: {m['file']}: {m['why']}")
        out.append("")
    skipped = len(rows) - len(counted)
    rate = 100.0 * len(killed) / len(counted) if counted else 0.0
    out.append(f"Kill rate: {len(killed)} of {len(counted)} = {rate:.1f}%"
               + (f" ({skipped} not counted: not applicable or not building)" if skipped else ""))
    text = "\n".join(out) + "\n"
    print(text, end="")
    if args.out:
        Path(args.out).write_text(text, encoding="utf-8")
    return 0


if __name__ == "__main__":
    sys.exit(main())
