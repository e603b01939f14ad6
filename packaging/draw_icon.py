#!/usr/bin/env python3
"""Draws the program's icon: writes org.lumtar.Lumtar.svg (32 pixels and up)
and org.lumtar.Lumtar-small.svg (16 to 24 pixels) into this folder.

    python3 packaging/draw_icon.py

A night sky ringed in gold by the twelve palaces (spokes, a star in each),
the Sun at the centre, and on one orbit the Moon as a crescent and the five
planets in the colours of their elements: water blue, metal white, fire
red, wood green, earth yellow. The small picture leaves out the palaces and
draws the rest larger."""

import math
from pathlib import Path

CX = CY = 128
PLANETS = [("#4d8fe8", "water"), ("#f3f3f0", "metal"), ("#e4533c", "fire"), ("#4fb35a", "wood"),
           ("#d9a13a", "earth")]


def crescent(orbit, big, offset, cut):
    """The Moon at -55 degrees on the orbit: a disc of radius `big` less a
    disc of radius `cut` moved `offset` towards the upper left."""
    a = math.radians(-55)
    mx, my = CX + orbit * math.cos(a), CY + orbit * math.sin(a)
    d = math.radians(-100)
    ux, uy = math.cos(d), math.sin(d)
    along = (big * big - cut * cut + offset * offset) / (2 * offset)
    h = math.sqrt(big * big - along * along)
    px, py = mx + along * ux, my + along * uy
    p1, p2 = (px - h * uy, py + h * ux), (px + h * uy, py - h * ux)
    return ('M%.2f %.2fA%.1f %.1f 0 1 1 %.2f %.2fA%.1f %.1f 0 0 0 %.2f %.2fZ' %
            (p1[0], p1[1], big, big, p2[0], p2[1], cut, cut, p1[0], p1[1]))


def icon(small):
    o = ['<?xml version="1.0" encoding="UTF-8"?>']
    if small:
        o.append('<!-- The Lumtar icon drawn for 16 to 24 pixels: the same chart with fewer, bolder marks. -->')
    else:
        o.append('<!-- The Lumtar icon: the round chart of the Seven Governors. A night sky ringed by the twelve '
                 'palaces, the Sun at the centre, the Moon and the five planets on their orbit, each planet in the '
                 'colour of its element. -->')
    o.append('<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">')
    o.append('  <defs>')
    o.append('    <radialGradient id="sky" cx="128" cy="112" r="124" gradientUnits="userSpaceOnUse">')
    o.append('      <stop offset="0" stop-color="#33508f"/>')
    o.append('      <stop offset="1" stop-color="#121c40"/>')
    o.append('    </radialGradient>')
    o.append('    <radialGradient id="sun" cx="122" cy="122" r="%d" gradientUnits="userSpaceOnUse">' %
             (44 if small else 30))
    o.append('      <stop offset="0" stop-color="#fff1b8"/>')
    o.append('      <stop offset="0.55" stop-color="#f7c948"/>')
    o.append('      <stop offset="1" stop-color="#e09a1f"/>')
    o.append('    </radialGradient>')
    o.append('  </defs>')
    if small:
        o.append('  <circle cx="128" cy="128" r="127" fill="#e3b04b"/>')
        o.append('  <circle cx="128" cy="128" r="104" fill="url(#sky)"/>')
        orbit, sun, planet, moon = 66, 36, 17, (21.0, 10.0, 18.0)
    else:
        o.append('  <circle cx="128" cy="128" r="122" fill="#8a6420"/>')
        o.append('  <circle cx="128" cy="128" r="117" fill="#e3b04b"/>')
        o.append('  <circle cx="128" cy="128" r="106" fill="url(#sky)"/>')
        o.append('  <circle cx="128" cy="128" r="86" fill="none" stroke="#e3b04b" stroke-width="3"/>')
        spokes = ''
        for k in range(12):
            a = math.radians(k * 30 + 15)
            spokes += 'M%.1f %.1fL%.1f %.1f' % (CX + 86 * math.cos(a), CY + 86 * math.sin(a),
                                                CX + 106 * math.cos(a), CY + 106 * math.sin(a))
        o.append('  <path d="%s" stroke="#e3b04b" stroke-width="3" fill="none"/>' % spokes)
        stars = ''.join('<circle cx="%.1f" cy="%.1f" r="2.6"/>' %
                        (CX + 96 * math.cos(math.radians(k * 30)), CY + 96 * math.sin(math.radians(k * 30)))
                        for k in range(12))
        o.append('  <g fill="#f6e7b5">%s</g>' % stars)
        o.append('  <circle cx="128" cy="128" r="60" fill="none" stroke="#7f94c9" stroke-width="2" '
                 'stroke-opacity="0.7"/>')
        orbit, sun, planet, moon = 60, 27, 8.5, (15.0, 7.0, 13.0)
    o.append('  <circle cx="128" cy="128" r="%d" fill="url(#sun)"/>' % sun)
    o.append('  <path d="%s" fill="#e8edf7"/>' % crescent(orbit, *moon))
    for i, (colour, element) in enumerate(PLANETS):
        a = math.radians(-55 + 60 * (i + 1))
        o.append('  <circle cx="%.1f" cy="%.1f" r="%.1f" fill="%s"%s/><!-- %s -->' %
                 (CX + orbit * math.cos(a), CY + orbit * math.sin(a), planet, colour,
                  '' if small else ' stroke="#0d1530" stroke-width="1.5"', element))
    o.append('</svg>')
    return '\n'.join(o) + '\n'


if __name__ == '__main__':
    here = Path(__file__).resolve().parent
    (here / 'org.lumtar.Lumtar.svg').write_text(icon(False))
    (here / 'org.lumtar.Lumtar-small.svg').write_text(icon(True))
