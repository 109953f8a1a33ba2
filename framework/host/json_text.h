// Program host: JSON text for the headless trace's fields, which programs add to.
#pragma once
#include <string>

namespace quorbix {

// Appends s to out as a JSON string literal.
void AppendJsonString(std::string& out, const std::string& s);

}  // namespace quorbix

#include "framework/core/legacy_names.h"
