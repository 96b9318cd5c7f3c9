#!/usr/bin/env python3
"""Times pandas' C read_csv on a PNEZD or XYZ point file (comma separated),
for comparison with bench_read_points on the same file (it writes the files
to the paths given in VELLACOR_POINT_FILE and VELLACOR_XYZ_FILE). Prints each
parse time and the median of five.

usage: pandas_read_csv.py FILE [RUNS]
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
        fields = f.readline().count(",") + 1
    names = ["X", "Y", "Z"] if fields == 3 else ["P", "N", "E", "Z", "D"]
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        frame = pandas.read_csv(path, header=None, names=names, engine="c")
        times.append(time.perf_counter() - start)
        if len(frame) == 0:
            sys.exit("no rows read")
    for t in times:
        print(f"pandas_read_csv {t * 1000:.1f} ms")
    print(f"pandas_read_csv median {statistics.median(times) * 1000:.1f} ms rows={len(frame)}")


if __name__ == "__main__":
    main()
