#!/usr/bin/env python3
"""Draws the program's pixel-art glyphs, its icon and the About picture.

Run from anywhere with Debian's python3-pil; the PNGs it writes are committed,
so the build itself never needs Python. Usage: resources/make_resources.py
"""
import os

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))

# One small palette for every glyph; '.' is transparent.
PALETTE = {
    '.': (0, 0, 0, 0),
    'k': (0, 0, 0, 255),
    'w': (255, 255, 255, 255),
    'g': (128, 128, 128, 255),
    's': (192, 192, 192, 255),
    'r': (200, 30, 30, 255),
    'R': (255, 110, 90, 255),
    'y': (240, 200, 40, 255),
    'o': (220, 120, 20, 255),
    'b': (40, 80, 200, 255),
    'B': (120, 170, 255, 255),
    'n': (20, 40, 120, 255),
    'G': (30, 150, 50, 255),
    'l': (120, 220, 120, 255),
    'p': (240, 180, 160, 255),
    'm': (120, 60, 20, 255),
}

# 15 x 15 glyphs of the tool panel.
TOOLS = {
    'pencil': [
        "...............",
        "...........kk..",
        "..........krrk.",
        ".........kRrrk.",
        "........kyRrk..",
        ".......kyyyk...",
        "......kyyyk....",
        ".....kyyyk.....",
        "....kyyyk......",
        "...kpyyk.......",
        "...kppk........",
        "..kppk.........",
        "..kkk..........",
        "..k............",
        "...............",
    ],
    'rect_filled': [
        "...............",
        "...............",
        ".kkkkkkkkkkkkk.",
        ".kbbbbbbbbbbbk.",
        ".kbbbbbbbbbbbk.",
        ".kbbbbbbbbbbbk.",
        ".kbbbbbbbbbbbk.",
        ".kbbbbbbbbbbbk.",
        ".kbbbbbbbbbbbk.",
        ".kbbbbbbbbbbbk.",
        ".kbbbbbbbbbbbk.",
        ".kbbbbbbbbbbbk.",
        ".kkkkkkkkkkkkk.",
        "...............",
        "...............",
    ],
    'rect_outline': [
        "...............",
        "...............",
        ".kkkkkkkkkkkkk.",
        ".k...........k.",
        ".k...........k.",
        ".k...........k.",
        ".k...........k.",
        ".k...........k.",
        ".k...........k.",
        ".k...........k.",
        ".k...........k.",
        ".k...........k.",
        ".kkkkkkkkkkkkk.",
        "...............",
        "...............",
    ],
    'line': [
        "...............",
        ".............k.",
        "............kk.",
        "...........kk..",
        "..........kk...",
        ".........kk....",
        "........kk.....",
        ".......kk......",
        "......kk.......",
        ".....kk........",
        "....kk.........",
        "...kk..........",
        "..kk...........",
        ".kk............",
        "...............",
    ],
    'bucket': [
        "...............",
        "......k........",
        ".....kwk.......",
        "....kwwwk......",
        "...kwwwwwk.....",
        "..kwwwwwwwk....",
        ".kkwwwwwwwwk...",
        ".kbkwwwwwwwwk..",
        ".kbbkwwwwwwk.b.",
        ".kbb.kwwwwk.bb.",
        ".kbb..kwwk..bb.",
        "..b....kk...bb.",
        "..b.........bbb",
        "............bbb",
        ".............b.",
    ],
    'select': [
        "...............",
        "...............",
        ".kk.kk.kk.kk.k.",
        ".k...........k.",
        "...............",
        ".k...........k.",
        ".k...........k.",
        "...............",
        ".k...........k.",
        ".k...........k.",
        "...............",
        ".k...........k.",
        ".kk.kk.kk.kk.k.",
        "...............",
        "...............",
    ],
    'ellipse': [
        "...............",
        "...............",
        ".....kkkkk.....",
        "...kkGGGGGkk...",
        "..kGGGGGGGGGk..",
        ".kGGGGGGGGGGGk.",
        ".kGGGGGGGGGGGk.",
        ".kGGGGGGGGGGGk.",
        ".kGGGGGGGGGGGk.",
        ".kGGGGGGGGGGGk.",
        "..kGGGGGGGGGk..",
        "...kkGGGGGkk...",
        ".....kkkkk.....",
        "...............",
        "...............",
    ],
    'syringe': [
        "............k..",
        "...........k.k.",
        "..........k.k..",
        ".........kkk...",
        "........kssk...",
        ".......kBBsk...",
        "......kBBBk....",
        ".....kBBBk.....",
        "....kBBBk......",
        "...kBBBk.......",
        "...kBBk........",
        "..kkkk.........",
        "..k............",
        ".k.............",
        "...............",
    ],
    'nudge_left': [
        "...............",
        "...............",
        "...............",
        "......k........",
        ".....kk........",
        "....kbk........",
        "...kbbkkkkkkk..",
        "..kbbbbbbbbbk..",
        "...kbbkkkkkkk..",
        "....kbk........",
        ".....kk........",
        "......k........",
        "...............",
        "...............",
        "...............",
    ],
    'zoom_in': [
        "...............",
        "....kkkk.......",
        "...kwwwwk......",
        "..kwwkwwwk.....",
        ".kwwwkwwwwk....",
        ".kwkkkkkwwk....",
        ".kwwwkwwwwk....",
        "..kwwkwwwk.....",
        "...kwwwwkk.....",
        "....kkkkkmk....",
        ".........kmk...",
        "..........kmk..",
        "...........kmk.",
        "............kk.",
        "...............",
    ],
    'zoom_out': [
        "...............",
        "....kkkk.......",
        "...kwwwwk......",
        "..kwwwwwwk.....",
        ".kwwwwwwwwk....",
        ".kwkkkkkwwk....",
        ".kwwwwwwwwk....",
        "..kwwwwwwk.....",
        "...kwwwwkk.....",
        "....kkkkkmk....",
        ".........kmk...",
        "..........kmk..",
        "...........kmk.",
        "............kk.",
        "...............",
    ],
}

# 16 x 16 glyphs of the navigation and playback buttons and the dialogs.
BUTTONS = {
    'first': [
        "................",
        "................",
        "................",
        "....kk......k...",
        "....kk.....kk...",
        "....kk....kbk...",
        "....kk...kbbk...",
        "....kk..kbbbk...",
        "....kk..kbbbk...",
        "....kk...kbbk...",
        "....kk....kbk...",
        "....kk.....kk...",
        "....kk......k...",
        "................",
        "................",
        "................",
    ],
    'prev': [
        "................",
        "................",
        "................",
        "..........k.....",
        ".........kk.....",
        "........kbk.....",
        ".......kbbk.....",
        "......kbbbk.....",
        "......kbbbk.....",
        ".......kbbk.....",
        "........kbk.....",
        ".........kk.....",
        "..........k.....",
        "................",
        "................",
        "................",
    ],
    'play': [
        "................",
        "................",
        "....k...........",
        "....kk..........",
        "....kGk.........",
        "....kGGk........",
        "....kGGGk.......",
        "....kGGGGk......",
        "....kGGGGk......",
        "....kGGGk.......",
        "....kGGk........",
        "....kGk.........",
        "....kk..........",
        "....k...........",
        "................",
        "................",
    ],
    'stop': [
        "................",
        "................",
        "................",
        "...kkkkkkkkkk...",
        "...krrrrrrrrk...",
        "...krRRRRRRrk...",
        "...krRrrrrrrk...",
        "...krRrrrrrrk...",
        "...krRrrrrrrk...",
        "...krRrrrrrrk...",
        "...krRrrrrrrk...",
        "...krrrrrrrrk...",
        "...kkkkkkkkkk...",
        "................",
        "................",
        "................",
    ],
    'ok': [
        "................",
        "................",
        "................",
        "............kk..",
        "...........kGk..",
        "..........kGk...",
        ".........kGk....",
        "..kk....kGk.....",
        "..kGk..kGk......",
        "...kGkkGk.......",
        "....kGGk........",
        ".....kk.........",
        "................",
        "................",
        "................",
        "................",
    ],
    'cancel': [
        "................",
        "................",
        "................",
        "...kk......kk...",
        "...krk....krk...",
        "....krk..krk....",
        ".....krkkrk.....",
        "......krrk......",
        "......krrk......",
        ".....krkkrk.....",
        "....krk..krk....",
        "...krk....krk...",
        "...kk......kk...",
        "................",
        "................",
        "................",
    ],
}

# 9 x 9: the loop toggle.
LOOP = [
    ".kkkkkk..",
    "k......k.",
    "k......k.",
    "k....kkkk",
    "k.....kk.",
    "k......k.",
    "k........",
    "k.......k",
    ".kkkkkkk.",
]


def from_map(rows):
    h, w = len(rows), len(rows[0])
    assert all(len(r) == w for r in rows), rows
    img = Image.new('RGBA', (w, h))
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            img.putpixel((x, y), PALETTE[ch])
    return img


def save(img, *parts):
    path = os.path.join(HERE, *parts)
    img.save(path, optimize=True)


def glyphs():
    for name, rows in TOOLS.items():
        save(from_map(rows), 'glyphs', name + '.png')
    left = from_map(TOOLS['nudge_left'])
    save(left.transpose(Image.FLIP_LEFT_RIGHT), 'glyphs', 'nudge_right.png')
    save(left.transpose(Image.ROTATE_270), 'glyphs', 'nudge_up.png')
    save(left.transpose(Image.ROTATE_90), 'glyphs', 'nudge_down.png')
    for name, rows in BUTTONS.items():
        save(from_map(rows), 'glyphs', name + '.png')
    save(from_map(BUTTONS['first']).transpose(Image.FLIP_LEFT_RIGHT), 'glyphs', 'last.png')
    save(from_map(BUTTONS['prev']).transpose(Image.FLIP_LEFT_RIGHT), 'glyphs', 'next.png')
    save(from_map(LOOP), 'glyphs', 'loop.png')


def sprite(size, phase):
    """One frame of a bouncing ball, the program's mascot, drawn at 16 x 16."""
    img = Image.new('RGBA', (16, 16), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    heights = [1, 3, 6, 9, 9, 6, 3, 1]
    top = heights[phase % len(heights)]
    squash = 1 if top == 9 else 0
    d.ellipse((3 - squash, top, 12 + squash, top + 8 - squash), fill=(230, 60, 40), outline=(0, 0, 0))
    d.point((6, top + 2), fill=(255, 220, 200))
    d.line((2, 15, 13, 15), fill=(60, 60, 60))
    return img.resize((size, size), Image.NEAREST)


def icon():
    """The program's icon, drawn at 16 x 16: the ball on a film strip."""
    img = Image.new('RGBA', (16, 16), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    d.rectangle((0, 1, 15, 14), fill=(40, 40, 48), outline=(0, 0, 0))
    for x in range(1, 15, 3):
        d.point((x, 2), fill=(230, 230, 230))
        d.point((x, 13), fill=(230, 230, 230))
    d.rectangle((1, 4, 14, 11), fill=(250, 240, 200))
    d.ellipse((5, 4, 11, 10), fill=(230, 60, 40), outline=(0, 0, 0))
    d.point((7, 6), fill=(255, 220, 200))
    return img


def svg(img):
    """The pixels of img as squares of an SVG picture, one rectangle per run
    of a colour in a row, so that the icon scales to any size unblurred."""
    w, h = img.size
    rects = []
    for y in range(h):
        x = 0
        while x < w:
            colour = img.getpixel((x, y))
            end = x
            while end + 1 < w and img.getpixel((end + 1, y)) == colour:
                end += 1
            if colour[3]:
                rects.append('  <rect x="%d" y="%d" width="%d" height="1" fill="#%02x%02x%02x"/>'
                             % (x, y, end - x + 1, *colour[:3]))
            x = end + 1
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d" '
            'shape-rendering="crispEdges">\n%s\n</svg>\n' % (w * 16, h * 16, w, h, '\n'.join(rects)))


def icons():
    img = icon()
    for size in (16, 32, 48, 64, 128, 256):
        save(img.resize((size, size), Image.NEAREST), 'icons', 'tolvane-%d.png' % size)
    with open(os.path.join(HERE, 'icons', 'tolvane.svg'), 'w') as f:
        f.write(svg(img))


def about():
    w, h = 322, 202
    img = Image.new('RGB', (w, h))
    d = ImageDraw.Draw(img)
    for y in range(h):
        t = y / (h - 1)
        d.line((0, y, w, y), fill=(int(24 + 40 * t), int(32 + 60 * t), int(80 + 90 * t)))
    d.rectangle((0, 0, w - 1, h - 1), outline=(255, 255, 255))
    d.rectangle((2, 2, w - 3, h - 3), outline=(90, 110, 170))
    font_dir = '/usr/share/fonts/truetype/dejavu/'
    big = ImageFont.truetype(font_dir + 'DejaVuSans-Bold.ttf', 44)
    small = ImageFont.truetype(font_dir + 'DejaVuSans.ttf', 13)
    d.text((w // 2 + 2, 46), 'Tolvane', font=big, fill=(0, 0, 30), anchor='mm')
    d.text((w // 2, 44), 'Tolvane', font=big, fill=(255, 230, 120), anchor='mm')
    d.text((w // 2, 80), 'Sprite animation editor  -  version 2', font=small,
           fill=(230, 235, 255), anchor='mm')
    # A film strip of the bouncing ball, frame by frame.
    frames, cell = 8, 32
    left, top = (w - frames * (cell + 4)) // 2, 104
    d.rectangle((left - 6, top - 12, left + frames * (cell + 4) + 2, top + cell + 12), fill=(20, 20, 24))
    for i in range(frames * 2 + 1):
        x = left - 2 + i * (cell + 4) // 2
        d.rectangle((x, top - 8, x + 5, top - 4), fill=(220, 220, 210))
        d.rectangle((x, top + cell + 4, x + 5, top + cell + 8), fill=(220, 220, 210))
    for i in range(frames):
        x = left + i * (cell + 4)
        d.rectangle((x, top, x + cell - 1, top + cell - 1), fill=(250, 240, 200))
        img.paste(sprite(cell, i), (x, top), sprite(cell, i))
    d.text((w // 2, h - 22), 'Click to continue', font=small, fill=(200, 210, 240), anchor='mm')
    save(img, 'about.png')


if __name__ == '__main__':
    glyphs()
    icons()
    about()
