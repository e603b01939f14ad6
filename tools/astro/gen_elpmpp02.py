#!/usr/bin/env python3
"""Generates astro/moon_tables.cpp from the ELP/MPP02 lunar theory
(Chapront & Francou 2003): the main problem and the perturbation series,
with the constants of the fit to DE405 and the additive corrections to the
secular terms of the lunar arguments that keep the solution close to DE406
over six millennia.

Every term becomes a cosine of a polynomial argument:
    A cos(phase + freq t + c2 t^2/1e4 + c3 t^3/1e8 + c4 t^4/1e8)
t in Julian centuries TDB from J2000, angles in radians, A in arcseconds
(longitude, latitude) or km (distance). The terms of the main problem and of
the perturbations of the same power of t are pooled, sorted by decreasing
amplitude and cut to the list lengths below.

Usage: gen_elpmpp02.py SOURCE_DIR OUTPUT_CPP [--fit de405|llr]
"""
import math
import sys
from pathlib import Path

from tablefile import write_table_file

# Terms kept per coordinate (longitude, latitude, distance) and power of t.
COUNTS = [[442, 149, 34, 2], [206, 45, 12, 0], [221, 52, 12, 0]]

SEC = math.pi / 648000  # radians per arcsecond


def dms(d, m, s):
    return (d * 60 + m) * 60 + s


# Secular developments (arcseconds; t^0..t^4) before corrections.
W1 = [dms(218, 18, 59.95571), 1732559343.73604, -6.8084, 0.006604, -0.00003169]
W2 = [dms(83, 21, 11.67475), 14643420.3171, -38.2631, -0.045047, 0.00021301]
W3 = [dms(125, 2, 40.39816), -6967919.5383, 6.3590, 0.007625, -0.00003586]
T = [dms(100, 27, 59.13885), 129597742.2930, -0.0202, 0.000009, 0.00000015]
PERIHELION = [dms(102, 56, 14.45766), 1161.24342, 0.529265, -0.00011814, 0.000011379]
# Planetary mean longitudes, linear (Mercury, Venus, Mars, Jupiter, Saturn,
# Uranus, Neptune).
PLANETS = [
    [dms(252, 15, 3.216919), 538101628.68888],
    [dms(181, 58, 44.758419), 210664136.45777],
    [dms(355, 26, 3.642778), 68905077.65936],
    [dms(34, 21, 5.379392), 10925660.57335],
    [dms(50, 4, 38.902495), 4399609.33632],
    [dms(314, 3, 4.354234), 1542482.57845],
    [dms(304, 20, 56.808371), 786547.89700],
]
PRECESSION = 5029.0966 - 0.29965  # IAU 1976 constant with its correction, "/cy

# Corrections of the two fits (arcseconds, "/cy, "/cy^2).
FITS = {
    "de405": dict(W10=-0.07008, W20=0.20794, W30=-0.07215, W11=-0.35106, W21=0.08017, W31=-0.04317,
                  W12=-0.03743, G=0.00085, E=-0.00006, T0=-0.00033, T1=0.00732, P0=-0.00749, e=0.00224),
    "llr": dict(W10=-0.10525, W20=0.16826, W30=-0.10760, W11=-0.32311, W21=0.08017, W31=-0.04317,
                W12=-0.03794, G=0.00069, E=0.00005, T0=-0.04012, T1=0.01442, P0=-0.04854, e=0.00226),
}
AM = 0.074801329  # n'/nu
ALPHA = 0.002571881  # a0/a'
# Derivatives of W2(1)/nu and W3(1)/nu with respect to nu, Gamma, E, e', n'.
BP = [[0.311079095, -0.103837907], [-0.004482398, 0.000668287], [-0.001102485, -0.001298072],
      [0.001056062, -0.000178028], [0.000050928, -0.000037342]]
RA0 = 384747.961370173 / 384747.980674318  # DE405 / ELP semi-major axis


def arguments(fit):
    c = FITS[fit]
    w1, w2, w3, t, pe = list(W1), list(W2), list(W3), list(T), list(PERIHELION)
    w1[0] += c["W10"]
    w2[0] += c["W20"]
    w3[0] += c["W30"]
    w1[1] += c["W11"]
    w1[2] += c["W12"]
    t[0] += c["T0"]
    t[1] += c["T1"]
    pe[0] += c["P0"]
    # Mean motions of perigee and node follow from the corrected constants.
    nu = W1[1]
    xa = 2 * ALPHA / 3
    for k, w in ((0, w2), (1, w3)):
        x = W2[1] / nu if k == 0 else W3[1] / nu
        y = AM * BP[0][k] + xa * BP[4][k]
        d1 = x - y
        d5 = y / AM
        dgec = nu * SEC * (BP[1][k] * c["G"] + BP[2][k] * c["E"] + BP[3][k] * c["e"])
        w[1] += (c["W21"] if k == 0 else c["W31"]) + d1 * c["W11"] + d5 * c["T1"] + dgec
    if fit == "de405":
        # Additive corrections to the secular terms, towards DE406.
        w1[3] += -0.00018865
        w1[4] += -0.00001024
        w2[2] += 0.00470602
        w2[3] += -0.00025213
        w3[2] += -0.00261070
        w3[3] += -0.00010712
    d = [a - b for a, b in zip(w1, t)]
    d[0] += 648000
    f = [a - b for a, b in zip(w1, w3)]
    l = [a - b for a, b in zip(w1, w2)]
    lp = [a - b for a, b in zip(t, pe)]
    zeta = list(w1)
    zeta[1] += PRECESSION
    planets = [p + [0, 0, 0] for p in PLANETS]
    tlin = [t[0], t[1], 0, 0, 0]
    # Order of the perturbation multipliers: D F l l' Me V T Ma J S U N zeta.
    return [d, f, l, lp] + planets[:2] + [tlin] + planets[2:] + [zeta]


def amplitude_correction(coord, a, b, fit):
    c = FITS[fit]
    nu = W1[1]
    dnu = (0.55604 + c["W11"]) / nu
    dnp = (-0.0642 + c["T1"]) / nu
    dg = (-0.08066 + c["G"]) * SEC
    de = (0.01789 + c["E"]) * SEC
    dep = (-0.12879 + c["e"]) * SEC
    tgv = b[0] + 2 * ALPHA / (3 * AM) * b[4]
    x = tgv * (dnp - AM * dnu) + b[1] * dg + b[2] * de + b[3] * dep
    if coord == 2:
        x -= 2 * a * dnu / 3
    return a + x


def read_main(path):
    rows = []
    for line in path.read_text().splitlines()[1:]:
        f = line.split()
        if f:
            rows.append(([int(v) for v in f[:4]], float(f[4]), [float(v) for v in f[5:11]]))
    return rows


def read_pert(path):
    blocks = {}
    power = None
    for line in path.read_text().splitlines():
        if line.startswith("PERTURBATIONS"):
            power = int(line.split()[-1])
            blocks[power] = []
        elif line.strip():
            s = float(line[5:25].replace("D", "E"))
            c = float(line[25:45].replace("D", "E"))
            mult = [int(line[45 + 3 * i:48 + 3 * i]) for i in range(13)]
            blocks[power].append((mult, s, c))
    return blocks


def combine(mult, args):
    return [sum(m * a[k] for m, a in zip(mult, args)) for k in range(5)]


def build(src, fit):
    args = arguments(fit)
    lists = [[[] for _ in range(4)] for _ in range(3)]
    for coord in range(3):
        for mult, a, b in read_main(src / f"ELP_MAIN.S{coord + 1}"):
            amp = amplitude_correction(coord, a, b, fit)
            poly = combine(mult + [0] * 9, args)
            if coord < 2:  # sine series
                shift = -math.pi / 2
            else:
                shift = 0.0
            if coord == 2:
                amp *= RA0
            if amp < 0:
                amp, shift = -amp, shift + math.pi
            lists[coord][0].append((amp, poly, shift, tuple(mult)))
        for power, terms in read_pert(src / f"ELP_PERT.S{coord + 1}").items():
            for mult, s, c in terms:
                amp = math.hypot(s, c)
                if coord == 2:
                    amp *= RA0
                poly = combine(mult, args)
                lists[coord][power].append((amp, poly, -math.atan2(s, c), tuple(mult)))
    return lists


def term_values(amp, poly, shift):
    phase = math.fmod(poly[0] * SEC + shift, 2 * math.pi)
    if phase < 0:
        phase += 2 * math.pi
    return [amp, phase, poly[1] * SEC, poly[2] * SEC * 1e4, poly[3] * SEC * 1e8, poly[4] * SEC * 1e8]


def digits_of(amp):
    return len(str(int(round(amp * 1000))))


# Decimals of (amplitude, phase, frequency, c2, c3, c4) for an amplitude of
# d digits at 0.001: the smaller the term, the fewer digits it needs.
def decimals(d):
    return [3, d, d + 1, d - 1, d - 4, d - 2]


def fmt(v, dec):
    dec = max(dec, 0)
    s = f"{v:.{dec}f}"
    if "." in s:
        s = s.rstrip("0")
        if s.endswith("."):
            s += "0"
    else:
        s += ".0"
    if float(s) == 0:
        s = "0.0"
    return s


def main():
    src, out_path = Path(sys.argv[1]), Path(sys.argv[2])
    fit = "de405"
    if len(sys.argv) > 4 and sys.argv[3] == "--fit":
        fit = sys.argv[4]
    lists = build(src, fit)
    out = []
    names = []
    counts = []
    for coord in range(3):
        for power in range(4):
            n = COUNTS[coord][power]
            terms = sorted(lists[coord][power], key=lambda v: -v[0])[:n]
            name = f"k{'LonLatDis'[3 * coord:3 * coord + 3]}{power}"
            counts.append(n)
            if n == 0:
                names.append("nullptr")
                continue
            names.append(name)
            out.append(f"constexpr MoonTerm {name}[] = {{")
            for amp, poly, shift, _ in terms:
                vals = term_values(amp, poly, shift)
                dec = decimals(digits_of(amp))
                out.append("    {" + ", ".join(fmt(v, d) for v, d in zip(vals, dec)) + "},")
            out.append("};")
            out.append("")
    fitted = ["the fit to DE405 with the corrections of the secular terms", "towards DE406."]
    if fit != "de405":
        fitted = ["the fit to lunar laser ranging."]
    write_table_file(out_path, [
        "Generated by tools/astro/gen_elpmpp02.py from the ELP/MPP02 lunar theory",
        "(Chapront & Francou 2003), constants of",
    ] + fitted + [
        "Terms a cos(phase + freq t + c2 t^2/1e4 + c3 t^3/1e8 + c4 t^4/1e8),",
        "largest first; a in arcseconds (longitude, latitude) or km (distance).",
    ], out[:-1], [
        "const MoonTerm* const kMoonSeries[12] = {" + ", ".join(names) + "};",
        "const int kMoonCounts[12] = {" + ", ".join(str(c) for c in counts) + "};",
    ])


if __name__ == "__main__":
    main()
