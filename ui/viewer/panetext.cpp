#include "panetext.h"

#include "linepane.h"

namespace quorvane {

QString paneText(const LinePane &pane)
{
    return pane.text(u"\r\n");
}

} // namespace quorvane
