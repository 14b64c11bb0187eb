#!/usr/bin/python3
"""Runs quorlin-cli index and ObjCryst++'s CellExplorer (python3-pyobjcryst,
a DICVOL-like successive-dichotomy indexer) on the same seeded synthetic peak
lists and prints, per crystal system, how often each put the true lattice
first (compared after Niggli reduction) and the time per pattern, each
indexer pinned to one core.

    scripts/compare-indexers.py [--build build] [--first 300000] [--seeds 5] [--timeout 60]

Needs the build's quorlin-cli and quorlin_synthetic_peaks, python3-pyobjcryst,
python3-gemmi and python3-numpy (Debian). It is slow: CellExplorer takes up
to the timeout on a low-symmetry pattern.
"""
import argparse
import glob
import math
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

SYSTEMS = {1: "cubic", 2: "hexagonal", 3: "trigonal", 4: "tetragonal", 5: "orthorhombic", 6: "monoclinic",
           7: "triclinic"}
CU = 1.540562
# CellExplorer's report and stop scores, as pyobjcryst.indexing.quick_index
# sets them: a system with a reported cell ends the descent.
REPORT_SCORE = 10
STOP_SCORE = 50


def read_pattern(path):
    head, tt = {}, []
    for line in open(path):
        if line.startswith("#"):
            key, _, value = line[1:].partition(":")
            head[key.strip()] = value.strip()
        elif line.strip():
            tt.append(float(line))
    head["cell"] = [float(v) for v in head["cell"].split()]
    return head, tt


def q_list(cell, centring, count=20):
    """The first distinct 1/d^2 of the lattice, from gemmi's Niggli cell."""
    import gemmi
    import numpy as np
    g = gemmi.GruberVector(gemmi.UnitCell(*cell), centring)
    g.niggli_reduce()
    red = gemmi.UnitCell(*g.cell_parameters())
    r = range(-5, 6)
    q = []
    # Coincident lines once, where a float angle of 90.0000025 splits them.
    for v in sorted(red.calculate_1_d2([h, k, l]) for h in r for k in r for l in r if (h, k, l) != (0, 0, 0)):
        if not q or v - q[-1] > 1e-5 * v:
            q.append(v)
    return np.array(q[:count]), red.volume


def same_lattice(truth, found, tolerance=3e-3):
    import numpy as np
    (qa, va), (qb, vb) = truth, found
    return abs(va - vb) <= tolerance * 3 * va and len(qa) == len(qb) and bool(np.all(np.abs(qa - qb) <= tolerance * qa))


def run_timed(command, timeout):
    """Runs a command on core 0; returns (stdout, seconds of CPU time, timed out)."""
    start = os.times()
    try:
        out = subprocess.run(["taskset", "-c", "0"] + command, capture_output=True, text=True, timeout=timeout).stdout
        timed_out = False
    except subprocess.TimeoutExpired:
        out, timed_out = "", True
    end = os.times()
    return out, (end.children_user - start.children_user) + (end.children_system - start.children_system), timed_out


def quorlin(cli, path, timeout):
    out, seconds, timed_out = run_timed([cli, "index", "--peaks", path, "--tube", "Cu", "--top", "1"], timeout)
    lines = out.split("\n")
    for i, line in enumerate(lines):
        if line.startswith("# rank system lattice") and i + 1 < len(lines) and lines[i + 1].strip():
            f = lines[i + 1].split()
            return [float(v) for v in f[3:9]], f[2], seconds, timed_out
    return None, None, seconds, timed_out


def objcryst_child(path):
    """In a child process: CellExplorer on one pattern; prints its best cell."""
    from pyobjcryst.indexing import CellExplorer, CrystalCentering, CrystalSystem, EstimateCellVolume, PeakList
    head, tt = read_pattern(path)
    pl = PeakList()
    pl.set_dobs_list([2 * math.sin(math.radians(t / 2)) / CU for t in tt])
    nb = len(tt)
    dmin = pl.GetPeakList()[nb - 1].dobs
    dmax = pl.GetPeakList()[0].dobs / 10
    # As DICVOL is used: from high symmetry down, each system with the
    # centrings pyobjcryst.indexing.quick_index tries, taking the best cell of
    # the first system that reports one.
    C = CrystalCentering
    plan = [(CrystalSystem.CUBIC, [C.LATTICE_P, C.LATTICE_I, C.LATTICE_F]),
            (CrystalSystem.TETRAGONAL, [C.LATTICE_P, C.LATTICE_I]),
            (CrystalSystem.RHOMBOEDRAL, [C.LATTICE_P]),
            (CrystalSystem.HEXAGONAL, [C.LATTICE_P]),
            (CrystalSystem.ORTHOROMBIC, [C.LATTICE_P, C.LATTICE_A, C.LATTICE_B, C.LATTICE_C, C.LATTICE_I, C.LATTICE_F]),
            (CrystalSystem.MONOCLINIC, [C.LATTICE_P, C.LATTICE_A, C.LATTICE_C, C.LATTICE_I]),
            (CrystalSystem.TRICLINIC, [C.LATTICE_P])]
    best = None
    for csys, centrings in plan:
        for cent in centrings:
            ex = CellExplorer(pl, csys, 0)
            ex.SetAngleMinMax(math.radians(90), math.radians(140))
            ex.SetD2Error(0)
            # One line may be an impurity, as the patterns carry one.
            ex.SetNbSpurious(1)
            minv = EstimateCellVolume(dmin, dmax, nb, csys, cent, 1.5)
            maxv = EstimateCellVolume(dmin, dmax, nb, csys, cent, 0.3)
            ex.SetVolumeMinMax(minv, maxv)
            ex.SetLengthMinMax(3, max(25, 3 * maxv ** (1 / 3.)))
            ex.SetCrystalSystem(csys)
            ex.SetCrystalCentering(cent)
            ex.DicVol(REPORT_SCORE, 4, STOP_SCORE, 6, verbose=False)
            # The cells are read while their explorer lives.
            for ruc, score in ex.GetSolutions():
                if best is None or score > best[1]:
                    best = (list(ruc.DirectUnitCell()), score, ruc.centering)
        if best is not None and best[1] >= REPORT_SCORE:
            break
    if best is None:
        return
    c = best[0]
    letter = {CrystalCentering.LATTICE_P: "P", CrystalCentering.LATTICE_I: "I", CrystalCentering.LATTICE_A: "A",
              CrystalCentering.LATTICE_B: "B", CrystalCentering.LATTICE_C: "C",
              CrystalCentering.LATTICE_F: "F"}[best[2]]
    print("cell", c[0], c[1], c[2], math.degrees(c[3]), math.degrees(c[4]), math.degrees(c[5]), letter, flush=True)


def objcryst(path, timeout):
    out, seconds, timed_out = run_timed([sys.executable, os.path.abspath(__file__), "--objcryst", path], timeout)
    for line in out.split("\n"):
        if line.startswith("cell "):
            f = line.split()
            return [float(v) for v in f[1:7]], f[7], seconds, timed_out
    return None, None, seconds, timed_out


def summary(r):
    out = "%d %d %.2f %.2f" % (r["n"], sum(r["q"]), statistics.median(r["qt"]), max(r["qt"]))
    if r["o"]:
        out += " %d %.2f %.2f" % (sum(r["o"]), statistics.median(r["ot"]), max(r["ot"]))
    return out


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", default="build")
    ap.add_argument("--first", type=int, default=300000)
    ap.add_argument("--seeds", type=int, default=5)
    ap.add_argument("--timeout", type=float, default=60)
    ap.add_argument("--objcryst")
    ap.add_argument("--skip-objcryst", action="store_true", help="run quorlin-cli only (its columns alone mean something)")
    args = ap.parse_args()
    if args.objcryst:
        objcryst_child(args.objcryst)
        return
    cli = os.path.join(args.build, "cli", "quorlin-cli")
    writer = os.path.join(args.build, "bench", "quorlin_synthetic_peaks")
    with tempfile.TemporaryDirectory() as tmp:
        subprocess.run([writer, tmp, str(args.first), str(args.seeds)], check=True)
        rows = {}
        for path in sorted(glob.glob(os.path.join(tmp, "*.txt"))):
            head, _ = read_pattern(path)
            truth = q_list(head["cell"], head["lattice"])
            system = SYSTEMS[int(head["system"])]
            row = rows.setdefault(system, {"n": 0, "q": [], "o": [], "qt": [], "ot": []})
            row["n"] += 1
            runs = [("q", lambda: quorlin(cli, path, args.timeout))]
            if not args.skip_objcryst:
                runs.append(("o", lambda: objcryst(path, args.timeout)))
            for key, run in runs:
                cell, letter, seconds, timed_out = run()
                right = cell is not None and same_lattice(truth, q_list(cell, letter))
                row[key].append(right)
                row[key + "t"].append(seconds)
                print("%s %s %s %s %.2f s%s" % (os.path.basename(path), head["family"],
                                                  "quorlin" if key == "q" else "objcryst",
                                                  "right" if right else "wrong", seconds,
                                                  " (timed out)" if timed_out else ""), file=sys.stderr, flush=True)
        print("# system patterns quorlin_right quorlin_median_s quorlin_max_s objcryst_right objcryst_median_s objcryst_max_s")
        total = {"n": 0, "q": [], "o": [], "qt": [], "ot": []}
        for system in SYSTEMS.values():
            if system not in rows:
                continue
            r = rows[system]
            for k in total:
                total[k] = total[k] + r[k] if k != "n" else total[k] + r[k]
            print(system, summary(r))
        print("all", summary(total))


if __name__ == "__main__":
    main()
