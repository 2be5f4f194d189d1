#!/usr/bin/env python3
"""Runs every test program of a build outside CTest, once whole and once
shuffled for each seed, so that a test leaning on what another left (or
failing after it) shows; CTest runs each test in a process of its own and
hides that.

The programs run as CTest runs them: from BUILD/tests with the headless GUI
and the virtual sound device. The entries CTest runs under Xvfb (names ending
in _xvfb) run with their own command and environment, one at a time.
Usage: scripts/run-orders.py [BUILD] [--seeds 1,2,3] [--jobs 3] [--only NAME,...]
Prints one line a run and the tests that failed; each run's output is kept
in BUILD/orders/. Exits 1 when any run failed.
"""
import argparse, concurrent.futures, json, os, re, subprocess, sys, time

parser = argparse.ArgumentParser()
parser.add_argument("build", nargs="?", default="build")
parser.add_argument("--seeds", default="1,2,3")
parser.add_argument("--jobs", type=int, default=3)
parser.add_argument("--only", default="", help="programs or entries to run, by name")
parser.add_argument("--timeout", type=int, default=1800)
parser.add_argument("--logs", default="", help="where the runs' output goes (default BUILD/orders)")
parser.add_argument("--cwd", default="", help="the programs' working folder (default BUILD/tests, as CTest's)")
args = parser.parse_args()

build = os.path.abspath(args.build)
logs = os.path.abspath(args.logs) if args.logs else os.path.join(build, "orders")
os.makedirs(logs, exist_ok=True)
only = set(filter(None, args.only.split(",")))
orders = [("whole", [])] + [(f"seed{s}", ["--gtest_shuffle", f"--gtest_random_seed={s}"])
                            for s in args.seeds.split(",")]

# The programs and their working folder, and the Xvfb entries, as CTest
# runs them.
listing = json.loads(subprocess.run(["ctest", "--test-dir", build, "--show-only=json-v1"],
                                    capture_output=True, text=True, check=True).stdout)
found, entries = {}, []
for t in listing["tests"]:
    env, workdir = {}, build
    for p in t.get("properties", []):
        if p["name"] == "ENVIRONMENT":
            env = dict(v.split("=", 1) for v in p["value"])
        elif p["name"] == "WORKING_DIRECTORY":
            workdir = p["value"]
    if t["name"].endswith("_xvfb"):
        if "command" in t:
            entries.append((t["name"], t["command"], env, workdir))
        continue
    # Discovered tests: [env, VAR=VALUE..., PROGRAM, --gtest_filter=...].
    words = [w for w in t.get("command", []) if not w.endswith("/env") and not re.match(r"^[A-Z_]+=", w)]
    if words and os.path.basename(words[0]).startswith("test_"):
        found.setdefault(os.path.basename(words[0]), (words[0], workdir))
programs = sorted(found)
if only:
    programs = [p for p in programs if p in only]
    entries = [e for e in entries if e[0] in only]

base_env = dict(os.environ, KOBRIX_GUI="headless", KOBRIX_AUDIO="virtual")


def run(name, command, env, cwd, order, extra):
    log = os.path.join(logs, f"{name}.{order}.log")
    started = time.time()
    with open(log, "w") as out:
        try:
            status = subprocess.run(command + extra, cwd=cwd, env=env, stdout=out, stderr=subprocess.STDOUT,
                                    timeout=args.timeout).returncode
        except subprocess.TimeoutExpired:
            status = "timeout"
    text = open(log, errors="replace").read()
    failed = sorted(set(re.findall(r"^\[  FAILED  \] (\S+\.\S+)(?: \(| ,|$)", text, re.M)))
    passed = re.findall(r"^\[  PASSED  \] (\d+) test", text, re.M)
    skipped = re.findall(r"^\[  SKIPPED \] (\d+) test", text, re.M)
    seed = re.search(r"Randomizing tests' orders with a seed of (\d+)", text)
    return dict(name=name, order=order, status=status, failed=failed, seconds=time.time() - started,
                passed=passed[-1] if passed else "?", skipped=skipped[-1] if skipped else "0",
                seed=seed.group(1) if seed else "", log=log)


def report(r):
    ok = r["status"] == 0 and not r["failed"]
    print(f"{'ok  ' if ok else 'FAIL'} {r['name']:<34} {r['order']:<6} status={r['status']} "
          f"passed={r['passed']} skipped={r['skipped']} {r['seconds']:.0f}s"
          + (f"\n       failed: {' '.join(r['failed'])}\n       log: {r['log']}" if not ok else ""),
          flush=True)
    return ok


results = []
with concurrent.futures.ThreadPoolExecutor(max_workers=args.jobs) as pool:
    futures = [pool.submit(run, p, [found[p][0]], base_env, args.cwd or found[p][1], o, extra)
               for p in programs for o, extra in orders]
    for f in concurrent.futures.as_completed(futures):
        results.append(report(f.result()))
# One X server at a time, as CTest's resource lock keeps them.
for name, command, env, cwd in entries:
    for o, extra in orders:
        results.append(report(run(name, command, dict(os.environ, **env), cwd, o, extra)))
print(f"orders: {results.count(True)} runs passed, {results.count(False)} failed")
sys.exit(0 if all(results) else 1)
