#!/usr/bin/env python3
"""Fails when a folder under src/ includes one of ours that the dependency rules forbid, or when a
screen writes a record of the application state that belongs to another screen.

Usage: check_layering.py SRC_DIR      check a tree, print each violation, exit 1 if any
       check_layering.py --self-test  check that seeded violations in a scratch tree are caught
"""
import os
import re
import sys
import tempfile

SCREENS = ["screens/common", "screens/home", "screens/detail", "screens/reader", "screens/search",
           "screens/update"]
SCREEN_FOLDERS = SCREENS[1:]
EVERY = ["platform", "model", "unicode", "json", "draw", "device", "images", "storage",
         "nettruyen", "library", "updater", *SCREENS, "screens/dispatch", "app"]
SCREENS_ALL = [*SCREENS, "screens/dispatch"]


def only(*allowed):
    return ("only", set(allowed))


def never(*forbidden):
    return ("never", set(forbidden))


# Each part of src/ and what it may include besides itself. "only" lists every other part it may
# include; "never" lists the parts it may not. A part missing here fails the check, so a new folder
# gets a rule before it gets code.
RULES = {
    "platform": only(),
    "model": only(),
    "unicode": only(),
    "json": only("unicode"),
    "draw": only("platform", "model", "unicode"),
    "device": only("draw", "model", "platform", "unicode"),
    "images": never("draw", "device", *SCREENS_ALL, "app"),
    "storage": never("draw", "device", *SCREENS_ALL, "app"),
    "nettruyen": never("draw", "device", *SCREENS_ALL, "app"),
    "library": never("draw", "device", *SCREENS_ALL, "app"),
    "updater": never("draw", "device", *SCREENS_ALL, "app", "nettruyen"),
    "screens/common": never(*SCREEN_FOLDERS, "screens/dispatch", "app"),
    **{folder: never(*[f for f in SCREEN_FOLDERS if f != folder], "screens/dispatch", "app")
       for folder in SCREEN_FOLDERS},
    "screens/dispatch": never("app"),
    "app": never(),
}

# Headers configure writes into the build tree, named as if they were in src/.
GENERATED = {"model/build_config.hpp"}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def part_of(relative):
    """The part of src/ that a path relative to src/ belongs to, or None for none of ours."""
    pieces = relative.split("/")
    if pieces[0] == "screens":
        if len(pieces) == 2:
            stem = pieces[1].split(".")[0]
            return "screens/" + stem
        return "screens/" + pieces[1]
    return pieces[0] if len(pieces) > 1 else None


def resolve(src, including_dir, delimiter, name):
    """The path relative to src/ that an include names, or None when it is not one of ours."""
    if delimiter == '"':
        beside = os.path.normpath(os.path.join(including_dir, name))
        if os.path.isfile(beside):
            relative = os.path.relpath(beside, src)
            if not relative.startswith(".."):
                return relative.replace(os.sep, "/")
    rooted = os.path.normpath(name).replace(os.sep, "/")
    if os.path.isfile(os.path.join(src, rooted)) or rooted in GENERATED:
        return rooted
    return None


def describe(rule):
    kind, parts = rule
    if kind == "only":
        return "may include only " + (", ".join(sorted(parts)) if parts else "itself")
    return "may never include " + ", ".join(sorted(parts))


# The records of AppState each screen folder owns; only it writes them. Which screen is in front
# (`state.screen`) is dispatch's alone: a screen asks for a transition instead.
OWNED = {
    "screens/common": set(),
    "screens/home": {"home", "front_page", "local_library"},
    "screens/detail": {"details"},
    "screens/reader": {"reader", "last_request"},
    "screens/search": {"search"},
    "screens/update": {"update"},
}
RECORDS = {"screen", "home", "front_page", "search", "details", "reader", "update", "last_request",
           "local_library"}

# `state.<record>` followed by members or indexes, then an assignment, an increment or a call of a
# changing member; a non-const reference bound to it; or an increment in front of it.
_PATH = r"\bstate\.(\w+)((?:\s*(?:\.|->)\s*\w+|\s*\[[^\]]*\])*)"
WRITE = re.compile(
    _PATH + r"\s*(?:(?:[-+*/%&|^]|<<|>>)?=(?!=)|\+\+|--|\.\s*(?:clear|reset|emplace\w*|push_\w+|"
    r"pop_\w+|insert|erase|assign|swap|resize)\s*\()")
PRE_INCREMENT = re.compile(r"(?:\+\+|--)\s*state\.(\w+)")
REFERENCE = re.compile(r"(?<!const )\b\w+(?:<[^;]*>)?\s*&\s*\w+\s*=\s*state\.(\w+)")


def record_writes(part, shown, text):
    """The lines of a screen folder's file that write another screen's record."""
    if part not in OWNED:
        return []
    found = []
    for number, line in enumerate(text.splitlines(), 1):
        code = line.split("//")[0]
        written = [m.group(1) for m in WRITE.finditer(code)]
        written += [m.group(1) for m in PRE_INCREMENT.finditer(code)]
        written += [m.group(1) for m in REFERENCE.finditer(code)]
        for record in written:
            if record in RECORDS and record not in OWNED[part]:
                found.append(f"{shown}:{number}: writes state.{record}, which {part} does not own; "
                             "ask screens/dispatch.cpp for a transition instead")
    return found


def violations(src):
    found = []
    for directory, _, files in sorted(os.walk(src)):
        for file in sorted(files):
            if not file.endswith((".hpp", ".cpp", ".h", ".cc")):
                continue
            path = os.path.join(directory, file)
            relative = os.path.relpath(path, src).replace(os.sep, "/")
            part = part_of(relative)
            shown = "src/" + relative
            if part not in RULES:
                found.append(f"{shown}: no dependency rule covers '{part or relative}'; "
                             "add one to tests/layering/check_layering.py")
                continue
            kind, parts = RULES[part]
            with open(path, encoding="utf-8", errors="replace") as text:
                found.extend(record_writes(part, shown, text.read()))
            with open(path, encoding="utf-8", errors="replace") as text:
                for number, line in enumerate(text, 1):
                    match = INCLUDE.match(line)
                    if not match:
                        continue
                    target = resolve(src, directory, match.group(1), match.group(2))
                    if target is None:
                        continue
                    other = part_of(target)
                    if other == part or other is None:
                        continue
                    allowed = other in parts if kind == "only" else other not in parts
                    if not allowed:
                        found.append(f"{shown}:{number}: includes \"{match.group(2)}\" ({other}), "
                                     f"but {part} {describe(RULES[part])}")
    return found


def self_test():
    """Seeds one violation of each kind of rule into a scratch tree; each must be reported."""
    clean = {
        "platform/files.hpp": "",
        "model/state.hpp": '#include "model/build_config.hpp"\n#include <vector>\n',
        "unicode/utf8.hpp": "",
        "json/reader.hpp": '#include "unicode/utf8.hpp"\n',
        "draw/canvas.hpp": '#include "model/state.hpp"\n#include "platform/files.hpp"\n',
        "device/fb.hpp": '#include "draw/canvas.hpp"\n',
        "storage/store.hpp": '#include "json/reader.hpp"\n',
        "updater/check.hpp": '#include "storage/store.hpp"\n',
        "nettruyen/fetch.hpp": "",
        "images/decode.hpp": '#include "nettruyen/fetch.hpp"\n',
        "screens/common/header.hpp": '#include "draw/canvas.hpp"\n',
        "screens/home/geometry.hpp": "",
        "screens/home/own.cpp": "  state.home.home_selected = 0;\n  if (state.details.detail) {}\n"
                                "  const DetailState& d = state.details;\n",
        "screens/home/layout.cpp": '#include "geometry.hpp"\n#include "screens/common/header.hpp"\n',
        "screens/reader/layout.cpp": '#include "../common/header.hpp"\n',
        "screens/dispatch.cpp": '#include "screens/home/geometry.hpp"\n#include "screens/reader/layout.cpp"\n',
        "app/main.cpp": '#include "screens/dispatch.cpp"\n#include "device/fb.hpp"\n',
    }
    seeded = [
        ("platform/extra.hpp", '#include "model/state.hpp"\n', "platform may include only itself"),
        ("json/extra.hpp", '#include "platform/files.hpp"\n', "json may include only unicode"),
        ("draw/extra.hpp", '#include "storage/store.hpp"\n', "(storage), but draw may include only"),
        ("device/extra.hpp", '#include "json/reader.hpp"\n', "(json), but device may include only"),
        ("images/extra.hpp", '#  include "draw/canvas.hpp"\n', "(draw), but images may never"),
        ("updater/extra.hpp", '#include "nettruyen/fetch.hpp"\n', "(nettruyen), but updater"),
        ("storage/extra.hpp", '#include "app/main.cpp"\n', "(app), but storage may never"),
        ("screens/home/extra.hpp", '#include "../reader/layout.cpp"\n',
         "(screens/reader), but screens/home may never"),
        ("screens/common/extra.hpp", '#include "screens/home/geometry.hpp"\n',
         "(screens/home), but screens/common may never"),
        ("screens/update/extra.hpp", '#include "app/main.cpp"\n', "(app), but screens/update"),
        ("screens/extra.hpp", "", "no dependency rule covers 'screens/extra'"),
        ("screens/detail/back.cpp", "  state.home.home_selected = 0;\n",
         "writes state.home, which screens/detail does not own"),
        ("screens/home/open.cpp", "  state.details.chapters.clear();\n",
         "writes state.details, which screens/home does not own"),
        ("screens/search/leave.cpp", "  state.screen = Screen::Home;\n", "writes state.screen"),
        ("screens/detail/chapter.cpp", "  x = ++state.last_request;\n", "writes state.last_request"),
        ("screens/home/ref.cpp", "  ReaderState& reader = state.reader;\n", "writes state.reader"),
        ("widgets/extra.hpp", "", "no dependency rule covers 'widgets'"),
    ]
    failures = []
    with tempfile.TemporaryDirectory() as scratch:
        for name, text in clean.items():
            os.makedirs(os.path.dirname(os.path.join(scratch, name)), exist_ok=True)
            with open(os.path.join(scratch, name), "w", encoding="utf-8") as file:
                file.write(text)
        if violations(scratch):
            failures.append("a tree that keeps the rules was reported: " + "; ".join(violations(scratch)))
        for name, text, expected in seeded:
            path = os.path.join(scratch, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "w", encoding="utf-8") as file:
                file.write(text)
            report = violations(scratch)
            os.remove(path)
            if len(report) != 1 or expected not in report[0]:
                failures.append(f"seeded {name} ({text.strip()}) expected one report with "
                                f"'{expected}', got {report}")
    for failure in failures:
        print(failure)
    print(f"self-test: {len(seeded) - len(failures)} of {len(seeded)} seeded violations caught"
          if not failures else "self-test FAILED")
    return 1 if failures else 0


def main(arguments):
    if arguments == ["--self-test"]:
        return self_test()
    if len(arguments) != 1 or not os.path.isdir(arguments[0]):
        print(__doc__, file=sys.stderr)
        return 2
    report = violations(arguments[0])
    for line in report:
        print(line)
    if report:
        print(f"{len(report)} line(s) break the dependency rules")
        return 1
    print("every include and record write keeps the dependency rules")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
