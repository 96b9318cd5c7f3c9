#!/usr/bin/python3
"""Draws resources/logo.bmp, the 256-colour start picture: contour lines of a
small hill over a dusk-coloured ground, and the program's name. Needs Debian's
python3-pil and fonts-dejavu-core; run it only to change the picture."""
import math
from PIL import Image, ImageDraw, ImageFont

W, H = 640, 400
img = Image.new("RGB", (W, H))
px = img.load()
for y in range(H):
    for x in range(W):
        # two hills and a valley
        z = (60 * math.exp(-((x - 220) ** 2 + (y - 230) ** 2) / 9000.0)
             + 45 * math.exp(-((x - 450) ** 2 + (y - 170) ** 2) / 7000.0)
             - 0.04 * y)
        t = max(0.0, min(1.0, (z + 20) / 90.0))
        r, g, b = int(20 + 70 * t), int(40 + 120 * t), int(60 + 60 * (1 - t))
        if abs(z / 6.0 - round(z / 6.0)) < 0.06:
            r, g, b = (230, 200, 120) if round(z / 6.0) % 5 == 0 else (150, 170, 140)
        px[x, y] = (r, g, b)
d = ImageDraw.Draw(img)
big = ImageFont.truetype("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", 64)
small = ImageFont.truetype("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 20)
d.text((W // 2, 70), "Vellacor", font=big, fill=(250, 245, 230), anchor="mm")
d.text((W // 2, 120), "site terrain in 3D", font=small, fill=(220, 230, 240), anchor="mm")
d.text((W // 2, H - 40), "File > Open a survey point file", font=small, fill=(250, 245, 230), anchor="mm")
img.convert("P", palette=Image.ADAPTIVE, colors=256).save("resources/logo.bmp")
