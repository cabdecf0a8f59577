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
"""

from ._case import AIMS, METHODS, QUANTITIES, Case, Refused, RunFailed
from ._result import ReportError, Result, read_report
from ._study import study, sweep

__all__ = ["AIMS", "METHODS", "QUANTITIES", "Case", "Refused", "ReportError", "Result",
           "RunFailed", "read_report", "study", "sweep"]
__version__ = "0.1.0"
