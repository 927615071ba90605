#pragma once
// How a link check's result is told to the user: the Japanese word of its state (what the
// date column and the command line show), the HTTP detail for a tooltip, and a stable English
// key for JSON.

#include "web/LinkChecker.h"

#include <QString>

namespace mv {

QString LinkStateCaption(LinkState state);
// "正常", "移動: https://new/", "見つからない"...: the cell text of a result.
QString LinkCellText(const LinkResult& result);
// "HTTP 404", "HTTP 301 → 200 (恒久的な移動)", "接続ミス: Couldn't connect to server"...
QString LinkDetailText(const LinkResult& result);
const char* LinkStateKey(LinkState state);

} // namespace mv
