"""Reads a DXF drawing with ezdxf, audits it and checks its entity counts.

usage: check_dxf.py FILE [TYPE=COUNT ...]
Exit codes: 0 all good, 1 a reader error, an audit error or a wrong count,
77 when ezdxf is not installed (the caller skips).
"""
import collections
import sys

try:
    import ezdxf
except ImportError:
    print("ezdxf is not installed")
    sys.exit(77)


def main():
    path = sys.argv[1]
    expected = {}
    for arg in sys.argv[2:]:
        kind, count = arg.split("=")
        expected[kind] = int(count)

    try:
        doc = ezdxf.readfile(path)
    except (IOError, ezdxf.DXFStructureError) as error:
        print(f"ezdxf cannot read {path}: {error}")
        return 1

    auditor = doc.audit()
    for error in auditor.errors:
        print(f"audit error: {error.message}")
    if auditor.has_errors:
        return 1

    found = collections.Counter(entity.dxftype() for entity in doc.modelspace())
    status = 0
    for kind, count in expected.items():
        if found[kind] != count:
            print(f"{kind}: expected {count}, found {found[kind]}")
            status = 1
    print("found " + ", ".join(f"{k}={v}" for k, v in sorted(found.items())))
    return status


if __name__ == "__main__":
    sys.exit(main())
