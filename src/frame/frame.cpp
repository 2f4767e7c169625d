// The frame's state and services: texts, event delivery, built-ins, end routines, the fatal
// error and the end of the program.
#include "frame/frame.h"

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

#include "frame/frame_internal.h"

namespace frame {

namespace {

struct FrameState {
    tk::Toolkit* toolkit = nullptr;
    form::FormData templates;
    int event_block_count = 0;
    std::vector<EndRoutine> end_routines;
    const char* constant_begin = nullptr;
    const char* constant_end = nullptr;
    bool loop_started = false;
};

FrameState state;

}  // namespace

tk::Toolkit& toolkit() { return *state.toolkit; }
form::FormData& templates() { return state.templates; }
bool loop_started() { return state.loop_started; }
void set_loop_started() { state.loop_started = true; }
void set_toolkit(tk::Toolkit& t) { state.toolkit = &t; }

void reset_frame_for_tests() { state = FrameState{}; }

// --- texts ---

void set_constant_block(const void* begin, const void* end) {
    state.constant_begin = static_cast<const char*>(begin);
    state.constant_end = static_cast<const char*>(end);
}

bool in_constant_block(const void* p) {
    auto c = static_cast<const char*>(p);
    return c != nullptr && std::less_equal<const char*>{}(state.constant_begin, c) &&
           std::less<const char*>{}(c, state.constant_end);
}

Text allocate_text(std::size_t bytes) {
    void* block = state.toolkit->heap_alloc(bytes);
    if (block == nullptr) {
        // "内存不足" = out of memory; the count of bytes asked for is what a report needs.
        std::string message = "内存不足：无法分配 " + std::to_string(bytes) + " 字节";
        report_fatal_error(message, 0, 0);
    }
    return static_cast<Text>(block);
}

void release_text(Text text) {
    if (text == nullptr || in_constant_block(text)) return;
    state.toolkit->heap_free(text);
}

// --- events ---

int event_block_count() { return state.event_block_count; }
void block_events() { ++state.event_block_count; }
void unblock_events() {
    if (state.event_block_count > 0) --state.event_block_count;
}

void raise_event(EventRecord& record) {
    if (state.event_block_count > 0) return;
    form::WindowTemplate* t = state.templates.find(record.window_id);
    if (t == nullptr) report_fatal_error("没有这个窗口", record.window_id, 0);
    const form::UnitRecord* unit =
        record.unit_id == 0 ? (t->units.empty() ? nullptr : &t->units[0]) : t->find(record.unit_id);
    if (unit == nullptr) report_fatal_error("窗口中没有这个单元", record.window_id, record.unit_id);
    // Follow the event source while it names a unit of the same kind; a bounded walk, so
    // that a cycle in the data cannot hang the program.
    for (std::size_t steps = 0; unit->event_source != 0 && steps < t->units.size(); ++steps) {
        const form::UnitRecord* source = t->find(unit->event_source);
        if (source == nullptr || source->kind != unit->kind) break;
        unit = source;
    }
    const form::EventBinding* binding = nullptr;
    for (const form::EventBinding& b : unit->events)
        if (b.event == record.event) {
            binding = &b;
            break;
        }
    if (binding == nullptr || binding->handler == nullptr) return;
    int count = std::clamp(record.arg_count, 0, 5);
    record.result = binding->handler(std::span<const std::int32_t>(record.args, count));
    record.result_flag = 1;
}

void raise_event(std::uint32_t window_id, std::uint32_t unit_id, std::int32_t event) {
    EventRecord record;
    record.window_id = window_id;
    record.unit_id = unit_id;
    record.event = event;
    raise_event(record);
}

// --- built-ins ---

TypedValue call_builtin(Builtin routine, std::int32_t count, const TypedValue* args) {
    TypedValue result;
    routine(&result, count, args);
    return result;
}

// --- end routines, fatal error, end of the program ---

void register_end_routine(EndRoutine routine) {
    if (std::find(state.end_routines.begin(), state.end_routines.end(), routine) ==
        state.end_routines.end())
        state.end_routines.push_back(routine);
}

std::string fatal_error_text(std::string_view message, std::uint32_t window_id,
                             std::uint32_t unit_id) {
    char ids[64];
    std::snprintf(ids, sizeof ids, "0x%08X", static_cast<unsigned>(window_id));
    std::string text = "程序运行时发生错误：\r\n";
    text += message;
    text += "\r\n\r\n窗口 ";
    text += ids;
    std::snprintf(ids, sizeof ids, "0x%08X", static_cast<unsigned>(unit_id));
    text += "，单元 ";
    text += ids;
    return text;
}

void report_fatal_error(std::string_view message, std::uint32_t window_id, std::uint32_t unit_id) {
    block_events();
    state.toolkit->message_box(fatal_error_text(message, window_id, unit_id), "运行时错误",
                               tk::MB_OK_ | tk::MB_ICONERROR_);
    state.end_routines.clear();
    end_program(-1);
}

void end_program(int exit_code) {
    shut_down_frame(exit_code);
    state.toolkit->exit_process(exit_code);
    std::abort();  // exit_process never returns; the compiler cannot see through the virtual call
}

void shut_down_frame(int /*exit_code*/) {
    block_events();
    state.templates.windows.clear();
    std::vector<EndRoutine> routines;
    routines.swap(state.end_routines);
    for (EndRoutine r : routines) r();
}

}  // namespace frame
