"""The result of a run, taken from its report: what a saved report says too."""

from __future__ import annotations

import os
from typing import List, Optional

import pandas as pd

from . import _pelorin
from ._texts import decoded

# The program that wrote a report, by the first word of its line 3.
_MODULES = {
    "DarSpac": ("spacing", "darcy"),
    "EneSpac": ("spacing", "energy"),
    "DarDisc": ("discharge", "darcy"),
    "EneDisc": ("discharge", "energy"),
    "HydrHead": ("depth", None),
    "DarCond": ("conductivity", "darcy"),
    "EneCond": ("conductivity", "energy"),
}


class ReportError(ValueError):
    """A text that is no report the program writes."""


class Result:
    """The result of a case, with the figures its report prints.

    aim, method: what was sought and by which method ("spacing", "energy", ...).
    sought: the sought quantity by the case's method, as the report prints it;
    also by its name: spacing (m), discharge (m/day), depth (the midway
    water-table depth, m) or conductivity (m/day). depth is the midway depth
    by the case's method for every aim; the names of quantities that were not
    sought are None.
    head_darcy, head_energy, depth_darcy, depth_energy: the midway heads and
    water-table depths by both methods (m).
    messages: the messages of the run (empty for a report read from a file).
    report: the report's text, exactly what pelorin-cli writes (CR LF lines).
    profile: the profile table as a DataFrame (X, F*, G*/p, F, G/p, T1, T2).
    inputs: the numbers the report echoes, by symbol.
    case: the Case that was run (None for a report read from a file).
    units: "si", or "us" for a Case given in US units: then sought, the heads
    and depths are in ft (a discharge in in/day, a conductivity in ft/day),
    converted from the report's figures and rounded as the report rounds
    them (in/day one decimal fewer); the profile's X, F* and F are in ft and
    the inputs in US units, unrounded. The report stays in SI.
    """

    def __init__(self, *, aim, method, module, title1, title2, sought, head_darcy, head_energy,
                 depth_darcy, depth_energy, messages, report, profile, inputs, case,
                 units="si"):
        self.aim = aim
        self.method = method
        self.module = module
        self.title1 = title1
        self.title2 = title2
        self.sought = sought
        self.head_darcy = head_darcy
        self.head_energy = head_energy
        self.depth_darcy = depth_darcy
        self.depth_energy = depth_energy
        self.messages = messages
        self.report = report
        self.profile = profile
        self.inputs = inputs
        self.case = case
        self.units = units

    def _named(self, aim: str) -> Optional[float]:
        return self.sought if self.aim == aim else None

    @property
    def spacing(self) -> Optional[float]:
        """The drain spacing (m, or ft) when it was sought."""
        return self._named("spacing")

    @property
    def discharge(self) -> Optional[float]:
        """The drain discharge (m/day, or in/day) when it was sought."""
        return self._named("discharge")

    @property
    def conductivity(self) -> Optional[float]:
        """The hydraulic conductivity (m/day, or ft/day) when it was sought."""
        return self._named("conductivity")

    @property
    def depth(self) -> Optional[float]:
        """The midway water-table depth (m, or ft) by the case's method."""
        if self.method == "darcy":
            return self.depth_darcy
        if self.method == "energy":
            return self.depth_energy
        return None

    def save(self, path) -> None:
        """Writes the report, byte for byte as pelorin-cli writes it."""
        with open(path, "wb") as file:
            file.write(self.report.encode("latin-1"))

    def __repr__(self) -> str:
        return (f"<Result {self.aim} by {self.method}: {self.sought!r}; heads "
                f"{self.head_darcy!r} (Darcy), {self.head_energy!r} (energy)>")


def _number(text: str) -> float:
    try:
        return float(text)
    except ValueError:
        return float("nan")


def _label_says(label: str, what: str, method: str) -> bool:
    return what in label and method in label


# What the sought quantity of each aim measures, and the profile's lengths.
_SOUGHT_MEASURES = {"spacing": "length", "discharge": "recharge", "depth": "length",
                    "conductivity": "conductivity"}
_PROFILE_LENGTHS = ("X", "F*", "F")


def _in_units(text: str, measures: str, units: str) -> float:
    """A figure the report prints, in units, rounded as the report rounds it."""
    if units == "si":
        return _number(text)
    decimals = len(text) - text.index(".") - 1 if "." in text else 0
    return _number(_pelorin.shown_result(_number(text), measures, units, decimals))


def _result_of_report(data: bytes, file_name: str, *, messages: List[str], method: Optional[str],
                      case, units: str = "si") -> Result:
    lines = data.split(b"\r\n")
    if lines and lines[-1] == b"":
        lines.pop()
    parts = _pelorin.report_parts(lines, file_name)
    if parts["status"] != "ok":
        raise ReportError(decoded(parts["message"]))
    module = parts["module"]
    if module not in _MODULES:
        raise ReportError(f"{file_name}: no program of Pelorin is named {module!r}")
    aim, module_method = _MODULES[module]
    method = module_method or method
    figures = {}
    for group in parts["result_groups"]:
        for label, value in group:
            label = decoded(label)
            for key, what, by in (("head_darcy", "hydr. head", "(Darcy"),
                                  ("head_energy", "hydr. head", "(energy"),
                                  ("depth_darcy", "W.T. depth", "(Darcy"),
                                  ("depth_energy", "W.T. depth", "(energy")):
                if _label_says(label, what, by):
                    figures[key] = _in_units(value, "length", units)
    if aim == "depth":
        sought = {"darcy": figures.get("depth_darcy"),
                  "energy": figures.get("depth_energy")}.get(method)
    else:
        sought = _in_units(parts["result_groups"][0][0][1], _SOUGHT_MEASURES[aim], units)
    columns = list(parts["profile_columns"])
    profile = pd.DataFrame([[_number(v) for v in row] for row in parts["profile_rows"]],
                           columns=columns, dtype=float)
    inputs = {symbol: _number(value) for symbol, value in parts["inputs"]}
    if units != "si":
        for column in _PROFILE_LENGTHS:
            if column in profile:
                profile[column] = [_pelorin.to_units(v, "length", units) for v in profile[column]]
        inputs = {symbol: _pelorin.to_units(value, symbol, units)
                  for symbol, value in inputs.items()}
    return Result(aim=aim, method=method, module=module, title1=decoded(parts["title1"]),
                  title2=decoded(parts["title2"]), sought=sought,
                  head_darcy=figures.get("head_darcy"), head_energy=figures.get("head_energy"),
                  depth_darcy=figures.get("depth_darcy"),
                  depth_energy=figures.get("depth_energy"), messages=messages,
                  report=decoded(data), profile=profile, inputs=inputs, case=case,
                  units=units)


def read_report(path, method: Optional[str] = None) -> Result:
    """The Result a saved report (.out) gives: the same figures as the run's.

    A report of the midway water-table depth does not say the method of its
    case (it gives both); pass method="energy" or "darcy" to have .depth and
    .sought, otherwise they are None.
    """
    with open(path, "rb") as file:
        data = file.read()
    if method is not None:
        from ._case import METHODS, _word
        method = _word(method, METHODS, "method")
    return _result_of_report(data, os.path.basename(os.fspath(path)), messages=[],
                             method=method, case=None)
