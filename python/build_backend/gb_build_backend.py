"""The build backend of the Python module graph_builder (PEP 517), written with
the standard library alone, so that `pip install --no-index <checkout>` works
with no package index: pip needs nothing but this file to build the wheel.

build_wheel configures a CMake build of the library and the extension for the
interpreter that runs pip (-DGB_PYTHON=ON, -DPython_EXECUTABLE=sys.executable),
builds the extension target only, and packs the package directory it fills
(<build>/python/graph_builder) into a wheel. The version is the CMake project
version, as the build cache records it. The build directory is a temporary
one, removed afterwards, unless the config setting "build-dir" (pip install
-C build-dir=DIR) or GB_PYTHON_BUILD_DIR names one to keep and reuse.
"""

import base64
import hashlib
import io
import os
import pathlib
import re
import shutil
import subprocess
import sys
import sysconfig
import tarfile
import tempfile
import zipfile

SOURCE = pathlib.Path(__file__).resolve().parents[2]
NAME = "graph_builder"
SUMMARY = "Builds a lightweight information graph of a software project"
# What a build of the extension needs of the tree (an sdist holds these).
SDIST_ENTRIES = ["pyproject.toml", "CMakeLists.txt", "README.md", "ARCHITECTURE.md", "cmake",
                 "graph_builder", "python"]


def get_requires_for_build_wheel(config_settings=None):
    return []


def get_requires_for_build_sdist(config_settings=None):
    return []


def _setting(config_settings, key, env):
    value = (config_settings or {}).get(key) or os.environ.get(env)
    return value or None


def _run(command, cwd=None):
    print("+ " + " ".join(str(c) for c in command), file=sys.stderr, flush=True)
    subprocess.run([str(c) for c in command], cwd=cwd, check=True)


def _build_extension(build_dir, config_settings):
    """Configures and builds the extension in `build_dir`; returns the
    package directory and the project version."""
    cmake = shutil.which("cmake")
    if cmake is None:
        raise RuntimeError("cmake is not installed (scripts/deps.sh installs what the build needs)")
    configure = [cmake, "-S", SOURCE, "-B", build_dir, "-DCMAKE_BUILD_TYPE=Release",
                 "-DGB_PYTHON=ON", "-DGB_BUILD_TESTS=OFF", "-DGB_WERROR=OFF",
                 f"-DPython_EXECUTABLE={sys.executable}"]
    if shutil.which("ninja") and not (pathlib.Path(build_dir) / "CMakeCache.txt").exists():
        configure += ["-G", "Ninja"]
    _run(configure)
    jobs = _setting(config_settings, "jobs", "GB_BUILD_JOBS") or str(os.cpu_count() or 1)
    _run([cmake, "--build", build_dir, "--target", "gb_python", "--parallel", jobs])
    cache = (pathlib.Path(build_dir) / "CMakeCache.txt").read_text()
    version = re.search(r"^CMAKE_PROJECT_VERSION:STATIC=(.+)$", cache, re.M).group(1).strip()
    return pathlib.Path(build_dir) / "python" / NAME, version


def _wheel_tag():
    if sys.implementation.name != "cpython":
        raise RuntimeError("the graph_builder extension is built for CPython only")
    python = f"cp{sys.version_info.major}{sys.version_info.minor}"
    abi = python + sys.abiflags
    platform = re.sub(r"[^A-Za-z0-9]", "_", sysconfig.get_platform())
    return f"{python}-{abi}-{platform}"


def _metadata(version):
    return (f"Metadata-Version: 2.1\nName: {NAME}\nVersion: {version}\nSummary: {SUMMARY}\n"
            "Requires-Python: >=3.11\n")


def _record_line(name, data):
    digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
    return f"{name},sha256={digest},{len(data)}\n"


def _pack_wheel(package_dir, version, wheel_directory):
    tag = _wheel_tag()
    suffix = sysconfig.get_config_var("EXT_SUFFIX")
    files = {}
    for path in sorted(package_dir.iterdir()):
        if path.suffix == ".py" or path.name == "_core" + suffix:
            files[f"{NAME}/{path.name}"] = path.read_bytes()
    if f"{NAME}/_core{suffix}" not in files:
        raise RuntimeError(f"the build made no {NAME}/_core{suffix}")
    dist_info = f"{NAME}-{version}.dist-info"
    files[f"{dist_info}/METADATA"] = _metadata(version).encode()
    files[f"{dist_info}/WHEEL"] = (f"Wheel-Version: 1.0\nGenerator: gb_build_backend\n"
                                   f"Root-Is-Purelib: false\nTag: {tag}\n").encode()
    files[f"{dist_info}/top_level.txt"] = f"{NAME}\n".encode()
    record = "".join(_record_line(name, data) for name, data in files.items())
    record += f"{dist_info}/RECORD,,\n"
    wheel_name = f"{NAME}-{version}-{tag}.whl"
    with zipfile.ZipFile(pathlib.Path(wheel_directory) / wheel_name, "w",
                         zipfile.ZIP_DEFLATED) as wheel:
        for name, data in files.items():
            info = zipfile.ZipInfo(name, date_time=(2020, 1, 1, 0, 0, 0))
            info.external_attr = (0o755 if name.endswith(suffix) else 0o644) << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            wheel.writestr(info, data)
        wheel.writestr(f"{dist_info}/RECORD", record)
    return wheel_name


def build_wheel(wheel_directory, config_settings=None, metadata_directory=None):
    kept = _setting(config_settings, "build-dir", "GB_PYTHON_BUILD_DIR")
    build_dir = pathlib.Path(kept).resolve() if kept else pathlib.Path(
        tempfile.mkdtemp(prefix="gb_python_build_"))
    try:
        package_dir, version = _build_extension(build_dir, config_settings)
        return _pack_wheel(package_dir, version, wheel_directory)
    finally:
        if not kept:
            shutil.rmtree(build_dir, ignore_errors=True)


def build_sdist(sdist_directory, config_settings=None):
    cmake_lists = (SOURCE / "CMakeLists.txt").read_text()
    version = re.search(r"project\(\s*graph_builder\s+VERSION\s+([0-9.]+)", cmake_lists).group(1)
    base = f"{NAME}-{version}"
    name = f"{base}.tar.gz"

    def keep(info):
        return None if "__pycache__" in info.name else info

    with tarfile.open(pathlib.Path(sdist_directory) / name, "w:gz",
                      format=tarfile.PAX_FORMAT) as tar:
        for entry in SDIST_ENTRIES:
            tar.add(SOURCE / entry, arcname=f"{base}/{entry}", filter=keep)
        pkg_info = _metadata(version).encode()
        info = tarfile.TarInfo(f"{base}/PKG-INFO")
        info.size = len(pkg_info)
        tar.addfile(info, io.BytesIO(pkg_info))
    return name
