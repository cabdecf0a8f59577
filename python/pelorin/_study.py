"""Studies: tables of cases run as pelorin-cli batch and sweep run them."""

from __future__ import annotations

import io
import os
from typing import Dict, Iterable, List, Optional, Sequence, Union

import pandas as pd

from . import _pelorin
from ._case import Case


def table_bytes(table: pd.DataFrame) -> bytes:
    """The CASES.csv that batch would read for this frame: its columns as the
    header, one row a case (the index is not written)."""
    if not isinstance(table, pd.DataFrame):
        raise TypeError("a study's table is a pandas DataFrame")
    return table.to_csv(index=False, lineterminator="\n").encode("utf-8")


def results_frame(lines: Iterable[bytes]) -> pd.DataFrame:
    """RESULTS.csv's lines read as pandas.read_csv reads batch's table."""
    text = _pelorin.results_header().encode("ascii") + b"".join(lines)
    return pd.read_csv(io.BytesIO(text))


def _jobs(jobs: Optional[int]) -> int:
    if jobs is None:
        return 0
    if isinstance(jobs, bool) or not isinstance(jobs, int) or jobs < 1:
        raise ValueError("jobs must be a whole number from 1 on")
    return jobs


def study_lines(csv: bytes, jobs: Optional[int] = None, shard: Optional[tuple] = None) -> List[bytes]:
    """The lines of RESULTS.csv for the table's rows (of shard (k, n))."""
    k, n = shard if shard is not None else (0, 0)
    return _pelorin.run_table(csv, _jobs(jobs), k, n)


def study(table: pd.DataFrame, jobs: Optional[int] = None) -> pd.DataFrame:
    """Runs a table of cases as `pelorin-cli batch` does.

    table: a DataFrame with batch's columns (name, title1, title2, aim,
    method and the quantities R, D1, ..., S in the units of the input files),
    one case a row; other columns are left alone.
    jobs: cases run at once (default every core).
    Returns RESULTS.csv as pandas.read_csv reads it: row, name, aim, method,
    the quantities as the input file holds them, status ("ok", "refused",
    "failed"), result, head_darcy, head_energy, depth_darcy, depth_energy,
    message, seconds (the case's own time). Ctrl+C stops the study.
    """
    return results_frame(study_lines(table_bytes(table), jobs))


Values = Union[str, Sequence[float]]


def _variation(symbol: str, values: Values) -> str:
    if isinstance(values, str):
        return f"{symbol}={values}"
    numbers = [float(value) for value in values]
    if not numbers:
        raise ValueError(f"no values of {symbol}")
    return f"{symbol}=" + ",".join(repr(number) for number in numbers)


def sweep(case: Case, vary: Dict[str, Values], methods: Optional[str] = None,
          jobs: Optional[int] = None) -> pd.DataFrame:
    """Runs a case over a grid as `pelorin-cli sweep` does.

    vary: one or two quantities, each with a list of values or a range
    "FROM:TO:STEP" (e.g. {"R": "0.004:0.010:0.002", "Dm": [0.5, 0.8]}); the
    first varies fastest. methods="both" runs every combination by the energy
    balance and by Darcy; otherwise the case's method. The cases are named
    after the case's file name: case-1, case-2, ...
    Returns the frame of study().
    """
    if not isinstance(case, Case):
        raise TypeError("sweep takes a pelorin.Case")
    if methods not in (None, "both", "one"):
        raise ValueError('methods is "both" or "one" (the case\'s method)')
    variations = [_variation(symbol, values) for symbol, values in dict(vary).items()]
    stem = os.path.splitext(case.file_name)[0] or "case"
    lines = _pelorin.run_sweep(case._file_bytes(), case.file_name, stem, variations,
                               methods == "both", _jobs(jobs))
    return results_frame(lines)
