#pragma once

// The Mustache engine, included as a system header: its own code is not held to our warning
// flags.
#pragma GCC system_header

#include <kainjow/mustache.hpp>
