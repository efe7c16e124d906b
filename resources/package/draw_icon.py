#!/usr/bin/env python3
"""Draws tarvo.svg, the program's icon: a shop's price tag with a "T"
over a row of stacked boxes. Run it again after changing a colour; the SVG
is committed."""
import pathlib

TAG = "#c0392b"
BOX = "#d68910"
EDGE = "#5d4037"

boxes = []
for i, (x, y) in enumerate([(8, 40), (24, 40), (40, 40), (16, 26), (32, 26)]):
    boxes.append(
        f'<rect x="{x}" y="{y}" width="15" height="13" rx="1" fill="{BOX}" stroke="{EDGE}" stroke-width="1.2"/>'
        f'<line x1="{x}" y1="{y + 4}" x2="{x + 15}" y2="{y + 4}" stroke="{EDGE}" stroke-width="0.8"/>')

svg = f'''<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64" viewBox="0 0 64 64">
  <rect x="2" y="2" width="60" height="60" rx="10" fill="#fdf6e3" stroke="{EDGE}" stroke-width="2"/>
  {"".join(boxes)}
  <g>
    <path d="M30 8 h22 a3 3 0 0 1 3 3 v12 a3 3 0 0 1 -3 3 h-22 l-7 -9 z" fill="{TAG}" stroke="{EDGE}" stroke-width="1.2"/>
    <circle cx="28" cy="17" r="2" fill="#fdf6e3"/>
    <text x="43" y="23" font-family="DejaVu Sans, sans-serif" font-size="14" font-weight="bold"
          text-anchor="middle" fill="#ffffff">T</text>
  </g>
</svg>
'''
pathlib.Path(__file__).with_name("tarvo.svg").write_text(svg)
