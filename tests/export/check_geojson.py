"""Reads a GeoJSON file as RFC 7946 has it and as strictly as JSON allows.

usage: check_geojson.py FILE
The text must be UTF-8 and strict JSON (no NaN or Infinity, no repeated
member names, no control characters in strings); the document a
FeatureCollection without a "crs" member anywhere; every position a
longitude from -180 to 180 and a latitude from -90 to 90, each with at most
seven decimals. Exit codes: 0 all good, 1 the first problem found, printed.
"""
import decimal
import json
import sys


class Problem(Exception):
    pass


def no_constant(name):
    raise Problem(f"{name} is not JSON")


def unique_members(pairs):
    names = [name for name, _ in pairs]
    if len(names) != len(set(names)):
        raise Problem(f"a member is repeated among {names}")
    return dict(pairs)


def check_position(position):
    if not isinstance(position, list) or len(position) < 2:
        raise Problem(f"not a position: {position}")
    for value in position:
        if not isinstance(value, decimal.Decimal):
            raise Problem(f"not a number in a position: {position}")
    longitude, latitude = position[0], position[1]
    if not (-180 <= longitude <= 180 and -90 <= latitude <= 90):
        raise Problem(f"not a longitude and latitude: {position}")
    for value in position[:2]:
        if value.as_tuple().exponent < -7:
            raise Problem(f"more than seven decimals: {value}")


def check_coordinates(coordinates):
    if coordinates and isinstance(coordinates[0], list):
        for inner in coordinates:
            check_coordinates(inner)
    else:
        check_position(coordinates)


def check_no_crs(value):
    if isinstance(value, dict):
        if "crs" in value:
            raise Problem('a "crs" member')
        for inner in value.values():
            check_no_crs(inner)
    elif isinstance(value, list):
        for inner in value:
            check_no_crs(inner)


def main():
    path = sys.argv[1]
    with open(path, "rb") as file:
        data = file.read()
    try:
        text = data.decode("utf-8")
        document = json.loads(text, parse_constant=no_constant, object_pairs_hook=unique_members,
                              parse_float=decimal.Decimal, parse_int=decimal.Decimal)
        if document.get("type") != "FeatureCollection":
            raise Problem("not a FeatureCollection")
        check_no_crs(document)
        for feature in document.get("features", []):
            if feature.get("type") != "Feature":
                raise Problem("a member of features that is not a Feature")
            check_coordinates(feature["geometry"]["coordinates"])
    except (UnicodeDecodeError, ValueError, KeyError, TypeError, Problem) as error:
        print(f"{path}: {error}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
