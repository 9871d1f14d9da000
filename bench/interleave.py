#!/usr/bin/env python3
"""Start-up time of two commands, run in alternation so that a machine that speeds up
or slows down during the run weighs on both alike. Prints the median of each in ms, the
ratio of the first to the second and a 95% bootstrap interval of that ratio.

usage: interleave.py RUNS WARMUP [--any-status] -- COMMAND_A... -- COMMAND_B...
A command that ends with a status other than 0 stops the measurement, unless
--any-status is given.
"""
import os
import random
import statistics
import sys
import time


any_status = False


def run_once(argv):
    start = time.perf_counter_ns()
    with open(os.devnull, "wb") as null:
        pid = os.posix_spawn(argv[0], argv, os.environ, file_actions=[
            (os.POSIX_SPAWN_DUP2, null.fileno(), 1), (os.POSIX_SPAWN_DUP2, null.fileno(), 2)])
        _, status = os.waitpid(pid, 0)
    elapsed = (time.perf_counter_ns() - start) / 1e6
    if os.waitstatus_to_exitcode(status) != 0 and not any_status:
        sys.exit(f"{argv[0]} failed with {os.waitstatus_to_exitcode(status)}")
    return elapsed


def main():
    global any_status
    runs, warmup = int(sys.argv[1]), int(sys.argv[2])
    rest = sys.argv[3:]
    if rest and rest[0] == "--any-status":
        any_status = True
        rest = rest[1:]
    split = [i for i, a in enumerate(rest) if a == "--"]
    a, b = rest[split[0] + 1:split[1]], rest[split[1] + 1:]
    for _ in range(warmup):
        run_once(a)
        run_once(b)
    times = {0: [], 1: []}
    for _ in range(runs):
        order = [0, 1]
        random.shuffle(order)
        for which in order:
            times[which].append(run_once(a if which == 0 else b))
    ma, mb = statistics.median(times[0]), statistics.median(times[1])
    rng = random.Random(1)
    ratios = sorted(
        statistics.median(rng.choices(times[0], k=runs)) / statistics.median(rng.choices(times[1], k=runs))
        for _ in range(2000))
    print(f"{ma:.1f} {mb:.1f} {ma / mb:.3f} {ratios[50]:.3f} {ratios[1949]:.3f}")


main()
