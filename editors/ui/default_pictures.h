#pragma once
// Pictures the editors draw themselves: the first entry of the clock picker, which stands
// for "no background", and the small symbol tiles of the second picture picker.
#include <vector>

#include <QPixmap>

namespace ledsuite {

// A black square of `size` with a thin grey frame and a diagonal: picking it leaves a
// clock without a background picture.
QPixmap NoBackgroundTile(int size);

// Symbols of 16 x 16 pixels, white on black (arrows, shapes, a note), for picker 2.
std::vector<QPixmap> SymbolTiles();

}  // namespace ledsuite
