#!/usr/bin/python3
"""Writes the dialog font's stand-in: WenQuanYi Zen Hei Sharp under a family
name of its own, measured as SimSun is at 12 pixels (9 points).

  make-stand-in-font.py COLLECTION.ttc FAMILY OUT.ttf

Sharp's hand-made 12-pixel bitmaps draw the lettering, but Wine measures text
by the outlines: a line 16 pixels high and digits 7 wide, so the dialog grows
and a label wraps. Here the line is made 10 pixels above the baseline and 2
below (room for the Chinese glyphs' tops and the Latin descenders), and every
glyph's advance is made the one its 12-pixel bitmap is drawn with.
"""
import sys

from fontTools.ttLib import TTCollection

PIXELS = 12  # the one size the dialog draws at
ASCENT, DESCENT = 10, 2  # of the 12-pixel line
FACE = 'WenQuanYi Zen Hei Sharp'

source, family, out = sys.argv[1:]
font = next(f for f in TTCollection(source, lazy=True).fonts if f['name'].getDebugName(1) == FACE)
upem = font['head'].unitsPerEm


# Font units for whole pixels at 12 pixels, rounded down: a hair under, never
# over, so no reader's rounding up adds a pixel.
def units(pixels):
    return pixels * upem // PIXELS


hhea, os2 = font['hhea'], font['OS/2']
hhea.ascent, hhea.descent, hhea.lineGap = units(ASCENT), -units(DESCENT), 0
os2.sTypoAscender, os2.sTypoDescender, os2.sTypoLineGap = units(ASCENT), -units(DESCENT), 0
os2.usWinAscent, os2.usWinDescent = units(ASCENT), units(DESCENT)
# A link's underline a pixel below the baseline, which Wine draws on the
# line's last row: any lower, a control as high as the line cuts it off.
font['post'].underlinePosition = -units(DESCENT - 1)

# Each glyph advances as far as its 12-pixel bitmap was drawn to. A run of
# glyphs alike in size keeps its metrics in the index, any other glyph beside
# its bitmap. Glyphs without a 12-pixel bitmap keep their outlines' advances.
# Larger text (a display scaled to 150 %) is drawn from the outlines: each
# Latin one is made as much wider or narrower as its advance, so digits and
# letters keep their spacing instead of crowding or gaping.
latin = {name for code, name in font.getBestCmap().items() if code < 0x250}
strikes, strike_data = font['EBLC'].strikes, font['EBDT'].strikeData
strike = next(i for i, s in enumerate(strikes) if s.bitmapSizeTable.ppemY == PIXELS)
hmtx, glyf = font['hmtx'], font['glyf']
for run in strikes[strike].indexSubTables:
    for name in run.names:
        pixels = (run.metrics if hasattr(run, 'metrics') else strike_data[strike][name].metrics).horiAdvance
        advance, (old_advance, side) = round(pixels * upem / PIXELS), hmtx[name]
        outline = glyf[name] if name in latin and advance != old_advance else None
        if outline and old_advance and outline.numberOfContours > 0:
            # From the same left edge, which the 12-pixel line is placed by.
            outline.coordinates.scale((advance / old_advance, 1))
            outline.coordinates.translate((side - side * advance / old_advance, 0))
            outline.recalcBounds(glyf)
        hmtx[name] = (advance, side)

# Only the 12-pixel bitmaps stay: other sizes (a display scaled to 125 %)
# are drawn from the outlines, and so measured as the 12-pixel line is.
font['EBLC'].strikes, font['EBDT'].strikeData = [strikes[strike]], [strike_data[strike]]

# A family of its own, so the Sharp face Wine finds among the system's fonts
# is never taken for it; the copyright and licence records stay.
name = font['name']
name.names = [r for r in name.names if r.nameID not in (1, 2, 3, 4, 6, 10, 16, 17)]
for platform, encoding, language in ((1, 0, 0), (3, 1, 0x409)):
    for nameID, text in ((1, family), (2, 'Regular'), (3, family), (4, family),
                         (6, family.replace(' ', ''))):
        name.setName(text, nameID, platform, encoding, language)
# The bounds of the glyphs left as they were are left as found: working them
# all out again would take most of the time.
font.recalcBBoxes = False
font.save(out)
