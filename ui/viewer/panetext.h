#pragma once

#include <QString>

namespace quorvane {

class LinePane;

// A viewer pane's text as the program sees it: its lines joined by CR LF,
// nothing before or after. An empty pane and a pane with text differ exactly
// as an empty and a non-empty string do.
QString paneText(const LinePane &pane);

} // namespace quorvane
