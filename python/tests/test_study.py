"""Studies: pelorin.study and pelorin.sweep give the tables of pelorin-cli
batch and sweep; pelorin.dask.study gives pelorin.study's on a cluster."""

import numpy as np
import pandas as pd
import pytest

import pelorin
from conftest import DATA, EXAMPLES, run_cli


def row_of(case: pelorin.Case, name: str) -> dict:
    used = {symbol for symbol, _ in pelorin._pelorin.layout(case.aim_code) if symbol}
    row = {"name": name, "title1": case.title1, "title2": case.title2, "aim": case.aim_code,
           "method": case.method_code}
    row.update({q: getattr(case, q) if q in used else np.nan for q in pelorin.QUANTITIES})
    return row


def cases_table() -> pd.DataFrame:
    """Every example, then rows that are refused or fail in each way batch knows."""
    rows = [row_of(pelorin.Case.from_file(path), path.stem) for path in EXAMPLES]
    base = row_of(pelorin.Case.from_file(DATA / "spacing-energy-pipe.inp"), "x")
    rows += [
        dict(base, name="refused", Dw=3.0),
        dict(base, name="unknown-aim", aim="width"),
        dict(base, name="words", aim="spacing", method="darcy", R=0.00712345),
        dict(base, name="no-Ka", Ka=np.nan),
        dict(base, name="refused"),  # a name used before
        dict(base, name="a/b"),
    ]
    return pd.DataFrame(rows)


def batch_frame(table: pd.DataFrame, folder, *options) -> pd.DataFrame:
    table.to_csv(folder / "cases.csv", index=False)
    cli = run_cli(["batch", "cases.csv", "--out", "results.csv", *options], folder)
    assert cli.returncode == 2, cli.stderr  # some rows fail
    return pd.read_csv(folder / "results.csv")


def same_but_seconds(ours: pd.DataFrame, theirs: pd.DataFrame):
    assert list(ours.columns) == list(theirs.columns)
    pd.testing.assert_frame_equal(ours.drop(columns="seconds"), theirs.drop(columns="seconds"))


@pytest.fixture(scope="module")
def table():
    return cases_table()


@pytest.fixture(scope="module")
def batch(table, tmp_path_factory):
    folder = tmp_path_factory.mktemp("batch")
    (folder / "reports").mkdir()
    return folder, batch_frame(table, folder, "--reports", folder / "reports")


@pytest.mark.parametrize("jobs", [None, 1, 3])
def test_study_equals_batch(table, batch, jobs):
    _, expected = batch
    result = pelorin.study(table, jobs=jobs)
    same_but_seconds(result, expected)
    assert set(result["status"]) == {"ok", "refused", "failed"}
    assert (result["row"] == range(1, len(table) + 1)).all()


def test_study_rows_are_the_cases_run_alone(table, batch):
    folder, _ = batch
    result = pelorin.study(table)
    for row in result.itertuples():
        if row.status != "ok":
            continue
        wanted = table.iloc[row.row - 1]
        case = pelorin.Case(wanted["aim"], wanted["method"], title1=wanted["title1"],
                            title2=wanted["title2"], file_name=f"{wanted['name']}.inp",
                            **{q: wanted[q] for q in pelorin.QUANTITIES if not pd.isna(wanted[q])})
        # The program's writer makes the file batch ran, and the case gives its report.
        assert case.input_text() == (folder / "reports" / f"{wanted['name']}.inp").read_bytes()
        alone = case.run(threads=1)
        assert alone.report.encode("latin-1") == (folder / "reports" / f"{wanted['name']}.out").read_bytes()
        assert (alone.sought, alone.head_darcy, alone.depth_energy) == (
            row.result, row.head_darcy, row.depth_energy)


@pytest.mark.parametrize("vary, options, methods", [
    ({"R": "0.004:0.010:0.003", "Dm": [0.5, 0.55]},
     ["--vary", "R=0.004:0.010:0.003", "--vary", "Dm=0.5,0.55", "--methods", "both"], "both"),
    ({"Kb2": [0.5, 1.5, 3.0]}, ["--vary", "Kb2=0.5,1.5,3.0"], None),
])
def test_sweep_equals_the_command(vary, options, methods, tmp_path):
    example = DATA / "spacing-energy-pipe.inp"
    (tmp_path / example.name).write_bytes(example.read_bytes())
    cli = run_cli(["sweep", example.name, *options, "--out", "t.csv"], tmp_path)
    assert cli.returncode == 0, cli.stderr
    expected = pd.read_csv(tmp_path / "t.csv")
    result = pelorin.sweep(pelorin.Case.from_file(example), vary=vary, methods=methods)
    same_but_seconds(result, expected)


def test_dask_study_equals_the_local_one(table):
    distributed = pytest.importorskip("distributed")
    import pelorin.dask
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, host="127.0.0.1",
                                  dashboard_address=None, processes=True) as cluster, \
            distributed.Client(cluster) as client:
        assert len(client.nthreads()) == 2
        spread = pelorin.dask.study(table, client)
        workers = client.run(lambda: __import__("pelorin").__file__)
    same_but_seconds(spread, pelorin.study(table))
    assert len(workers) == 2
