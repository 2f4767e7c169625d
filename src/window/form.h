// The loaded form data: one window template per window, each a table of unit records.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ui {
struct Control;
}

namespace form {

// Unit kinds as stored in the form data.
enum Kind : std::uint32_t {
    KIND_WINDOW = 0x00010001,
    KIND_EDIT_BOX = 0x00010005,
    KIND_GROUP_BOX = 0x00010009,
    KIND_LABEL = 0x0001000a,
    KIND_BUTTON = 0x0001000b,
    KIND_CHECK_BOX = 0x0001000c,
    KIND_RADIO_BOX = 0x0001000d,
};

inline constexpr std::uint32_t FLAG_VISIBLE = 1, FLAG_DISABLED = 2, FLAG_TAB_STOP = 4;
inline constexpr std::int32_t NO_HANDLER = -1;

// Event handlers take the event's arguments and return a 32-bit result.
using Handler = std::int32_t (*)(std::span<const std::int32_t> args);

struct EventBinding {
    std::int32_t event = 0;
    std::int32_t reference = NO_HANDLER;  // as stored: an index into the program's handler table
    Handler handler = nullptr;            // resolved at load; null: no handler
};

struct UnitRecord {
    std::uint32_t id = 0;
    std::uint32_t kind = 0;
    std::uint32_t event_source = 0;
    std::string name;     // GBK
    std::string comment;
    std::int32_t stored_object_slot = 0;
    std::int32_t left = 0, top = 0, width = 0, height = 0;
    std::int32_t stored_pointer_slot = 0;
    std::uint32_t parent = 0;
    std::vector<std::uint32_t> children;
    std::vector<std::uint8_t> mouse_pointer;
    std::string tag;
    std::int32_t reserved = 0;
    std::uint32_t flags = 0;
    std::int32_t tab_order = 0;
    std::vector<EventBinding> events;
    std::vector<std::uint8_t> settings;  // the SettingsBlock: the rest of the body

    // Live slots, filled while the window is built and cleared when it is destroyed.
    ui::Control* object_slot = nullptr;
    void* pointer_slot = nullptr;  // tk::Cursor
};

struct WindowTemplate {
    std::uint32_t window_id = 0;
    std::int32_t reserved0 = 0;
    std::uint32_t reserved1 = 0;
    std::string reserved_text0, reserved_text1;
    std::vector<UnitRecord> units;  // list order; position 0 is the window's own record
    // (id, list position) sorted by id, for lookups that do not scan the table.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> by_id;

    UnitRecord* find(std::uint32_t unit_id);
    const UnitRecord* find(std::uint32_t unit_id) const;
    int position_of(std::uint32_t unit_id) const;  // -1 when absent
};

struct FormData {
    std::vector<WindowTemplate> windows;
    WindowTemplate* find(std::uint32_t window_id);
};

enum class LoadError {
    none,
    truncated,        // the data ends before a field is complete
    inconsistent,     // offsets, sizes and lengths disagree, or the invariants are broken
    bad_handler,      // a handler reference that names no handler of the program
};

// Reads the whole form data. Every read is bounds-checked; nothing is read past `bytes`.
// Handler references are indexes into `handlers`; -1 means no handler.
struct LoadResult {
    LoadError error = LoadError::none;
    std::size_t offset = 0;  // where the fault was found
    FormData form;
};
LoadResult load_form(std::span<const std::uint8_t> bytes, std::span<const Handler> handlers);

// Rebuilds the lookup index after the units changed.
void index_units(WindowTemplate& t);

}  // namespace form
