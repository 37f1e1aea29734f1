#!/usr/bin/env python3
"""No include in the engine runs from a lower layer up to a higher one.

Usage: check_layers.py SOURCE_DIR

The engine's folders are layers, LAYERS below from the ground up. A file
belongs to its folder's layer; a public header (engine/include/morvexa/) to
the layer of the source file of the same name, or, for one with none, to the
layer HEADER_ONLY gives it. Every "..." include of every engine file must
name a file of its own layer or one under it. Fails, naming each include
that runs up, when one does, and when a public header has no layer.
"""
import os
import re
import sys

# From the ground up.
LAYERS = ["ground", "failures", "encoding", "art", "pixels", "files", "decode", "text", "convert", "output",
          "options"]

# Public headers with no source file of their own.
HEADER_ONLY = {
    "byte_string.h": "ground",
    "color.h": "ground",
    "art_form.h": "ground",
    "art_area.h": "art",
    "picture_options.h": "convert",
    "refusals.h": "text",
    # FIGlet fonts: read in text/figlet_font.cpp, laid out in text/figlet_layout.cpp.
    "figlet.h": "text",
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__.split("Usage: ")[1].split("\n")[0])
    engine = os.path.join(sys.argv[1], "engine")
    public = os.path.join(engine, "include", "morvexa")
    files = []  # (path, folder)
    sources = {}  # stem -> folder of its .cpp
    for folder in sorted(os.listdir(engine)):
        path = os.path.join(engine, folder)
        if not os.path.isdir(path) or folder == "include":
            continue
        if folder not in LAYERS:
            sys.exit(f"check_layers.py: engine/{folder}/ is in no layer: add it to LAYERS")
        for name in sorted(os.listdir(path)):
            if name.endswith((".h", ".cpp")):
                files.append((os.path.join(path, name), folder))
            if name.endswith(".cpp"):
                sources[name[:-len(".cpp")]] = folder
    failures = []

    def public_layer(name):
        layer = sources.get(name[:-len(".h")]) or HEADER_ONLY.get(name)
        if layer is None:
            failures.append(f"engine/include/morvexa/{name} has no layer: give it one in HEADER_ONLY")
        return layer

    for name in sorted(os.listdir(public)):
        if name.endswith(".h"):
            files.append((os.path.join(public, name), public_layer(name)))
    for path, layer in files:
        if layer is None:
            continue
        with open(path, encoding="utf-8") as source:
            for number, line in enumerate(source, 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                included = match.group(1)
                folder, _, name = included.rpartition("/")
                if folder == "morvexa":
                    to = public_layer(name)
                elif folder in LAYERS:
                    to = folder
                else:
                    continue  # a generated file or one of the same folder, given by name
                if to is not None and LAYERS.index(to) > LAYERS.index(layer):
                    where = os.path.relpath(path, sys.argv[1])
                    failures.append(f"{where}:{number}: {layer} includes {included}, of the higher layer {to}")
    for failure in failures:
        print(failure)
    if failures:
        sys.exit(1)
    print(f"{len(files)} engine files include only from their own layer and those under it")


if __name__ == "__main__":
    main()
