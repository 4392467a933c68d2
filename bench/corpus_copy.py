#!/usr/bin/env python3
"""Copies the files of one source tree that a language directory of the
benchmark corpus wants, in sorted path order, until the directory reaches its
size cap. Prints "<files> <bytes>" copied.

Usage: corpus_copy.py SRC DEST EXTS CAP_BYTES
  SRC        tree to copy from (symbolic links are neither followed nor copied)
  DEST       where the files land, keeping their path relative to SRC
  EXTS       comma-separated lower-case extensions, e.g. ".c,.h,.md"
  CAP_BYTES  size cap of the whole language directory (DEST's parent)
"""
import os
import shutil
import sys

# Files the scan would skip anyway (larger than its per-file limit) and
# directories it never enters are left out, so the corpus is what gets read.
MAX_FILE_BYTES = 300000
PRUNED_DIRS = {".git", "node_modules", "vendor", "dist", "__pycache__", "venv", ".venv"}


def tree_bytes(top):
    total = 0
    for dirpath, _, files in os.walk(top):
        for name in files:
            total += os.lstat(os.path.join(dirpath, name)).st_size
    return total


def main():
    src, dest, exts, cap = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
    wanted = {e for e in exts.split(",") if e}
    lang_dir = os.path.dirname(os.path.abspath(dest))
    used = tree_bytes(lang_dir) if os.path.isdir(lang_dir) else 0

    picked = []
    for dirpath, dirs, files in os.walk(src):
        dirs[:] = [d for d in dirs if d not in PRUNED_DIRS]
        for name in files:
            path = os.path.join(dirpath, name)
            dot = name.rfind(".")
            if dot <= 0 or dot == len(name) - 1 or name[dot:].lower() not in wanted:
                continue
            st = os.lstat(path)
            if not os.path.isfile(path) or os.path.islink(path):
                continue
            if st.st_size == 0 or st.st_size > MAX_FILE_BYTES:
                continue
            picked.append((os.path.relpath(path, src), st.st_size))
    picked.sort()

    copied = copied_bytes = 0
    for relpath, size in picked:
        if used + size > cap:
            break
        target = os.path.join(dest, relpath)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copyfile(os.path.join(src, relpath), target)
        used += size
        copied += 1
        copied_bytes += size
    print(copied, copied_bytes)


if __name__ == "__main__":
    main()
