#!/usr/bin/python3
"""The desktop icons as desktops draw them: a PNG for every size panels and menus ask for, and a
scalable icon that Qt's SVG renderer (KDE Plasma) and librsvg (GNOME, GTK) both draw like the
256 pixel PNG.

Usage: icon_renderers.py HICOLOR_DIR APP_ID   (exit 77 = skipped: a renderer is not installed)
"""
import os
import shutil
import subprocess
import sys
import tempfile

SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
# A rendering passes when it differs from the PNG little on average and almost nowhere by much:
# edges are smoothed differently by each renderer, the picture must be the same.
MEAN_LIMIT = 4.0  # mean absolute difference per channel, out of 255
FAR = 64  # a channel this far off counts the pixel as different
FAR_SHARE_LIMIT = 0.01  # of all pixels


def skip(why):
    print("SKIPPED: " + why)
    sys.exit(77)


def fail(why):
    print("FAILED: " + why, file=sys.stderr)
    sys.exit(1)


def main():
    if len(sys.argv) != 3:
        fail("usage: icon_renderers.py HICOLOR_DIR APP_ID")
    hicolor, app_id = sys.argv[1], sys.argv[2]
    os.environ.setdefault("QT_QPA_PLATFORM", "offscreen")
    try:
        from PyQt5.QtCore import QRectF
        from PyQt5.QtGui import QGuiApplication, QImage, QPainter
        from PyQt5.QtSvg import QSvgRenderer
    except ImportError:
        skip("PyQt5 with QtSvg is missing (Debian package python3-pyqt5.qtsvg)")
    rsvg = shutil.which("rsvg-convert")
    if not rsvg:
        skip("rsvg-convert is missing (Debian package librsvg2-bin)")
    app = QGuiApplication(sys.argv[:1])  # noqa: F841 -- QImage and QPainter need it

    def load(path):
        image = QImage(path)
        if image.isNull():
            fail("cannot read " + path)
        return image.convertToFormat(QImage.Format_RGBA8888_Premultiplied)

    for size in SIZES:
        path = os.path.join(hicolor, "%dx%d" % (size, size), "apps", app_id + ".png")
        if not os.path.isfile(path):
            fail("no %d pixel icon: %s" % (size, path))
        image = load(path)
        if (image.width(), image.height()) != (size, size):
            fail("%s is %dx%d" % (path, image.width(), image.height()))

    svg = os.path.join(hicolor, "scalable", "apps", app_id + ".svg")
    reference = load(os.path.join(hicolor, "256x256", "apps", app_id + ".png"))

    renderer = QSvgRenderer(svg)
    if not renderer.isValid():
        fail("Qt cannot read " + svg)
    qt = QImage(256, 256, QImage.Format_RGBA8888_Premultiplied)
    qt.fill(0)
    painter = QPainter(qt)
    painter.setRenderHint(QPainter.Antialiasing)
    renderer.render(painter, QRectF(0, 0, 256, 256))
    painter.end()

    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "rsvg.png")
        subprocess.run([rsvg, "-w", "256", "-h", "256", "-o", out, svg], check=True)
        drawn = {"Qt": qt, "librsvg": load(out)}
        keep = os.environ.get("SKYVERN_ICON_RENDERINGS")  # a folder to look at them in
        if keep:
            for name, image in drawn.items():
                image.save(os.path.join(keep, name + ".png"))

    ref = bytes(reference.constBits().asarray(reference.sizeInBytes()))
    failed = []
    for name, image in drawn.items():
        got = bytes(image.constBits().asarray(image.sizeInBytes()))
        diffs = [abs(a - b) for a, b in zip(ref, got)]
        mean = sum(diffs) / len(diffs)
        far = sum(1 for i in range(0, len(diffs), 4) if max(diffs[i:i + 4]) > FAR)
        share = far / (len(diffs) / 4)
        print("%-8s mean difference %.2f, pixels far off %.2f %%" % (name, mean, share * 100))
        if mean > MEAN_LIMIT or share > FAR_SHARE_LIMIT:
            failed.append(name)
    if failed:
        fail("the scalable icon does not look like the 256 pixel PNG in " + " and ".join(failed))
    print("icons: %d PNG sizes; the SVG drawn alike by Qt and librsvg" % len(SIZES))


main()
