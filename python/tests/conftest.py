"""What the tests of the package share: the examples and pelorin-cli."""

import os
import pathlib
import subprocess

import pytest

CHECKOUT = pathlib.Path(__file__).resolve().parents[2]
DATA = CHECKOUT / "Data"
EXAMPLES = sorted(DATA.glob("*.inp"))


def pelorin_cli() -> pathlib.Path:
    """The program the package is held to: $PELORIN_CLI or the Release build's."""
    path = pathlib.Path(os.environ.get("PELORIN_CLI", CHECKOUT / "build/release/app/pelorin-cli"))
    if not path.is_file():
        pytest.fail(f"no pelorin-cli at {path}: build it (cmake --preset release) or set PELORIN_CLI")
    return path


def run_cli(args, folder) -> subprocess.CompletedProcess:
    return subprocess.run([str(pelorin_cli()), *map(str, args)], cwd=folder,
                          capture_output=True, check=False)
