#!/usr/bin/env python3
"""Kills the crash driver with SIGKILL while it copies the tables and while
it restores them from a copy, and checks the folder after every kill.

Copies (`crashdriver backups`): after the kill the next start
(`crashdriver check`) must open the tables without a message, find every
listed copy whole (all four files, SQLite's check, every field), find no
half-written copy left, and make the day's copy afresh.

Restores (`crashdriver restores`: two copies with one and two rows in each
table, restored in turn over tables that had three): after the kill the next
start must show all four tables from the same side, that is as many rows in
each, and that side must be the one before or after the restore under way;
no stage of a restore may be left.
"""
import argparse
import os
import random
import shutil
import signal
import sqlite3
import subprocess
import sys
import time

FILES = {"Orvet.db": "Orvet", "OrvetSost.db": "OrvetSost", "Chesks.db": "Chesks", "LPoezd.db": "LPoezd"}


class Failure(Exception):
    pass


def counts(folder):
    result = []
    for name, table in FILES.items():
        con = sqlite3.connect(os.path.join(folder, name), isolation_level=None)
        try:
            if [r[0] for r in con.execute("PRAGMA integrity_check")] != ["ok"]:
                raise Failure(f"{name} is damaged")
            result.append(con.execute(f'SELECT count(*) FROM "{table}"').fetchone()[0])
        finally:
            con.close()
    return result


def log_lines(text):
    return [line.split(" ") for line in text.split("\n")[:-1]]


def start_and_kill(driver, mode, folder, delay):
    """Starts the driver, waits for READY, kills it `delay` seconds later."""
    proc = subprocess.Popen([driver, mode, folder], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    out = b""
    while not out.endswith(b"READY\n") and b"READY\n" not in out:
        chunk = os.read(proc.stdout.fileno(), 4096)
        if not chunk:
            raise Failure(f"{mode}: the driver ended before it was ready: {out.decode(errors='replace')}")
        out += chunk
    time.sleep(delay)
    os.kill(proc.pid, signal.SIGKILL)
    rest = proc.stdout.read()
    proc.wait()
    return log_lines((out + rest).decode("utf-8", errors="replace"))


def check_start(driver, folder):
    check = subprocess.run([driver, "check", folder], capture_output=True, text=True, timeout=120)
    if check.returncode != 0 or not check.stdout.startswith("OK"):
        raise Failure(f"the next start failed ({check.returncode}): {check.stdout.strip()} "
                      f"{check.stderr.strip()[-500:]}")


def backup_rounds(args, rng, stats):
    folder = os.path.join(args.work, "backups-round")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    today = time.strftime("%Y-%m-%d")
    for rnd in range(args.rounds):
        log = start_and_kill(args.driver, "backups", folder, rng.uniform(0.0, 0.4))
        errors = [w for w in log if w[0] == "ERROR"]
        if errors:
            raise Failure(f"backup round {rnd}: driver reported {' '.join(errors[0][1:])}")
        begun = [w for w in log if w[0] == "BEGIN"]
        done = [w for w in log if w[0] == "DONE"]
        stats["copies made"] += len(done)
        stats["kills inside a copy"] += len(begun) > len(done)
        stats["half-written copies found"] += any(
            n.startswith(".part-") for n in os.listdir(os.path.join(folder, "backups")))
        shutil.rmtree(os.path.join(folder, "backups", today), ignore_errors=True)
        check_start(args.driver, folder)
        if not os.path.isdir(os.path.join(folder, "backups", today)):
            raise Failure(f"backup round {rnd}: the next start made no copy of the day")


def restore_rounds(args, rng, stats):
    folder = os.path.join(args.work, "restore-round")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    side = 3  # the tables before the first restore
    for rnd in range(args.rounds):
        log = start_and_kill(args.driver, "restores", folder, rng.uniform(0.0, 0.5))
        pending = None
        for words in log:
            if words[0] == "ERROR":
                raise Failure(f"restore round {rnd}: driver reported {' '.join(words[1:])}")
            if words[0] == "BEGIN":
                pending = int(words[2])
            if words[0] == "DONE":
                side, pending = int(words[2]), None
        stats["restores done"] += sum(1 for w in log if w[0] == "DONE")
        stage = os.path.join(folder, ".orvet-restore")
        stats["kills with a stage"] += os.path.isdir(stage)
        stats["kills with the marker"] += os.path.exists(os.path.join(stage, "ready"))
        check_start(args.driver, folder)
        if os.path.exists(stage):
            raise Failure(f"restore round {rnd}: the stage of a restore is left")
        found = counts(folder)
        if len(set(found)) != 1:
            raise Failure(f"restore round {rnd}: the tables are from different sides: {found}")
        allowed = {side} if pending is None else {side, pending}
        if found[0] not in allowed:
            raise Failure(f"restore round {rnd}: {found[0]} rows, expected one of {sorted(allowed)}")
        if pending is not None and found[0] == pending and pending != side:
            stats["restores finished by the next start"] += 1
        side = found[0]


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--driver", required=True)
    parser.add_argument("--rounds", type=int, default=int(os.environ.get("ORVET_CRASH_ROUNDS", "15")))
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--work", required=True)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    os.makedirs(args.work, exist_ok=True)
    stats = {"copies made": 0, "kills inside a copy": 0, "half-written copies found": 0, "restores done": 0,
             "kills with a stage": 0, "kills with the marker": 0, "restores finished by the next start": 0}
    try:
        backup_rounds(args, rng, stats)
        restore_rounds(args, rng, stats)
    except Failure as e:
        print("FAIL:", e)
        print(stats)
        return 1
    print("OK", stats)
    return 0


if __name__ == "__main__":
    sys.exit(main())
