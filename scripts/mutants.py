#!/usr/bin/env python3
"""Runs the recorded mutations of src/ and tools/ against the tests and says which are caught.

Each line of scripts/mutants/*.tsv is one mutation, tab-separated:
    id  file  text  replacement  tests
`text` must occur exactly once in `file` (else the line is reported "stale");
`replacement` takes its place (\\n and \\t are read as a newline and a tab).
`tests` names where the fault must show, as PRESET:CTEST-REGEX items separated by
spaces (presets linux, win32, win64, fuzz). A mutation is caught when any of those
ctest runs fails; one that does not compile is "invalid". Lines starting with # are notes.

usage: scripts/mutants.py [--only REGEX] [LIST.tsv...]
Run after scripts/build.sh. The sources are restored after every mutation and the
touched builds rebuilt at the end.
"""
import glob
import os
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RUNNERS = {"win64": ["bash", "-c", 'source scripts/wine-env.sh && exec "$@"', "-"],
           "win32": ["bash", "scripts/wine32.sh"]}


def load(paths):
    rows = []
    for path in paths:
        for number, line in enumerate(open(path, encoding="utf-8"), 1):
            if not line.strip() or line.startswith("#"):
                continue
            fields = line.rstrip("\n").split("\t")
            if len(fields) != 5:
                sys.exit(f"{path}:{number}: expected 5 tab-separated fields, got {len(fields)}")
            unescape = lambda s: s.replace("\\n", "\n").replace("\\t", "\t")
            rows.append((fields[0], fields[1], unescape(fields[2]), unescape(fields[3]), fields[4].split()))
    return rows


def build(preset):
    return subprocess.run(["cmake", "--build", f"build/{preset}", "-j2"], cwd=ROOT,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0


def fails(preset, regex, attempts=2):
    argv = RUNNERS.get(preset, []) + ["ctest", "--test-dir", f"build/{preset}", "-R", regex,
                                      "--timeout", "120", "-j2"]
    result = subprocess.run(argv, cwd=ROOT, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    ran = re.search(r"tests passed, (\d+) tests failed out of (\d+)", result.stdout)
    if not ran or ran.group(2) == "0":
        # Listing the tests of a Wine build now and then fails under load: once more.
        if attempts > 1:
            return fails(preset, regex, attempts - 1)
        raise RuntimeError(f"{preset}:{regex} runs no test:\n{result.stdout[-2000:]}")
    return ran.group(1) != "0"


def main():
    args = sys.argv[1:]
    only = None
    if args[:1] == ["--only"]:
        only, args = re.compile(args[1]), args[2:]
    rows = load(args or sorted(glob.glob(os.path.join(ROOT, "scripts/mutants/*.tsv"))))
    counts = {}
    touched = set()
    for ident, path, text, replacement, tests in rows:
        if only and not only.search(ident):
            continue
        full = os.path.join(ROOT, path)
        original = open(full, encoding="utf-8").read()
        if original.count(text) != 1:
            verdict = "stale"
        else:
            try:
                open(full, "w", encoding="utf-8").write(original.replace(text, replacement))
                verdict = "caught"
                presets = [t.split(":", 1)[0] for t in tests]
                touched.update(presets)
                if not all(build(p) for p in set(presets)):
                    verdict = "invalid"
                elif not any(fails(*t.split(":", 1)) for t in tests):
                    verdict = "MISSED"
            finally:
                open(full, "w", encoding="utf-8").write(original)
        counts[verdict] = counts.get(verdict, 0) + 1
        print(f"{verdict:8s} {ident}", flush=True)
    for preset in sorted(touched):
        build(preset)
    print("mutants: " + ", ".join(f"{n} {v}" for v, n in sorted(counts.items())))
    return 1 if counts.get("MISSED") or counts.get("stale") else 0


if __name__ == "__main__":
    sys.exit(main())
