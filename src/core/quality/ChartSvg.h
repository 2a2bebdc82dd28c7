#pragma once

#include "core/quality/ChartGeometry.h"

#include <string>

namespace travek {

// The chart as an SVG document (UTF-8), drawn from the same geometry as the windows; each point
// carries its tip as a title, which a browser shows on hover.
std::string chartSvg(const ChartGeometry& chart);

} // namespace travek
