#!/usr/bin/env python3
"""Draws the program's bitmaps and icons as XPM text files.

Run from this folder after changing a picture: python3 draw_bitmaps.py
The XPM files are the resources the program loads; this script is their source.
Cells are 16 x 16; "T" marks the transparent colour of each strip (magenta for
bitmap 131, red for bitmap 140, none in the icons, which use "None").
"""

# The 16-colour palette of the bitmaps.
PALETTE = {
    ".": "None", "T": None,  # filled in per bitmap
    "k": "#000000", "w": "#FFFFFF", "g": "#808080", "s": "#C0C0C0",
    "y": "#FFFF00", "o": "#C08000", "b": "#0000FF", "n": "#000080",
    "r": "#FF0000", "e": "#008000", "c": "#00FFFF", "d": "#404040",
}

def grid(w, h, fill):
    return [[fill] * w for _ in range(h)]

def rect(g, x0, y0, x1, y1, c):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            g[y][x] = c

def frame(g, x0, y0, x1, y1, c):
    for x in range(x0, x1 + 1):
        g[y0][x] = g[y1][x] = c
    for y in range(y0, y1 + 1):
        g[y][x0] = g[y][x1] = c

def line(g, pts, c):
    for (x0, y0), (x1, y1) in zip(pts, pts[1:]):
        n = max(abs(x1 - x0), abs(y1 - y0)) or 1
        for i in range(n + 1):
            g[round(y0 + (y1 - y0) * i / n)][round(x0 + (x1 - x0) * i / n)] = c

def blit(dst, src, ox, oy=0):
    for y, row in enumerate(src):
        for x, c in enumerate(row):
            dst[oy + y][ox + x] = c

# --- the cells -------------------------------------------------------------

def handheld(t):
    g = grid(16, 16, t)
    rect(g, 3, 0, 12, 15, "s"); frame(g, 3, 0, 12, 15, "k")
    rect(g, 5, 2, 10, 9, "c"); frame(g, 5, 2, 10, 9, "n")
    rect(g, 5, 11, 6, 12, "d"); rect(g, 9, 11, 10, 12, "d"); g[13][7] = g[13][8] = "d"
    return g

def closed_folder(t):
    g = grid(16, 16, t)
    rect(g, 1, 3, 6, 4, "y"); frame(g, 1, 3, 6, 4, "k")
    rect(g, 1, 5, 14, 13, "y"); frame(g, 1, 5, 14, 13, "k")
    line(g, [(2, 6), (13, 6)], "w")
    return g

def open_folder(t):
    g = grid(16, 16, t)
    rect(g, 1, 3, 6, 4, "o"); frame(g, 1, 3, 6, 4, "k")
    rect(g, 1, 5, 12, 13, "o"); frame(g, 1, 5, 12, 13, "k")
    for i in range(6):
        line(g, [(4 - i // 2 + 1, 8 + i), (15 - i // 2, 8 + i)], "y")
    line(g, [(4, 7), (15, 7), (12, 13), (1, 13)], "k")
    return g

def document(t):
    g = grid(16, 16, t)
    rect(g, 3, 1, 12, 14, "w"); frame(g, 3, 1, 12, 14, "k")
    for y in (4, 6, 8, 10, 12):
        line(g, [(5, y), (10, y)], "g")
    return g

def share(t):
    g = closed_folder(t)
    line(g, [(7, 13), (7, 15)], "k"); line(g, [(3, 15), (12, 15)], "k")
    return g

def computer(t):
    g = grid(16, 16, t)
    rect(g, 1, 1, 14, 10, "s"); frame(g, 1, 1, 14, 10, "k")
    rect(g, 3, 3, 12, 8, "n")
    rect(g, 6, 11, 9, 12, "g"); rect(g, 3, 13, 12, 14, "s"); frame(g, 3, 13, 12, 14, "k")
    return g

def arrow(t, up, colour):
    g = grid(16, 16, t)
    rect(g, 6, 5 if up else 1, 9, 14 if up else 10, colour)
    for i in range(6):
        y = 6 - i if up else 9 + i
        line(g, [(2 + i, y), (13 - i, y)], colour)
    return g

def globe(t):
    g = grid(16, 16, t)
    for y in range(16):
        for x in range(16):
            if (x - 7.5) ** 2 + (y - 7.5) ** 2 <= 49:
                g[y][x] = "b" if (x + y) % 5 else "e"
    line(g, [(7, 1), (7, 14)], "c"); line(g, [(1, 7), (14, 7)], "c")
    return g

def lock(t):
    g = grid(16, 16, t)
    frame(g, 4, 1, 11, 8, "d"); frame(g, 5, 2, 10, 8, "d")
    rect(g, 2, 7, 13, 15, "o"); frame(g, 2, 7, 13, 15, "k"); rect(g, 7, 10, 8, 12, "k")
    return g

def trash(t):
    g = grid(16, 16, t)
    rect(g, 3, 2, 12, 3, "g"); rect(g, 6, 0, 9, 1, "g")
    rect(g, 4, 4, 11, 15, "s"); frame(g, 4, 4, 11, 15, "k")
    for x in (6, 9):
        line(g, [(x, 6), (x, 13)], "g")
    return g

def sync(t):
    g = grid(16, 16, t)
    line(g, [(2, 6), (4, 3), (11, 3), (13, 6)], "e"); line(g, [(11, 6), (13, 6), (14, 4)], "e")
    line(g, [(13, 9), (11, 12), (4, 12), (2, 9)], "b"); line(g, [(4, 9), (2, 9), (1, 11)], "b")
    return g

def window(t, ticked):
    g = grid(16, 16, t)
    rect(g, 0, 1, 15, 14, "w"); frame(g, 0, 1, 15, 14, "k")
    rect(g, 1, 2, 14, 4, "n")
    if ticked:
        line(g, [(4, 9), (7, 12), (13, 5)], "r"); line(g, [(4, 8), (7, 11), (13, 4)], "r")
    return g

def app_icon(size):
    # A handheld with a blue arrow towards a share: the program's picture.
    g = grid(16, 16, ".")
    rect(g, 0, 1, 7, 14, "s"); frame(g, 0, 1, 7, 14, "k"); rect(g, 2, 3, 5, 8, "c")
    rect(g, 10, 4, 15, 11, "y"); frame(g, 10, 4, 15, 11, "k")
    line(g, [(6, 12), (12, 12)], "b"); line(g, [(10, 10), (12, 12), (10, 14)], "b")
    if size == 16:
        return g
    scale = size // 16
    return [[c for c in row for _ in range(scale)] for row in g for _ in range(scale)]

def transfer_picture():
    # Bitmap 161, 37 x 40: two documents with an arrow between them.
    g = grid(37, 40, "s")
    for ox, oy in ((2, 2), (19, 18)):
        rect(g, ox, oy, ox + 14, oy + 19, "w"); frame(g, ox, oy, ox + 14, oy + 19, "k")
        for y in range(oy + 4, oy + 18, 3):
            line(g, [(ox + 3, y), (ox + 11, y)], "g")
    line(g, [(10, 25), (10, 30), (16, 30)], "b"); line(g, [(14, 28), (16, 30), (14, 32)], "b")
    return g

# --- output ----------------------------------------------------------------

def write_xpm(path, g, transparent):
    colours = dict(PALETTE)
    colours["T"] = transparent
    used = sorted({c for row in g for c in row})
    name = path.replace(".xpm", "").replace("-", "_")
    out = ["/* XPM */", f"static const char *{name}[] = {{",
           f'"{len(g[0])} {len(g)} {len(used)} 1",']
    out += [f'"{c} c {colours[c]}",' for c in used]
    out += [f'"{"".join(row)}",' for row in g]
    out[-1] = out[-1].rstrip(",")
    out.append("};")
    with open(path, "w") as f:
        f.write("\n".join(out) + "\n")

def strip(cells):
    g = grid(16 * len(cells), 16, ".")
    for i, cell in enumerate(cells):
        blit(g, cell, 16 * i)
    return g

def main():
    m = "T"
    write_xpm("bitmap131.xpm", strip([
        handheld(m), closed_folder(m), open_folder(m), document(m), share(m), computer(m),
        arrow(m, True, "e"), arrow(m, False, "b"), globe(m), lock(m), trash(m), sync(m),
        window(m, False), window(m, True)]), "#FF00FF")
    write_xpm("bitmap132.xpm", closed_folder("."), None)
    write_xpm("bitmap133.xpm", open_folder("."), None)
    write_xpm("bitmap161.xpm", transfer_picture(), None)
    write_xpm("icon128_16.xpm", app_icon(16), None)
    write_xpm("icon128_32.xpm", app_icon(32), None)

if __name__ == "__main__":
    main()
