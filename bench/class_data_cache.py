#!/usr/bin/env python3
"""What the class-data cache gains, printed as ratios (nothing here asserts a time).

The application is the JDK's own compiler, called from a small main class in a JAR,
compiling one small file: well over 2,000 classes loaded. For each of JDK 17 and 25:
  - later launches: build/linux/jlaunch with "Class Data Cache=yes" (the cache trained
    beforehand) against `java -cp` on the same runtime, runs alternated in random order,
    medians of start to exit and of start to main, and 95% bootstrap intervals of the
    ratios;
  - the training launch (a fresh cache folder each time) against a launch of the same
    launcher with the cache off, apart;
  - the cache's size on disk.
Start to main is the time from just before the process is started to the wall-clock
instant main prints as its first act.

usage: [BENCH_JDKS=...] bench/class_data_cache.py [RUNS [TRAINING_RUNS]]   (defaults 20 and 6)
Run after scripts/build.sh linux.
"""
import glob
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# BENCH_JDKS (runtime folders separated by ":") measures others.
JDKS = os.environ.get("BENCH_JDKS", "/usr/lib/jvm/java-17-openjdk-amd64:/usr/lib/jvm/temurin-25-jdk-amd64").split(":")

MAIN = """
public class Compile {
    public static void main(String[] args) {
        java.time.Instant now = java.time.Instant.now();
        System.out.println("main " + (now.getEpochSecond() * 1_000_000_000L + now.getNano()));
        System.exit(com.sun.tools.javac.Main.compile(args));
    }
}
"""
SMALL = """
import java.util.*;
public class Small {
    record Point(int x, int y) {}
    public static void main(String[] args) {
        List<Point> points = new ArrayList<>();
        for (int i = 0; i < 10; i++) points.add(new Point(i, i * i));
        points.stream().filter(p -> p.y() % 2 == 0).forEach(System.out::println);
    }
}
"""


def run_once(argv, env):
    """Start to exit and start to main, in ms."""
    start = time.time_ns()
    result = subprocess.run(argv, env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, check=False)
    end = time.time_ns()
    if result.returncode != 0:
        sys.exit(f"{argv[0]} failed with {result.returncode}")
    line = next(l for l in result.stdout.decode().splitlines() if l.startswith("main "))
    return (end - start) / 1e6, (int(line.split()[1]) - start) / 1e6


def interval(a, b):
    rng = random.Random(1)
    ratios = sorted(statistics.median(rng.choices(a, k=len(a))) / statistics.median(rng.choices(b, k=len(b)))
                    for _ in range(2000))
    return ratios[50], ratios[1949]


def compare(name, a, b, label_a, label_b):
    for index, what in ((0, "start to exit"), (1, "start to main")):
        ta, tb = [x[index] for x in a], [x[index] for x in b]
        low, high = interval(ta, tb)
        ma, mb = statistics.median(ta), statistics.median(tb)
        print(f"{name}: {what}, medians of {len(ta)}: {label_a} {ma:.0f} ms, {label_b} {mb:.0f} ms, "
              f"ratio {ma / mb:.3f} (95% interval {low:.3f}-{high:.3f})")


def alternate(runs, commands):
    times = [[] for _ in commands]
    for _ in range(runs):
        order = list(range(len(commands)))
        random.shuffle(order)
        for which in order:
            argv, env, before = commands[which]
            if before:
                before()
            times[which].append(run_once(argv, env))
    return times


def wait_for_cache(folder):
    """The cache is complete once no launch's own files are left beside it."""
    for _ in range(1200):
        done = glob.glob(os.path.join(folder, "*", "*", "tool-*.aot")) + glob.glob(
            os.path.join(folder, "*", "*", "tool-*.jsa"))
        pending = glob.glob(os.path.join(folder, "*", "*", "*.tmp")) + glob.glob(
            os.path.join(folder, "*", "*", "*.classlist"))
        if done and not pending:
            return done[0]
        time.sleep(0.05)
    sys.exit(f"no cache appeared in {folder}")


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 20
    training_runs = int(sys.argv[2]) if len(sys.argv) > 2 else 6
    launcher = os.path.join(ROOT, "build", "linux", "jlaunch")
    if not os.path.exists(launcher):
        sys.exit("build the Linux launcher first: bash scripts/build.sh linux")
    print(f"machine: {os.cpu_count()} cores, load average {os.getloadavg()[0]:.1f} at the start "
          "(other work on the machine weighs on both sides of each ratio alike)")
    work = tempfile.mkdtemp(prefix="jl-cache-bench-")
    try:
        for jdk in JDKS:
            if not os.path.exists(os.path.join(jdk, "bin", "java")):
                print(f"skip: {jdk} absent")
                continue
            name = os.path.basename(jdk)
            base = os.path.join(work, name)
            os.makedirs(os.path.join(base, "classes"))
            with open(os.path.join(base, "Compile.java"), "w") as f:
                f.write(MAIN)
            with open(os.path.join(base, "Small.java"), "w") as f:
                f.write(SMALL)
            subprocess.run([os.path.join(jdk, "bin", "javac"), "-d", os.path.join(base, "classes"),
                            os.path.join(base, "Compile.java")], check=True)
            jar = os.path.join(base, "compile.jar")
            subprocess.run([os.path.join(jdk, "bin", "jar"), "cf", jar, "-C", os.path.join(base, "classes"), "."],
                           check=True)
            args = ["-d", os.path.join(base, "out"), os.path.join(base, "Small.java")]
            for cache_on in ("yes", "no"):
                folder = os.path.join(base, "tool-" + cache_on)
                os.makedirs(folder)
                shutil.copy(launcher, os.path.join(folder, "tool"))
                with open(os.path.join(folder, "tool.ini"), "w") as f:
                    f.write(f"[Product Information]\r\nProduct Name=Bench\r\nProduct Code=1\r\n"
                            f"[Java Runtime Environment]\r\nJRE Path={jdk}\r\nMain Class=Compile\r\n"
                            f"Class Data Cache={cache_on}\r\n[Class Path]\r\nClass Path={jar}\r\n")
            cached = [os.path.join(base, "tool-yes", "tool")] + args
            plain = [os.path.join(base, "tool-no", "tool")] + args
            java = [os.path.join(jdk, "bin", "java"), "-cp", jar, "Compile"] + args
            loaded = subprocess.run([os.path.join(jdk, "bin", "java"), "-Xlog:class+load", "-cp", jar, "Compile"] +
                                    args, stdout=subprocess.PIPE, check=True).stdout.decode().count("class,load")
            print(f"{name}: the application loads {loaded} classes")

            # Training launches, each with a fresh cache folder, against the cache off.
            cache_home = os.path.join(base, "cache")
            env = dict(os.environ, XDG_CACHE_HOME=cache_home)
            fresh = lambda: shutil.rmtree(cache_home, ignore_errors=True)
            training, without = [], []
            for _ in range(training_runs):
                order = [0, 1]
                random.shuffle(order)
                for which in order:
                    if which == 0:
                        fresh()
                        training.append(run_once(cached, env))
                        wait_for_cache(cache_home)  # the create step must not load the next run
                    else:
                        without.append(run_once(plain, env))
            compare(name + " training launch", training, without, "jlaunch training", "jlaunch without cache")

            cache_file = wait_for_cache(cache_home)
            size = sum(os.path.getsize(p) for p in glob.glob(os.path.join(cache_home, "*", "*", "*")))
            print(f"{name}: cache {os.path.basename(cache_file)}, {size / 1048576:.1f} MB on disk")

            later, direct = alternate(runs, [(cached, env, None), (java, env, None)])
            compare(name + " later launches", later, direct, "jlaunch with cache", "java -cp")
    finally:
        shutil.rmtree(work, ignore_errors=True)


main()
