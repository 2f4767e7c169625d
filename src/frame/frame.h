// The application frame's services: texts, events, properties, built-ins, fatal errors,
// end routines, start-up and the event loop. Handlers see only these operations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "toolkit/toolkit.h"
#include "window/form.h"

namespace frame {

// A zero-terminated GBK text in a heap block from allocate_text; null is the empty text.
using Text = char*;

// --- texts ---
Text allocate_text(std::size_t bytes);  // never null: exhausted memory is a fatal error
void release_text(Text text);           // null and constant texts are ignored
// The program's literal texts live in one constant block; releasing them does nothing.
void set_constant_block(const void* begin, const void* end);
bool in_constant_block(const void* p);

// --- events ---
struct EventRecord {
    std::uint32_t window_id = 0;
    std::uint32_t unit_id = 0;
    std::int32_t event = 0;
    std::int32_t arg_count = 0;
    std::int32_t args[5] = {};
    std::uint32_t result_flag = 0;
    std::int32_t result = 0;
};
void raise_event(EventRecord& record);
void raise_event(std::uint32_t window_id, std::uint32_t unit_id, std::int32_t event);
int event_block_count();
void block_events();    // raise the count by one
void unblock_events();  // lower it by one, never below 0

// --- properties ---
enum class ValueType { integer, flag, text, bytes, pair };
struct Value {
    ValueType type = ValueType::integer;
    std::int32_t number = 0;  // integer or flag
    std::int32_t high = 0;    // the upper half of a 64-bit pair
    Text text = nullptr;      // text: owned by whoever received it from get_property
};
inline constexpr std::int32_t WHOLE_VALUE = -1;
Value get_property(std::uint32_t window_id, std::uint32_t control_id, std::int32_t index,
                   std::int32_t part = WHOLE_VALUE);
void set_property(std::uint32_t window_id, std::uint32_t control_id, std::int32_t index,
                  std::int32_t part, const Value& value);
Value text_value(Text text);
Value flag_value(std::int32_t flag);

// --- built-ins ---
inline constexpr std::uint32_t TYPE_TEXT = 0x80000004;
struct TypedValue {
    std::uintptr_t value = 0;  // wide enough for a Text in a 64-bit build
    std::uint32_t high = 0;
    std::uint32_t type = 0;
};
using Builtin = void (*)(TypedValue* result, std::int32_t count, const TypedValue* args);
TypedValue call_builtin(Builtin routine, std::int32_t count, const TypedValue* args);

// --- end routines, fatal errors, end of the program ---
using EndRoutine = void (*)();
void register_end_routine(EndRoutine routine);
[[noreturn]] void report_fatal_error(std::string_view message, std::uint32_t window_id,
                                     std::uint32_t unit_id);
[[noreturn]] void end_program(int exit_code);
void shut_down_frame(int exit_code);

// The fatal error messages of start-up.
inline constexpr std::string_view WINDOW_DATA_FAILED = "window data failed to load";
inline constexpr std::string_view START_WINDOW_FAILED = "start window failed to load";

// --- start-up and the event loop ---
// Takes the toolkit, records the constant block and loads the form data with the program's
// handler table; a form that cannot be read is the fatal error WINDOW_DATA_FAILED.
void start_frame(tk::Toolkit& toolkit, std::span<const std::uint8_t> form_bytes,
                 std::span<const form::Handler> handlers);
void run_event_loop();
// After a window of the program is destroyed: posts the quit message when none is left.
void window_destroyed();

// Frame state, reachable by the window layer and by tests.
tk::Toolkit& toolkit();
form::FormData& templates();
bool loop_started();
int exit_code_of_loop();
// Forgets everything: for tests that start the frame more than once in one process.
void reset_frame_for_tests();

}  // namespace frame
