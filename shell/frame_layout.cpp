#include "shell/frame_layout.h"

#include <algorithm>

namespace ledsuite {

FrameSplit ComputeFrameSplit(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    FrameSplit split;
    split.leftColumn = width * 2 / 5 > kPropertyColumnWidth ? width - kPropertyColumnWidth : width * 3 / 5;
    split.leftColumn = std::max(split.leftColumn, kMinLeftColumn);
    split.viewRow = std::max(height * 3 / 5, kMinViewRow);
    return split;
}

}  // namespace ledsuite
