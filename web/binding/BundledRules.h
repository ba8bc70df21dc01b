// The Velmor rules the page starts with, built into the program.
#pragma once

#include <string_view>

// The bytes of the bundled tarvo.rul.
std::string_view BundledRules();
