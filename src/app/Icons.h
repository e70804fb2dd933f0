#pragma once

#include <QIcon>
#include <QImage>

// The program's own art, kept in the resources: the opening screen's skin picture, the images
// of the main menu (ImageList1) and of the topic tree (ImageList2), and the two button glyphs.
namespace Icons {
// ImageList1: 0 loudspeaker, 1 musical note, 2 web page, 3 film strip, 4 circuit drawing,
// 5 sign "Тест", 6 window with a green arrow, 7 and 8 green arrows with a bar, 9 closed volume,
// 10 grey volume, 11 open volume, 12 grey volume. A null icon for any other index.
QIcon imageList1(int index);
constexpr int imageList1Count = 13;
// ImageList2: 0 closed volume (topic), 1 open volume (selected topic).
QIcon imageList2(int index);
constexpr int imageList2Count = 2;
// Two green arrows pointing inward ("Свернуть список тем") and outward ("Развернуть список тем").
QIcon collapseGlyph();
QIcon expandGlyph();
// The opening screen's skin: 712 × 390, 24-bit; pure red (255, 0, 0) marks the transparent ground.
QImage skin();

// Resource paths, for style sheets and for checking the art.
QString imageList1Path(int index);
QString imageList2Path(int index);
} // namespace Icons
