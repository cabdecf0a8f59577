"""Studies spread over a dask.distributed cluster.

Every task gets the whole table and runs one shard of its rows, as
`pelorin-cli batch --shard K/N` does, so that a name used twice is judged
against the whole table; the client puts the lines back in the order of the
rows. The workers need pelorin installed.
"""

from __future__ import annotations

from typing import Optional

import pandas as pd

from . import _study


def _run_shard(csv: bytes, index: int, count: int, jobs: Optional[int]):
    return _study.study_lines(csv, jobs, (index, count))


def _row_of(line: bytes) -> int:
    return int(line.split(b",", 1)[0])


def study(table: pd.DataFrame, client, shards: Optional[int] = None,
          jobs: int = 1) -> pd.DataFrame:
    """pelorin.study(table) with the rows spread over the cluster of `client`
    (a distributed.Client); returns the same frame.

    shards: how many tasks (default four per thread of the cluster's workers,
    at most one per row). jobs: cases a task runs at once (default 1: the
    workers' threads run the tasks side by side; None: every core).
    """
    csv = _study.table_bytes(table)
    if shards is None:
        threads = sum(client.nthreads().values()) or 1
        shards = 4 * threads
    shards = max(1, min(int(shards), len(table)))
    shared = client.scatter(csv, broadcast=True)
    tasks = [client.submit(_run_shard, shared, k, shards, jobs, pure=False)
             for k in range(1, shards + 1)]
    lines = [line for shard in client.gather(tasks) for line in shard]
    lines.sort(key=_row_of)
    return _study.results_frame(lines)
