#pragma once

#include <nlohmann/json.hpp>

namespace OV::Test {

class StandinHub;

// The hub's applications that can be shown as cards (act 1002, data "sys.widget.apps").
nlohmann::json standinAppList();
// Answers act 1002 with standinAppList() for "sys.widget.apps" and an empty list otherwise.
void installAppList(StandinHub& hub);

} // namespace OV::Test
