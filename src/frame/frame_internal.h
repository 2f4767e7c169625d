// Frame state that only the frame's own files and the window layer touch.
#pragma once

#include <string>
#include <string_view>

#include "frame/frame.h"

namespace frame {
void set_toolkit(tk::Toolkit& t);
void set_loop_started();
std::string fatal_error_text(std::string_view message, std::uint32_t window_id,
                             std::uint32_t unit_id);
}  // namespace frame
