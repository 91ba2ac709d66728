#!/usr/bin/env python3
"""Every include of src/ goes down the floors that docs/architecture.md lists, libgammu's headers
are included only by its two folders, and Qt Widgets only by the window."""
import pathlib
import re
import sys

root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parents[1])
allowed = {}
for line in (root / "docs/architecture.md").read_text().splitlines():
    cells = [cell.strip() for cell in line.strip().strip("|").split("|")]
    if len(cells) == 3 and re.fullmatch(r"`[a-z]+`", cells[0]):
        allowed[cells[0].strip("`")] = set(cells[2].split())

folders = {path.name for path in (root / "src").iterdir() if path.is_dir()}
problems = [f"src/{name}: not in the table of docs/architecture.md" for name in sorted(folders - allowed.keys())]
widgets = re.compile(r"#include <(QApplication|QWidget|QDialog|QCheckBox|QPushButton|QLabel|QMessageBox|QFileDialog|QtWidgets)")
for path in sorted((root / "src").rglob("*")):
    if path.suffix not in (".h", ".cpp"):
        continue
    folder = path.relative_to(root / "src").parts[0]
    for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
        where = f"{path.relative_to(root)}:{number}"
        if match := re.match(r'#include "([a-z]+)/', line):
            other = match.group(1)
            if other != folder and other not in allowed.get(folder, set()):
                problems.append(f"{where}: {folder} includes {other}")
        if line.startswith("#include <gammu") and folder not in ("gammucodec", "realphone"):
            problems.append(f"{where}: libgammu included outside gammucodec and realphone")
        if widgets.match(line) and folder != "app":
            problems.append(f"{where}: Qt Widgets included outside the window")

print("\n".join(problems) or f"{len(folders)} folders, every include goes down")
sys.exit(1 if problems else 0)
