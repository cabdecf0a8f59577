"""A drainage case: its titles, aim, method and numbers, its input file, its run."""

from __future__ import annotations

import math
import os
from typing import List, Optional

from . import _pelorin
from ._result import Result, _result_of_report
from ._texts import decoded, latin1

AIMS = {"spacing": "Spa", "discharge": "Dis", "depth": "Hyd", "conductivity": "Con"}
METHODS = {"energy": "Ene", "darcy": "Dar"}
QUANTITIES = tuple(_pelorin.quantity_symbols())
UNITS = ("si", "us")
_MOST_THREADS = 1024


class Refused(Exception):
    """The input check refused the case. `errors` holds the lines of its error
    list, exactly as the file Error.lst would hold them."""

    def __init__(self, errors: List[str]):
        super().__init__("\n".join(errors))
        self.errors = list(errors)


class RunFailed(Exception):
    """The run of an accepted case stopped on a fault or found no answer.
    `message` is the text the programs show; `cancelled` is true when the run
    was stopped."""

    def __init__(self, message: str, cancelled: bool = False):
        super().__init__(message)
        self.message = message
        self.cancelled = cancelled


def _word(value: str, words: dict, what: str) -> str:
    """The word of an aim or method given by its word or its code, in any case."""
    text = str(value).strip().lower()
    for word, code in words.items():
        if text in (word, code.lower()):
            return word
    known = ", ".join(f"{word!r} ({code!r})" for word, code in words.items())
    raise ValueError(f"unknown {what} {value!r}: one of {known}")


def _finite(name: str, value) -> float:
    try:
        number = float(value)
    except (TypeError, ValueError):
        raise TypeError(f"{name} must be a number, not {value!r}") from None
    if not math.isfinite(number):
        raise ValueError(f"{name} must be a finite number, not {number!r}")
    return number


def _title(name: str, value) -> str:
    if not isinstance(value, str):
        raise TypeError(f"{name} must be a str")
    latin1(value, name)
    if "\r" in value or "\n" in value:
        raise ValueError(f"{name} holds a line break: a title is one line of the input file")
    return value


def _units(value) -> str:
    """"si" or "us" (any case); a ValueError naming both for another word."""
    text = str(value).strip().lower()
    if text not in UNITS:
        raise ValueError(f"unknown units {value!r}: \"si\" (metres and days) or \"us\" "
                         "(ft, in/day, ft/day, day/ft)")
    return text


def _threads(threads: Optional[int]) -> int:
    if threads is None:
        return _pelorin.default_threads()
    if isinstance(threads, bool) or not isinstance(threads, int):
        raise TypeError("threads must be a whole number")
    if not 1 <= threads <= _MOST_THREADS:
        raise ValueError(f"threads must be from 1 to {_MOST_THREADS}")
    return threads


class Case:
    """One drainage case, as an input file holds it.

    Case(aim="spacing", method="energy", R=0.007, D1=2.0, D2=4.0, Dw=1.0,
         Db=1.1, E=0.0, W=0.0, Ka=0.5, Kb1=0.8, Kv1=0.4, Kb2=1.5, Kv2=0.6,
         Dm=0.5, title1="Pipe drains", title2="", file_name="case.inp")

    aim: "spacing", "discharge", "depth" (the midway water-table depth) or
    "conductivity", or their codes "Spa", "Dis", "Hyd", "Con".
    method: "energy" (the energy balance) or "darcy", or "Ene", "Dar".
    The quantities, in metres, days, m/day and day/m: R recharge or discharge,
    D1 and D2 the bottom depths of the layers below drain level, Dw the depth
    of the water level in the drain, Db of the drain bottom, E the entrance
    resistance, W the width of the water body in the drain, Ka the
    permeability above drain level, Kb1, Kv1, Kb2, Kv2 the horizontal and
    vertical ones of the two layers below it, Dm the midway water-table depth,
    S the drain spacing. A quantity the aim does not use is not looked at.
    Titles are single-byte text: characters outside Latin-1 raise ValueError.
    file_name is the name the report prints as its input file (its report
    ".out" beside it).

    A case runs as its input file would (case.write(path), then
    pelorin-cli run path): its numbers pass through the file's decimals. A
    case read with Case.from_file and left unchanged runs the file's numbers
    as they were read.

    units="us": the quantities are given (and kept) in US customary units:
    depths, W and S in ft, R in in/day, the conductivities in ft/day, E in
    day/ft (unit(symbol) names each). Each becomes, once, the SI number its
    input file holds (stored()); what runs, write() and the report stay in
    metres and days, byte for byte those of the same case given in SI.
    shown() gives the file's numbers back in US units, with the decimals
    that give them again (3/8 in/day is stored as 0.0095 m/day and shown as
    0.374 in/day). The Result of run() gives its numbers in US units too.
    """

    def __init__(self, aim: str = "spacing", method: str = "energy", *, title1: str = "",
                 title2: str = "", file_name: str = "case.inp", units: str = "si",
                 **quantities: float):
        unknown = sorted(set(quantities) - set(QUANTITIES))
        if unknown:
            raise TypeError(f"unknown quantities {unknown}: the quantities are {list(QUANTITIES)}")
        object.__setattr__(self, "_origin", None)
        self.units = units
        self.aim = aim
        self.method = method
        self.title1 = title1
        self.title2 = title2
        self.file_name = file_name
        for symbol in QUANTITIES:
            setattr(self, symbol, quantities.get(symbol, 0.0))

    def __setattr__(self, name, value):
        if name == "aim":
            value = _word(value, AIMS, "aim")
        elif name == "method":
            value = _word(value, METHODS, "method")
        elif name in ("title1", "title2"):
            value = _title(name, value)
        elif name in QUANTITIES:
            value = _finite(name, value)
        elif name == "units":
            value = _units(value)
        elif name == "file_name":
            value = os.fspath(value)
            latin1(value, "file_name")
            if not value or "\r" in value or "\n" in value:
                raise ValueError("file_name must be a name without line breaks")
        elif not name.startswith("_"):
            raise AttributeError(f"a Case has no attribute {name!r}")
        object.__setattr__(self, name, value)

    def _fields(self) -> tuple:
        return (self.aim, self.method, self.title1, self.title2, self.file_name,
                self.units) + tuple(getattr(self, symbol) for symbol in QUANTITIES)

    def __eq__(self, other):
        return isinstance(other, Case) and self._fields() == other._fields()

    def __repr__(self) -> str:
        used = [symbol for symbol, _ in _pelorin.layout(self.aim_code) if symbol]
        numbers = ", ".join(f"{symbol}={getattr(self, symbol)!r}" for symbol in used)
        units = f", units={self.units!r}" if self.units != "si" else ""
        return (f"Case(aim={self.aim!r}, method={self.method!r}, {numbers}, "
                f"title1={self.title1!r}, title2={self.title2!r}{units})")

    def _used(self) -> List[str]:
        return [symbol for symbol, _ in _pelorin.layout(self.aim_code) if symbol]

    def unit(self, symbol: str) -> str:
        """The unit a quantity is given in: "m", "m/day", "day/m" in SI; "ft",
        "in/day", "ft/day", "day/ft" in US units."""
        if symbol not in QUANTITIES:
            raise ValueError(f"unknown quantity {symbol!r}: the quantities are {list(QUANTITIES)}")
        return _pelorin.unit_of(symbol, self.units)

    def stored(self) -> dict:
        """The SI numbers the input file holds, by symbol, for the quantities
        the aim uses (metres and days, with the file's decimals)."""
        image = self._image()
        return {symbol: value for (symbol, _), value in
                zip(_pelorin.layout(self.aim_code), image[4]) if symbol}

    def shown(self) -> dict:
        """The numbers the input file holds as texts in the case's units, by
        symbol: typed again, each gives the same file number."""
        return {symbol: _pelorin.shown_value(value, symbol, self.aim_code, self.units)
                for symbol, value in self.stored().items()}

    @property
    def aim_code(self) -> str:
        """The aim's code in input files: "Spa", "Dis", "Hyd" or "Con"."""
        return AIMS[self.aim]

    @property
    def method_code(self) -> str:
        """The method's code in input files: "Ene" or "Dar"."""
        return METHODS[self.method]

    @classmethod
    def from_file(cls, path, units: str = "si") -> "Case":
        """Reads an input file (.inp) with the program's own reader; with
        units="us" its numbers are given in US units, as shown() shows them."""
        units = _units(units)
        with open(path, "rb") as file:
            data = file.read()
        name = os.path.basename(os.fspath(path))
        status, messages, image = _pelorin.parse_input(data, name)
        if status != "ok":
            raise ValueError("\n".join(decoded(line) for line in messages))
        title1, title2, aim_code, method_code, values, _ = image
        case = cls(aim_code, method_code, title1=decoded(title1), title2=decoded(title2),
                   file_name=name, units=units)
        for (symbol, _), value in zip(_pelorin.layout(aim_code), values):
            if symbol:
                if units != "si":
                    value = float(_pelorin.shown_value(value, symbol, aim_code, units))
                setattr(case, symbol, value)
        object.__setattr__(case, "_origin", (case._fields(), data))
        return case

    def _image(self) -> tuple:
        """The input file's image: titles, codes, the 13 numbers, how many were read."""
        values = [self._stored_value(symbol) if symbol else 0.0
                  for symbol, _ in _pelorin.layout(self.aim_code)]
        return (latin1(self.title1, "title1"), latin1(self.title2, "title2"), self.aim_code,
                self.method_code, values, len(values))

    def _stored_value(self, symbol: str) -> float:
        """A quantity as the writer gets it: an SI number as given (the writer
        rounds it), a US one as the SI number the file will hold."""
        value = getattr(self, symbol)
        if self.units == "si":
            return value
        return _pelorin.stored_value(value, symbol, self.aim_code, self.units)

    def input_text(self) -> bytes:
        """The bytes of this case's input file, as the program's writer writes them."""
        status, message, text = _pelorin.format_input(self.file_name, *self._image())
        if status != "ok":
            raise ValueError(decoded(message))
        return text

    def _file_bytes(self) -> bytes:
        """What its input file holds: the file it was read from while unchanged."""
        if self._origin is not None and self._origin[0] == self._fields():
            return self._origin[1]
        return self.input_text()

    def _as_read(self) -> tuple:
        status, messages, image = _pelorin.parse_input(self._file_bytes(), self.file_name)
        if status != "ok":
            raise ValueError("\n".join(decoded(line) for line in messages))
        title1, title2, aim_code, method_code, values, numbers_read = image
        return (title1, title2, self.aim_code, self.method_code, values, numbers_read)

    def write(self, path) -> None:
        """Writes the input file with the program's own writer (the same bytes)."""
        status, message, text = _pelorin.format_input(os.path.basename(os.fspath(path)),
                                                      *self._image())
        if status != "ok":
            raise ValueError(decoded(message))
        with open(path, "wb") as file:
            file.write(text)

    def _calculate(self, threads: int, check_only: bool) -> dict:
        report_name = os.path.splitext(self.file_name)[0] + ".out"
        return _pelorin.calculate(*self._as_read(), latin1(self.file_name, "file_name"),
                                  latin1(report_name, "file_name"), threads, check_only)

    def check(self) -> List[str]:
        """The lines of the error list of the case's input check; empty when accepted."""
        outcome = self._calculate(1, True)
        return [decoded(line) for line in outcome["error_lines"]]

    def run(self, threads: Optional[int] = None) -> Result:
        """Checks and calculates the case; returns its Result.

        threads: the threads the searches may use (as pelorin-cli's --threads;
        default every core); the result is the same with any number.
        Raises Refused (with the error lines) or RunFailed (with the message).
        Ctrl+C (KeyboardInterrupt) stops the run.
        """
        outcome = self._calculate(_threads(threads), False)
        if outcome["end"] == "refused":
            raise Refused([decoded(line) for line in outcome["error_lines"]])
        if outcome["end"] == "failed":
            raise RunFailed(decoded(outcome["failure"]), outcome["cancelled"])
        return _result_of_report(outcome["report"], self.file_name,
                                 messages=[decoded(m) for m in outcome["messages"]],
                                 method=self.method, case=self, units=self.units)
