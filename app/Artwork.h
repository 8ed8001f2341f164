// The program's own pictures, kept in its resources: the application icon and the button's
// check mark.
#pragma once

class QIcon;

// The 32 × 32 icon of the window and its taskbar entry.
QIcon applicationIcon();

// The picture of BBExecutar: the left half of the 36 × 18 bitmap for the enabled button, the
// right half for the disabled one, with the colour of the bottom-left pixel transparent.
QIcon executarGlyph();
