"""Pelorin for Python: drain spacing, discharge, midway water-table depth and
conductivity by the energy balance and by Darcy, with the engine of the
programs (the same report, byte for byte).

    import pelorin
    case = pelorin.Case("spacing", "energy", R=0.007, D1=2, D2=4, Dw=1, Db=1.1,
                        Ka=0.5, Kb1=0.8, Kv1=0.4, Kb2=1.5, Kv2=0.6, Dm=0.5)
    result = case.run()
    result.spacing, result.profile, result.report

Case, Result, Refused, RunFailed, read_report; study and sweep run tables of
cases as pelorin-cli batch and sweep do; pelorin.dask.study spreads a study
over a dask.distributed cluster.

US customary units: Case(..., units="us") takes depths, W and S in ft, R in
in/day, conductivities in ft/day and E in day/ft, runs the SI input file
they give, and returns its Result in US units:

    case = pelorin.Case("depth", R=0.375, Dw=3.5, S=40, ..., units="us")
    case.shown()["R"]       # '0.374': the 0.0095 m/day the file holds
    case.run().depth        # the midway water-table depth in ft

texture_k("silt loam") is the typical conductivity of a soil-texture class
(m/day; units="us" for ft/day), from the table TEXTURE_SOURCE cites.
"""

from ._case import AIMS, METHODS, QUANTITIES, UNITS, Case, Refused, RunFailed
from ._result import ReportError, Result, read_report
from ._study import study, sweep
from ._texture import TEXTURE_CLASSES, TEXTURE_SOURCE, texture_k, typical_note

__all__ = ["AIMS", "METHODS", "QUANTITIES", "TEXTURE_CLASSES", "TEXTURE_SOURCE", "UNITS", "Case",
           "Refused", "ReportError", "Result", "RunFailed", "read_report", "study", "sweep",
           "texture_k", "typical_note"]
__version__ = "0.1.0"
