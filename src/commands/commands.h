// The program's own code: the command handlers, the text join and the clipboard copy.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "frame/frame.h"

namespace commands {

// Joins the parts, any of them absent, into one fresh Text owned by the caller.
frame::Text join_texts(std::initializer_list<const char*> parts);

// Puts a Text (never absent) on the clipboard as CF_TEXT. 1: handed over, 0: not.
std::int32_t copy_to_clipboard(const char* text);

// The built-in routine through which the copy handler reaches copy_to_clipboard.
void clipboard_builtin(frame::TypedValue* result, std::int32_t count,
                       const frame::TypedValue* args);

// The program's entry routine: starts the frame, opens MainWindow, runs the event loop.
std::int32_t program_entry(tk::Toolkit& toolkit);
void program_init();
void program_cleanup();

}  // namespace commands
