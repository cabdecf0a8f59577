"""pelorin.study against pelorin-cli batch: the same table of short cases, the
same number of jobs, best of several rounds each.

    build/python-venv/bin/python bench/python_study_bench.py [--cases N] [--jobs J]
        [--rounds R] [--cli build/release/app/pelorin-cli]

The table repeats the quick examples of Data/ (those that run in well under
a second). Prints both times and their ratio; the package aims at 1.1 or
less.
"""

import argparse
import pathlib
import subprocess
import tempfile
import time

import numpy as np
import pandas as pd

import pelorin

CHECKOUT = pathlib.Path(__file__).resolve().parents[1]
QUICK = ["spacing-darcy-pipe", "spacing-darcy-ditch", "discharge-darcy-pipe", "depth-pipe",
         "conductivity-darcy-pipe", "spacing-energy-pipe-entrance", "discharge-energy-ditch"]


def table_of(count: int) -> pd.DataFrame:
    rows = []
    for k in range(count):
        case = pelorin.Case.from_file(CHECKOUT / "Data" / f"{QUICK[k % len(QUICK)]}.inp")
        used = {symbol for symbol, _ in pelorin._pelorin.layout(case.aim_code) if symbol}
        row = {"name": f"case-{k + 1}", "aim": case.aim_code, "method": case.method_code}
        row.update({q: getattr(case, q) if q in used else np.nan for q in pelorin.QUANTITIES})
        rows.append(row)
    return pd.DataFrame(rows)


def best(rounds: int, run) -> float:
    times = []
    for _ in range(rounds):
        start = time.perf_counter()
        run()
        times.append(time.perf_counter() - start)
    return min(times)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cases", type=int, default=140)
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--cli", default=str(CHECKOUT / "build/release/app/pelorin-cli"))
    options = parser.parse_args()
    table = table_of(options.cases)
    with tempfile.TemporaryDirectory() as folder:
        cases = pathlib.Path(folder) / "cases.csv"
        table.to_csv(cases, index=False)
        command = [options.cli, "batch", str(cases), "--jobs", str(options.jobs), "--out",
                   str(pathlib.Path(folder) / "results.csv")]
        # Both once before timing: the files and the library are in memory.
        subprocess.run(command, check=True, capture_output=True)
        pelorin.study(table, jobs=options.jobs)
        cli = best(options.rounds, lambda: subprocess.run(command, check=True, capture_output=True))
        study = best(options.rounds, lambda: pelorin.study(table, jobs=options.jobs))
    print(f"{options.cases} cases, {options.jobs} jobs, best of {options.rounds}: "
          f"pelorin.study {study:.3f} s, pelorin-cli batch {cli:.3f} s, ratio {study / cli:.3f}")


if __name__ == "__main__":
    main()
