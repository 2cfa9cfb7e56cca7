#!/usr/bin/env python3
"""Writes a realistic Leica SKI ASCII baseline file for benchmarking.

The file looks like a processing export: a comment banner, the unit and
coordinate type records and a few further header records (ellipsoid,
date); then for every baseline a comment, the antenna-height records of
its two stations, the from, to and covariance records and a description
record with the date of observation; a session comment now and then. Line
ends are CR LF. The same count, seed and unit always give the same bytes.

Usage: gen_ski.py OUTPUT [BASELINES] [SEED] [UNIT]
"""

import math
import random
import sys

A = 6378137.0
E2 = 0.0066943799901413165

# Survey areas (latitude, longitude in degrees): both hemispheres and both
# sides of Greenwich, so that negative angles and coordinates occur.
AREAS = [
    (46.52, 7.27),  # Alps
    (-23.55, -46.63),  # Sao Paulo
    (-33.87, 151.21),  # Sydney
    (61.22, -149.90),  # Anchorage
    (35.68, 139.77),  # Tokyo
    (0.35, 32.58),  # Kampala, close to the equator
]
STATIONS_PER_AREA = 400
# Units per metre of the unit codes the converter knows.
UNIT_FACTORS = {"m": 1.0, "fts": 3.28083333333333, "fti": 3.28083989501312}


def ecef(lat_deg, lon_deg, height):
    lat = math.radians(lat_deg)
    lon = math.radians(lon_deg)
    n = A / math.sqrt(1.0 - E2 * math.sin(lat) ** 2)
    return (
        (n + height) * math.cos(lat) * math.cos(lon),
        (n + height) * math.cos(lat) * math.sin(lon),
        (n * (1.0 - E2) + height) * math.sin(lat),
    )


def make_stations(rng, factor):
    areas = []
    number = 1000
    for lat0, lon0 in AREAS:
        stations = []
        for _ in range(STATIONS_PER_AREA):
            lat = lat0 + rng.uniform(-0.15, 0.15)
            lon = lon0 + rng.uniform(-0.15, 0.15)
            height = rng.uniform(-20.0, 2500.0)
            x, y, z = (round(v * factor, 4) for v in ecef(lat, lon, height))
            prefix = rng.choice(["PT", "BM", "GPS", "CP", "TRIG"])
            stations.append(("%s%d" % (prefix, number), x, y, z, rng.uniform(1.2, 2.1)))
            number += 1
        areas.append(stations)
    return areas


def covariance_terms(rng, factor):
    sx, sy, sz = (rng.uniform(0.0008, 0.006) * factor for _ in range(3))
    # Drawn again until the matrix is positive definite, as a processed
    # baseline's covariance is.
    while True:
        rxy, rxz, ryz = (rng.uniform(-0.6, 0.6) for _ in range(3))
        if 1 + 2 * rxy * rxz * ryz - rxy * rxy - rxz * rxz - ryz * ryz > 0.01:
            break
    return (sx * sx, rxy * sx * sy, rxz * sx * sz, sy * sy, ryz * sy * sz, sz * sz)


def write(path, count, seed, unit):
    rng = random.Random(seed)
    areas = make_stations(rng, UNIT_FACTORS[unit])
    lines = [
        "! Leica SKI ASCII export",
        "! Project : NETWORK BENCH",
        "! Created : 2026-03-14 06:00:00",
        "@%Unit: " + unit,
        "@%Coordinate type: Cartesian",
        "@%Reference ellipsoid: WGS 1984",
        "@%Date: 2026-03-14",
    ]
    out = open(path, "w", newline="\r\n", encoding="ascii")
    out.write("\n".join(lines) + "\n")
    day = 13
    for i in range(count):
        if i % 250 == 0:
            day = day % 28 + 1
            out.write("\n! Session %d\n" % (i // 250 + 1))
        stations = areas[rng.randrange(len(areas))]
        frm, to = rng.sample(stations, 2)
        dx, dy, dz = (round(to[k] - frm[k], 4) for k in (1, 2, 3))
        scale = rng.choice([1.0, 1.0, 1.0, 1.5, 2.0, 10.0])
        cov = covariance_terms(rng, UNIT_FACTORS[unit])
        out.write(
            "! Baseline %d\n"
            "@#Antenna height: %-8s %.4f\n"
            "@#Antenna height: %-8s %.4f\n"
            "@+%-15s %13.4f %13.4f %13.4f\n"
            "@-%-15s %10.4f %10.4f %10.4f\n"
            "@= %.4f %.10f %.10f %.10f %.10f %.10f %.10f\n"
            "@* 202603%02d %s-%s\n"
            % (
                i + 1,
                frm[0], frm[4],
                to[0], to[4],
                frm[0], frm[1], frm[2], frm[3],
                to[0], dx, dy, dz,
                scale, *cov,
                day, frm[0], to[0],
            )
        )
    out.close()


def main():
    if len(sys.argv) < 2 or len(sys.argv) > 5:
        sys.exit(__doc__.strip().splitlines()[-1])
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 200000
    seed = int(sys.argv[3]) if len(sys.argv) > 3 else 1
    unit = sys.argv[4] if len(sys.argv) > 4 else "m"
    if unit not in UNIT_FACTORS:
        sys.exit("gen_ski.py: unknown unit " + unit)
    write(sys.argv[1], count, seed, unit)


if __name__ == "__main__":
    main()
