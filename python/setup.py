"""Builds the module pelorin._pelorin with CMake (see CMakeLists.txt here).

The engine's sources are those of the checkout this folder belongs to, so
the package is installed from the checkout: pip install --no-build-isolation
--no-index ./python. CMake and a C++20 compiler are needed, and pybind11,
the Python headers and libcsv from Debian (scripts/install-deps).
"""

import os
import pathlib
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

HERE = pathlib.Path(__file__).resolve().parent


class CMakeExtension(Extension):
    def __init__(self, name):
        super().__init__(name, sources=[])


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        target = pathlib.Path(self.get_ext_fullpath(ext.name)).resolve()
        build_dir = pathlib.Path(
            os.environ.get("PELORIN_PYTHON_BUILD_DIR", pathlib.Path(self.build_temp).resolve() / "cmake")
        )
        build_dir.mkdir(parents=True, exist_ok=True)
        configure = [
            "cmake",
            "-S",
            str(HERE),
            "-B",
            str(build_dir),
            "-DCMAKE_BUILD_TYPE=Release",
            f"-DPython_EXECUTABLE={sys.executable}",
            f"-DCMAKE_LIBRARY_OUTPUT_DIRECTORY={build_dir / 'module'}",
        ]
        if shutil.which("ninja"):
            configure += ["-G", "Ninja"]
        subprocess.run(configure, check=True)
        jobs = os.environ.get("PELORIN_BUILD_JOBS", str(os.cpu_count() or 1))
        subprocess.run(
            ["cmake", "--build", str(build_dir), "--target", "_pelorin", "-j", jobs], check=True
        )
        built = next((build_dir / "module").glob("_pelorin*.so"))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)


setup(ext_modules=[CMakeExtension("pelorin._pelorin")], cmdclass={"build_ext": CMakeBuild})
