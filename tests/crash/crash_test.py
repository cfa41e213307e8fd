#!/usr/bin/env python3
"""Kills the crash driver with SIGKILL at random moments and checks the
tables after every kill.

Each round starts `crashdriver run` on the work folder, kills it after a
random delay and then:
  * starts the program again (`crashdriver check`), which must open every
    table without a message and read every row;
  * finds no super-journal left behind (a rollback journal may stay only
    when SQLite does not count it as hot);
  * runs PRAGMA integrity_check on each of the four files;
  * finds exactly one day row per day of the month for every waybill and no
    day row whose waybill is missing;
  * finds every waybill the driver reported as committed, and none it
    reported as deleted or replaced; only the operation that was under way
    when the kill came may have gone either way, and then whole.
Every --fresh-every'th round starts from an empty folder with a short delay,
so that kills also land in the first start, while the table files are made.
"""
import argparse
import calendar
import glob
import json
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


def integrity(path):
    con = sqlite3.connect(path, isolation_level=None)
    try:
        rows = [r[0] for r in con.execute("PRAGMA integrity_check")]
    finally:
        con.close()
    if rows != ["ok"]:
        raise Failure(f"integrity_check of {os.path.basename(path)}: {rows[:5]}")


def read_waybills(folder):
    """Returns {ID: days in its month} after checking the day rows."""
    for name in FILES:
        path = os.path.join(folder, name)
        if not os.path.exists(path):
            raise Failure(f"{name} is missing after the start")
        integrity(path)
    con = sqlite3.connect(os.path.join(folder, "Orvet.db"), isolation_level=None)
    try:
        con.execute("ATTACH DATABASE ? AS s", (os.path.join(folder, "OrvetSost.db"),))
        headers = {}
        for wid, date in con.execute('SELECT "ID", "DATE" FROM "Orvet"'):
            year, month = int(date[0:4]), int(date[5:7])
            headers[wid] = calendar.monthrange(year, month)[1]
        days = {}
        for idjoin, chislo in con.execute('SELECT "IDJOIN", "CHISLO" FROM s."OrvetSost"'):
            days.setdefault(idjoin, []).append(chislo)
    finally:
        con.close()
    orphans = sorted(set(days) - set(headers))
    if orphans:
        raise Failure(f"day rows of missing waybills {orphans[:10]}")
    for wid, n in headers.items():
        want = ["%02d" % d for d in range(1, n + 1)]
        if sorted(days.get(wid, [])) != want:
            raise Failure(f"waybill {wid} has day rows {sorted(days.get(wid, []))}, wants 01..{n:02d}")
    return headers


JOURNAL_MAGIC = bytes([0xD9, 0xD5, 0x05, 0xF9, 0x20, 0xA1, 0x63, 0xD7])


def super_journal_named(path):
    """Whether a journal listed in the super-journal names it back in the
    record at its end: name, length, checksum, magic."""
    with open(path, "rb") as f:
        journals = [j for j in f.read().split(b"\0") if j]
    for journal in journals:
        try:
            with open(journal, "rb") as f:
                data = f.read()
        except FileNotFoundError:
            continue
        if len(data) < 16 or data[-8:] != JOURNAL_MAGIC:
            continue
        length = int.from_bytes(data[-16:-12], "big")
        name = data[-16 - length:-16]
        if os.path.realpath(name) == os.path.realpath(path.encode()):
            return True
    return False


def parse_log(path):
    """Complete lines only: a kill may cut the last one."""
    with open(path, encoding="utf-8", errors="replace") as f:
        text = f.read()
    lines = text.split("\n")[:-1]
    return [line.split(" ") for line in lines]


def expected_after(model, log, actual, max_id, stats):
    """Applies the committed operations of the log to the model and checks
    the tables against it; returns the name of the operation under way."""
    model = dict(model)
    pending = None
    for words in log:
        kind = words[0]
        if kind == "ERROR":
            raise Failure("driver reported: " + " ".join(words[1:]))
        if kind == "BEGIN":
            pending = words[1:]
        elif kind == "DONE":
            op = words[1]
            if op == "new":
                model[int(words[2])] = int(words[3])
            elif op == "replace":
                model.pop(int(words[2]), None)
                model[int(words[3])] = int(words[4])
            elif op == "delete":
                model.pop(int(words[2]), None)
            stats["committed"] += 1
            pending = None
    got = set(actual)
    want = set(model)
    lost = want - got
    extra = got - want
    op = pending[0] if pending else None
    if op == "replace" or op == "delete":
        old = int(pending[1])
        if old in lost:  # the operation committed: the old waybill goes ...
            lost.discard(old)
    if lost:
        raise Failure(f"committed waybills lost: {sorted(lost)} (under way: {pending})")
    if extra:
        # ... and a new or replaced waybill may have come, one, newer than any before.
        if op not in ("new", "replace") or len(extra) != 1 or min(extra) <= max_id:
            raise Failure(f"unexpected waybills {sorted(extra)} (under way: {pending})")
        if op == "replace" and int(pending[1]) in got:
            raise Failure(f"waybill {pending[1]} both kept and replaced by {sorted(extra)}")
    if op == "replace" and int(pending[1]) not in got and not extra:
        raise Failure(f"waybill {pending[1]} deleted but its replacement is missing")
    for wid in want & got:
        if model[wid] != actual[wid]:
            raise Failure(f"waybill {wid} has {actual[wid]} days, was stored with {model[wid]}")
    return op


def run(args):
    rng = random.Random(args.seed)
    folder = os.path.join(args.work, "tables")
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    stats = {"rounds": 0, "committed": 0, "fresh_starts": 0, "killed_with_journal": 0,
             "killed_with_super_journal": 0, "under_way": {}, "max_waybills": 0,
             "cold_journals_left": 0, "super_journals_kept": 0,
             "killed_creating_tables": 0, "most_super_journals_at_once": 0}
    model, max_id = {}, 0
    for rnd in range(args.rounds):
        fresh = rnd % args.fresh_every == 0
        if fresh:
            shutil.rmtree(folder, ignore_errors=True)
            os.makedirs(folder)
            model, max_id = {}, 0
            stats["fresh_starts"] += 1
        log_path = os.path.join(args.work, "driver.log")
        delay = rng.uniform(0.0, args.fresh_delay) if fresh else rng.uniform(args.min_delay, args.max_delay)
        with open(log_path, "w") as log, open(os.path.join(args.work, "driver.err"), "w") as err:
            proc = subprocess.Popen([args.driver, "run", folder, str(args.seed + rnd)],
                                    stdout=log, stderr=err, env=env)
            time.sleep(delay)
            if proc.poll() is not None:
                raise Failure(f"round {rnd}: the driver ended by itself with {proc.returncode}: "
                              + open(log_path).read()[-500:])
            os.kill(proc.pid, signal.SIGKILL)
            proc.wait()
        journals = glob.glob(os.path.join(folder, "*-journal"))
        supers = glob.glob(os.path.join(folder, "*-mj*"))
        stats["killed_with_journal"] += bool(journals)
        stats["killed_with_super_journal"] += bool(supers)
        stats["killed_creating_tables"] += bool(glob.glob(os.path.join(folder, "*.part")))

        check = subprocess.run([args.driver, "check", folder], capture_output=True, text=True,
                               env=env, timeout=120)
        if check.returncode != 0 or not check.stdout.startswith("OK"):
            raise Failure(f"round {rnd}: the next start failed ({check.returncode}): "
                          f"{check.stdout.strip()} {check.stderr.strip()[-500:]}")
        # A journal whose header SQLite never completed is not hot and stays
        # until the next write to its file. A super-journal may stay only
        # while such a journal still names it.
        kept = glob.glob(os.path.join(folder, "*-mj*"))
        for path in kept:
            if not super_journal_named(path):
                raise Failure(f"round {rnd}: stale super-journal {os.path.basename(path)} left after the start")
        stats["super_journals_kept"] += len(kept)
        stats["most_super_journals_at_once"] = max(stats["most_super_journals_at_once"], len(kept))
        stats["cold_journals_left"] += len(glob.glob(os.path.join(folder, "*-journal")))

        try:
            actual = read_waybills(folder)
            op = expected_after(model, parse_log(log_path), actual, max_id, stats)
        except Failure as e:
            raise Failure(f"round {rnd} (seed {args.seed + rnd}): {e}")
        key = op or "none"
        stats["under_way"][key] = stats["under_way"].get(key, 0) + 1
        model = actual
        max_id = max([max_id] + list(actual))
        stats["max_waybills"] = max(stats["max_waybills"], len(actual))
        stats["rounds"] += 1
        if args.verbose:
            print(f"round {rnd}: delay {delay:.3f}s, under way {key}, waybills {len(actual)}, "
                  f"journals {len(journals)}, super-journals {len(supers)}", flush=True)
    return stats


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("--driver", required=True)
    p.add_argument("--rounds", type=int, default=30)
    p.add_argument("--work", required=True, help="folder for the tables and the driver's log")
    p.add_argument("--seed", type=int, default=int(time.time()) % 100000)
    p.add_argument("--min-delay", type=float, default=0.05)
    p.add_argument("--max-delay", type=float, default=0.6)
    p.add_argument("--fresh-every", type=int, default=10)
    p.add_argument("--fresh-delay", type=float, default=0.12)
    p.add_argument("--json", help="write the figures to this file")
    p.add_argument("--verbose", action="store_true")
    args = p.parse_args()
    os.makedirs(args.work, exist_ok=True)
    print(f"crash test: {args.rounds} rounds, seed {args.seed}", flush=True)
    started = time.monotonic()
    try:
        stats = run(args)
    except Failure as e:
        print("FAILED: " + str(e), file=sys.stderr)
        print(f"the tables are kept in {os.path.join(args.work, 'tables')}", file=sys.stderr)
        return 1
    stats["seconds"] = round(time.monotonic() - started, 1)
    print(json.dumps(stats, indent=1, sort_keys=True))
    if args.json:
        with open(args.json, "w") as f:
            json.dump(stats, f, indent=1, sort_keys=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
