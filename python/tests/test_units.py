"""US customary units and the soil-texture presets through the public
interface: a case given in US units writes and runs the input file of the
same case given in SI, shows the file's numbers back in US units, and returns
its results in US units; the presets are the cited table."""

import csv

import pytest

import pelorin
from conftest import CHECKOUT, DATA, run_cli

# The example of each aim whose other numbers the cases keep.
BASE = {"Spa": "spacing-darcy-short.inp", "Dis": "discharge-darcy-pipe.inp",
        "Hyd": "depth-pipe.inp", "Con": "conductivity-darcy-pipe.inp"}


def rows(path):
    with open(path, newline="") as file:
        return list(csv.DictReader(line for line in file if not line.startswith("#")))


UNIT_CASES = rows(CHECKOUT / "tests/data/us-units.csv")


def case_pair(row, tmp_path):
    """The row's case given in US units and the same given in SI: the typed
    quantity as the table says, the others as the example's file holds them."""
    si = pelorin.Case.from_file(DATA / BASE[row["aim"]])
    us = pelorin.Case.from_file(DATA / BASE[row["aim"]], units="us")
    si.method = us.method = "darcy"
    setattr(si, row["quantity"], float(row["stored_si"]))
    setattr(us, row["quantity"], float(row["typed_us"]))
    return us, si


@pytest.mark.parametrize("row", UNIT_CASES, ids=lambda r: f"{r['aim']}-{r['quantity']}")
def test_a_case_in_us_units_is_the_same_case_in_si(row, tmp_path):
    us, si = case_pair(row, tmp_path)
    symbol = row["quantity"]
    assert us.shown()[symbol] == row["shown_us"]
    assert si.shown()[symbol] == row["stored_si"]
    (tmp_path / "us").mkdir()
    (tmp_path / "si").mkdir()
    us.write(tmp_path / "us/case.inp")
    si.write(tmp_path / "si/case.inp")
    assert (tmp_path / "us/case.inp").read_bytes() == (tmp_path / "si/case.inp").read_bytes()
    assert us.check() == si.check()
    if si.check():
        return
    by_us, by_si = us.run(threads=1), si.run(threads=1)
    assert by_us.report == by_si.report
    assert (by_us.units, by_si.units) == ("us", "si")
    # The results in US units, rounded as the report rounds: back in SI they
    # give the report's figure within the rounding of both.
    measures = {"Spa": "length", "Hyd": "length", "Dis": "recharge", "Con": "conductivity"}
    factor = {"length": 0.3048, "recharge": 0.0254, "conductivity": 0.3048}[measures[row["aim"]]]
    assert by_us.sought * factor == pytest.approx(by_si.sought, abs=0.006, rel=2e-3)
    assert by_us.head_darcy * 0.3048 == pytest.approx(by_si.head_darcy, abs=0.0006)
    assert list(by_us.profile["X"] * 0.3048) == pytest.approx(list(by_si.profile["X"]))
    assert list(by_us.profile["G*/p"]) == list(by_si.profile["G*/p"])


def test_the_worked_example_runs_as_pelorin_cli_batch_runs_it(tmp_path):
    case = pelorin.Case("depth", "energy", R=0.375, D1=8, D2=12, Dw=3.5, Db=3.6, Ka=2.04,
                        Kb1=2.04, Kv1=1, Kb2=0.694, Kv2=0.35, S=40, units="us",
                        title1="Tile drains 40 ft apart", title2="Silt loam over clay loam",
                        file_name="tile.inp")
    assert case.shown()["R"] == "0.374"
    assert case.stored()["R"] == 0.0095
    assert case.unit("R") == "in/day" and case.unit("E") == "day/ft"
    table = tmp_path / "tile.csv"
    table.write_text("name,title1,title2,aim,method,R,D1,D2,Dw,Db,E,W,Ka,Kb1,Kv1,Kb2,Kv2,S\n"
                     "tile,Tile drains 40 ft apart,Silt loam over clay loam,depth,Ene,"
                     "0.375,8,12,3.5,3.6,0,0,2.04,2.04,1,0.694,0.35,40\n")
    (tmp_path / "out").mkdir()
    batch = run_cli(["batch", "tile.csv", "--units", "us", "--reports", "out"], tmp_path)
    assert batch.returncode == 0, batch.stderr
    result = case.run(threads=1)
    assert result.report.encode("latin-1") == (tmp_path / "out/tile.out").read_bytes()
    case.write(tmp_path / "tile.inp")
    assert (tmp_path / "tile.inp").read_bytes() == (tmp_path / "out/tile.inp").read_bytes()
    line = batch.stdout.decode().splitlines()[1].split(",")
    assert f"{result.depth:.3f}" == line[19]
    assert (f"{result.head_darcy:.3f}", f"{result.depth_darcy:.3f}") == (line[20], line[22])


def test_a_file_read_in_us_units_runs_its_own_numbers():
    path = DATA / "depth-pipe.inp"
    us = pelorin.Case.from_file(path, units="us")
    assert us.stored() == pelorin.Case.from_file(path).stored()
    assert us.input_text() == pelorin.Case.from_file(path).input_text()
    assert us.Dw == float(us.shown()["Dw"])
    assert "units='us'" in repr(us)


@pytest.mark.parametrize("units", ["metric", "", "feet"])
def test_other_units_are_refused_naming_si_and_us(units):
    with pytest.raises(ValueError, match='"si".*"us"'):
        pelorin.Case("spacing", units=units)
    with pytest.raises(ValueError, match='"si".*"us"'):
        pelorin.texture_k("loam", units=units)


def test_the_texture_presets_are_the_cited_table():
    table = rows(CHECKOUT / "assets/soil-texture-k.csv")
    assert [row["texture"] for row in table] == list(pelorin.TEXTURE_CLASSES)
    for row in table:
        assert pelorin.texture_k(row["texture"]) == float(row["k_m_per_day"])
        assert pelorin.texture_k(row["texture"].upper(), units="us") == float(row["k_ft_per_day"])
    assert pelorin.texture_k(" Silt Loam ") == 0.6218
    assert pelorin.typical_note("silt loam") == "typical for silt loam, not measured"
    assert "Clapp" in pelorin.TEXTURE_SOURCE and "1978" in pelorin.TEXTURE_SOURCE
    with open(CHECKOUT / "assets/soil-texture-k.csv") as file:
        assert "Water Resources Research" in file.read()
    with pytest.raises(ValueError, match="unknown soil-texture class 'peat'.*'silt loam'"):
        pelorin.texture_k("peat")
