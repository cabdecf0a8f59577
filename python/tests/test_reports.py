"""The examples of Data/: the report of every case byte for byte, and the
report read back gives the run's figures."""

import pandas as pd
import pytest

import pelorin
from conftest import EXAMPLES


@pytest.mark.parametrize("example", EXAMPLES, ids=[p.stem for p in EXAMPLES])
def test_example_gives_golden_report_and_reads_back(example, tmp_path):
    golden = example.with_suffix(".out")
    case = pelorin.Case.from_file(example)
    result = case.run(threads=2)
    assert result.report.encode("latin-1") == golden.read_bytes()

    result.save(tmp_path / golden.name)
    assert (tmp_path / golden.name).read_bytes() == golden.read_bytes()

    saved = pelorin.read_report(golden, method=case.method)
    assert (saved.aim, saved.method, saved.sought) == (case.aim, case.method, result.sought)
    for name in ("spacing", "discharge", "depth", "conductivity", "head_darcy", "head_energy",
                 "depth_darcy", "depth_energy", "title1", "title2", "report"):
        assert getattr(saved, name) == getattr(result, name), name
    pd.testing.assert_frame_equal(saved.profile, result.profile)
    assert list(result.profile.columns) == ["X", "F*", "G*/p", "F", "G/p", "T1", "T2"]
    assert len(result.profile) > 2


@pytest.mark.parametrize("example", EXAMPLES, ids=[p.stem for p in EXAMPLES])
def test_written_and_rebuilt_cases_give_the_golden_report(example, tmp_path):
    golden = example.with_suffix(".out").read_bytes()
    case = pelorin.Case.from_file(example)
    case.write(tmp_path / example.name)
    written = pelorin.Case.from_file(tmp_path / example.name)
    assert written == case
    assert written.run(threads=1).report.encode("latin-1") == golden
    rebuilt = pelorin.Case(case.aim_code, case.method_code, title1=case.title1,
                           title2=case.title2, file_name=example.name,
                           **{q: getattr(case, q) for q in pelorin.QUANTITIES})
    assert rebuilt == case
    assert rebuilt.run(threads=1).report.encode("latin-1") == golden
