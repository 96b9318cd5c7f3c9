#!/usr/bin/env python3
"""Times pandas' C read_csv on a PNEZD or XYZ point file (comma separated, or
an XYZ file separated by spaces), for comparison with bench_read_points on the
same file (it writes the files to the paths given in VELLACOR_POINT_FILE and
VELLACOR_XYZ_FILE) and with vellacor-cli info in bench/whole_runs.sh (one run
a process there). Prints each parse time and the median of RUNS (5).

usage: pandas_read_csv.py FILE [RUNS]   (RUNS 1 prints one parse time)
Needs a Python with pandas (Debian: python3-pandas, /usr/bin/python3).
"""
import statistics
import sys
import time

import pandas


def main():
    path = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    with open(path) as f:
        first = f.readline()
    sep = "," if "," in first else r"\s+"  # the C reader takes \s+ as white space
    fields = len(first.split(",")) if sep == "," else len(first.split())
    names = ["X", "Y", "Z"] if fields == 3 else ["P", "N", "E", "Z", "D"]
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        frame = pandas.read_csv(path, sep=sep, header=None, names=names, engine="c")
        times.append(time.perf_counter() - start)
        if len(frame) == 0:
            sys.exit("no rows read")
    for t in times:
        print(f"pandas_read_csv {t * 1000:.1f} ms")
    print(f"pandas_read_csv median {statistics.median(times) * 1000:.1f} ms rows={len(frame)}")


if __name__ == "__main__":
    main()
