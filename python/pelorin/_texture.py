"""Typical conductivities of the soil-texture classes, for a first sketch of a design."""

from __future__ import annotations

from . import _pelorin
from ._case import _units

TEXTURE_CLASSES = tuple(_pelorin.texture_names())
TEXTURE_SOURCE = _pelorin.texture_source()


def texture_k(texture: str, units: str = "si") -> float:
    """The typical saturated hydraulic conductivity of a USDA soil-texture
    class, in m/day (units="si") or ft/day (units="us"):

        pelorin.texture_k("silt loam")             # 0.6218
        pelorin.texture_k("silt loam", units="us") # 2.04

    The class is named in any case, blanks around ignored; TEXTURE_CLASSES
    lists them. The values are the averages of a published analysis of 1845
    soils (TEXTURE_SOURCE cites it): typical, not measured, for when no
    measurement exists yet. An unknown class raises ValueError naming the
    classes.
    """
    k = _pelorin.texture_k(str(texture), _units(units))
    if k is None:
        raise ValueError(f"unknown soil-texture class {texture!r}: one of "
                         + ", ".join(repr(name) for name in TEXTURE_CLASSES))
    return k


def typical_note(texture: str) -> str:
    """What stands beside a value taken from texture_k: "typical for silt loam,
    not measured"."""
    texture_k(texture)
    return _pelorin.typical_note(str(texture))


texture_k.__doc__ += f"\n    Source: {TEXTURE_SOURCE}\n"
