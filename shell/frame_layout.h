#pragma once
// The main frame's proportions: how wide the left column (view and editor tab host)
// and how high the view's row are for a given client size.
#include <QSize>

namespace ledsuite {

constexpr int kPropertyColumnWidth = 240;  // the property window keeps this while it can
constexpr int kMinLeftColumn = 200;
constexpr int kMinViewRow = 80;
constexpr QSize kMinFrameSize{600, 480};

struct FrameSplit {
    int leftColumn = 0;  // column 0 of the outer splitter
    int viewRow = 0;     // row 0 of the inner splitter
};

// `width` is the client width less the outlook bar's, `height` the client height less
// the bars above and below (both taken as at least 0). The left column is width - 240
// while two fifths of the width exceed 240, else three fifths, at least 200; the view's
// row three fifths of the height, at least 80.
FrameSplit ComputeFrameSplit(int width, int height);

}  // namespace ledsuite
