"""The example notebook runs from start to end in a kernel, headless."""

import json
import sys

import nbformat
from nbclient import NotebookClient

from conftest import CHECKOUT

NOTEBOOK = CHECKOUT / "examples" / "drain-design.ipynb"


def test_the_drain_design_notebook_runs(tmp_path, monkeypatch):
    # A kernel of this interpreter (the one pelorin is installed for), not the
    # system's python3 kernel.
    kernel = tmp_path / "jupyter" / "kernels" / "pelorin-test"
    kernel.mkdir(parents=True)
    (kernel / "kernel.json").write_text(json.dumps({
        "argv": [sys.executable, "-m", "ipykernel_launcher", "-f", "{connection_file}"],
        "display_name": "pelorin tests", "language": "python"}))
    monkeypatch.setenv("JUPYTER_PATH", str(tmp_path / "jupyter"))
    monkeypatch.setenv("PYDEVD_DISABLE_FILE_VALIDATION", "1")  # the debugger's warning
    notebook = nbformat.read(NOTEBOOK, as_version=4)
    client = NotebookClient(notebook, timeout=600, kernel_name="pelorin-test",
                            resources={"metadata": {"path": str(tmp_path)}})
    client.execute()  # raises CellExecutionError on the first error of a cell
    outputs = [output for cell in notebook.cells if cell.cell_type == "code"
               for output in cell.get("outputs", [])]
    assert not [output for output in outputs if output.output_type == "error"]
    pictures = [output for output in outputs if "image/png" in output.get("data", {})]
    assert len(pictures) == 3  # the profile, the sweep's chart, the histogram
    printed = "".join(output.get("text", "") for output in outputs if output.output_type == "stream")
    assert "drain spacing 22.16 m" in printed
    assert "300 draws in" in printed and "P10" in printed and "P90" in printed
