// Loads the form data into window templates. Every read goes through a cursor that knows where
// its bytes end, so malformed data becomes a LoadError, never a read past the end.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "window/form.h"

namespace form {
namespace {

// A window over the bytes; `base` is the file offset of its first byte, for error reports.
struct Cursor {
    std::span<const std::uint8_t> bytes;
    std::size_t pos = 0;
    std::size_t base = 0;
};

std::size_t remaining(const Cursor& c) { return c.bytes.size() - c.pos; }
std::size_t file_offset(const Cursor& c) { return c.base + c.pos; }

bool take(Cursor& c, std::size_t n, std::span<const std::uint8_t>& out) {
    if (n > remaining(c)) return false;
    out = c.bytes.subspan(c.pos, n);
    c.pos += n;
    return true;
}

// Splits the next n bytes off as a cursor of their own.
bool take_cursor(Cursor& c, std::size_t n, Cursor& out) {
    const std::size_t at = file_offset(c);
    std::span<const std::uint8_t> part;
    if (!take(c, n, part)) return false;
    out = Cursor{part, 0, at};
    return true;
}

bool skip(Cursor& c, std::size_t n) {
    std::span<const std::uint8_t> ignored;
    return take(c, n, ignored);
}

bool read_u32(Cursor& c, std::uint32_t& v) {
    std::span<const std::uint8_t> b;
    if (!take(c, 4, b)) return false;
    v = std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 |
        std::uint32_t{b[3]} << 24;
    return true;
}

bool read_i32(Cursor& c, std::int32_t& v) {
    std::uint32_t u = 0;
    if (!read_u32(c, u)) return false;
    v = static_cast<std::int32_t>(u);
    return true;
}

bool read_zero_terminated(Cursor& c, std::string& text) {
    const auto rest = c.bytes.subspan(c.pos);
    const auto end = std::find(rest.begin(), rest.end(), std::uint8_t{0});
    if (end == rest.end()) return false;
    text.assign(rest.begin(), end);
    c.pos += text.size() + 1;
    return true;
}

// A signed count, then that many bytes; a count of 0 or less is empty.
bool read_byte_field(Cursor& c, std::vector<std::uint8_t>& out) {
    std::int32_t count = 0;
    if (!read_i32(c, count)) return false;
    out.clear();
    if (count <= 0) return true;
    std::span<const std::uint8_t> b;
    if (!take(c, static_cast<std::size_t>(count), b)) return false;
    out.assign(b.begin(), b.end());
    return true;
}

// A byte field holding text; the text ends at its first zero byte.
bool read_text_field(Cursor& c, std::string& text) {
    std::vector<std::uint8_t> b;
    if (!read_byte_field(c, b)) return false;
    text.assign(b.begin(), std::find(b.begin(), b.end(), std::uint8_t{0}));
    return true;
}

// A u32 count of u32 values; a count that runs past the end is caught before anything is read.
bool read_u32_list(Cursor& c, std::vector<std::uint32_t>& out) {
    std::uint32_t count = 0;
    if (!read_u32(c, count)) return false;
    if (count > remaining(c) / 4) return false;
    out.resize(count);
    for (std::uint32_t& v : out) read_u32(c, v);
    return true;
}

struct Fault {
    LoadError error = LoadError::none;
    std::size_t offset = 0;
    explicit operator bool() const { return error != LoadError::none; }
};

Fault truncated_at(const Cursor& c) { return {LoadError::truncated, file_offset(c)}; }

Fault read_events(Cursor& c, std::span<const Handler> handlers, std::vector<EventBinding>& events) {
    std::uint32_t count = 0;
    if (!read_u32(c, count) || count > remaining(c) / 8) return truncated_at(c);
    events.resize(count);
    for (EventBinding& e : events) {
        const std::size_t at = file_offset(c);
        read_i32(c, e.event);
        read_i32(c, e.reference);
        if (e.reference == NO_HANDLER) continue;
        if (e.reference < 0 || static_cast<std::size_t>(e.reference) >= handlers.size())
            return {LoadError::bad_handler, at};
        e.handler = handlers[static_cast<std::size_t>(e.reference)];
    }
    return {};
}

// One record body, from kind to the end of the settings block. A field that runs past the
// body's end is a truncated record.
Fault read_record(Cursor& c, std::span<const Handler> handlers, UnitRecord& u) {
    if (!read_u32(c, u.kind) || !read_u32(c, u.event_source) || !skip(c, 16) ||
        !read_zero_terminated(c, u.name) || !read_zero_terminated(c, u.comment) ||
        !read_i32(c, u.stored_object_slot) || !read_i32(c, u.left) || !read_i32(c, u.top) ||
        !read_i32(c, u.width) || !read_i32(c, u.height) || !read_i32(c, u.stored_pointer_slot) ||
        !read_u32(c, u.parent) || !read_u32_list(c, u.children) ||
        !read_byte_field(c, u.mouse_pointer) || !read_zero_terminated(c, u.tag) ||
        !read_i32(c, u.reserved) || !read_u32(c, u.flags) || !read_i32(c, u.tab_order))
        return truncated_at(c);
    if (Fault f = read_events(c, handlers, u.events)) return f;
    if (!skip(c, 20)) return truncated_at(c);
    const auto rest = c.bytes.subspan(c.pos);
    u.settings.assign(rest.begin(), rest.end());
    c.pos = c.bytes.size();
    return {};
}

// --- invariants of a loaded table ---

bool valid_id(std::uint32_t id) { return (id & 0x00FFFFFF) != 0 && (id & 0x0F000000) != 0; }
// Menu items have records of another shape, which this program's forms never hold.
bool menu_item(std::uint32_t id) { return id >> 24 == 0x26; }

int kind_position(const WindowTemplate& t, std::uint32_t id, std::uint32_t kind) {
    const int p = t.position_of(id);
    return p >= 0 && t.units[static_cast<std::size_t>(p)].kind == kind ? p : -1;
}

// Follows `next` from every unit; returns a unit on a loop, or -1 when every walk ends.
template <typename Next>
int unit_on_loop(const WindowTemplate& t, Next next) {
    enum : std::uint8_t { unseen, on_path, ends };
    std::vector<std::uint8_t> state(t.units.size(), unseen);
    std::vector<int> path;
    for (std::size_t start = 0; start < t.units.size(); ++start) {
        int p = static_cast<int>(start);
        while (p >= 0 && state[static_cast<std::size_t>(p)] == unseen) {
            state[static_cast<std::size_t>(p)] = on_path;
            path.push_back(p);
            p = next(static_cast<std::size_t>(p));
        }
        if (p >= 0 && state[static_cast<std::size_t>(p)] == on_path) return p;
        for (int q : path) state[static_cast<std::size_t>(q)] = ends;
        path.clear();
    }
    return -1;
}

// Returns the list position of the first unit that breaks an invariant, or -1.
int broken_unit(const WindowTemplate& t) {
    const std::size_t n = t.units.size();
    if (n == 0) return 0;
    for (std::size_t i = 0; i < n; ++i) {
        const UnitRecord& u = t.units[i];
        if (!valid_id(u.id) || menu_item(u.id)) return static_cast<int>(i);
        if ((u.kind == KIND_WINDOW) != (i == 0)) return static_cast<int>(i);
    }
    for (std::size_t k = 1; k < t.by_id.size(); ++k)
        if (t.by_id[k].first == t.by_id[k - 1].first) return static_cast<int>(t.by_id[k].second);

    // Parents: 0 or a GroupBox of this window. The expected children of each GroupBox are the
    // units naming it, in list order.
    std::vector<std::vector<std::uint32_t>> expected(n);
    for (std::size_t i = 0; i < n; ++i) {
        const UnitRecord& u = t.units[i];
        if (u.parent == 0) continue;
        const int p = kind_position(t, u.parent, KIND_GROUP_BOX);
        if (p < 0) return static_cast<int>(i);
        expected[static_cast<std::size_t>(p)].push_back(u.id);
    }
    for (std::size_t i = 0; i < n; ++i)
        if (t.units[i].children != expected[i]) return static_cast<int>(i);

    // event_source: 0 or another unit of the same kind.
    for (std::size_t i = 0; i < n; ++i) {
        const UnitRecord& u = t.units[i];
        if (u.event_source != 0 && (u.event_source == u.id || kind_position(t, u.event_source, u.kind) < 0))
            return static_cast<int>(i);
    }

    // Neither the parent chains nor the event_source chains may loop.
    const int parent_loop = unit_on_loop(t, [&](std::size_t i) {
        return t.units[i].parent == 0 ? -1 : t.position_of(t.units[i].parent);
    });
    if (parent_loop >= 0) return parent_loop;
    return unit_on_loop(t, [&](std::size_t i) {
        return t.units[i].event_source == 0 ? -1 : t.position_of(t.units[i].event_source);
    });
}

// A window entry: its reserved fields and its unit table.
Fault read_window(Cursor& c, std::span<const Handler> handlers, WindowTemplate& t) {
    std::uint32_t count = 0, table_length = 0;
    if (!read_i32(c, t.reserved0) || !read_u32(c, t.reserved1) ||
        !read_text_field(c, t.reserved_text0) || !read_text_field(c, t.reserved_text1))
        return truncated_at(c);
    const std::size_t count_at = file_offset(c);
    if (!read_u32(c, count) || !read_u32(c, table_length)) return truncated_at(c);
    // When the data ends inside the table, the records that fit are still read (tools show them),
    // and whatever runs past the end is cut short rather than inconsistent.
    const bool table_cut = table_length > remaining(c);
    const auto overrun = [&](std::size_t at) {
        return Fault{table_cut ? LoadError::truncated : LoadError::inconsistent, at};
    };
    Cursor table;
    take_cursor(c, table_cut ? remaining(c) : table_length, table);
    if (count > table_length / 8) return {LoadError::inconsistent, count_at};

    Cursor ids, offsets, records;
    if (!take_cursor(table, 4 * std::size_t{count}, ids) || !take_cursor(table, 4 * std::size_t{count}, offsets) ||
        !take_cursor(table, remaining(table), records))
        return overrun(file_offset(table));

    std::vector<std::size_t> record_at;
    t.units.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        UnitRecord u;
        std::uint32_t offset = 0, body_size = 0;
        const std::size_t offset_at = file_offset(offsets);
        if (!read_u32(ids, u.id) || !read_u32(offsets, offset)) return {LoadError::inconsistent, offset_at};
        // Each record begins exactly where the previous one ended.
        if (offset != records.pos) return {LoadError::inconsistent, offset_at};
        record_at.push_back(file_offset(records));
        Cursor body;
        if (!read_u32(records, body_size) || !take_cursor(records, body_size, body))
            return overrun(record_at.back());
        if (Fault f = read_record(body, handlers, u)) return f;
        t.units.push_back(std::move(u));
    }
    if (table_cut) return truncated_at(c);
    if (remaining(records) != 0) return {LoadError::inconsistent, file_offset(records)};

    index_units(t);
    const int broken = broken_unit(t);
    if (broken >= 0) {
        const std::size_t at =
            static_cast<std::size_t>(broken) < record_at.size() ? record_at[static_cast<std::size_t>(broken)] : count_at;
        return {LoadError::inconsistent, at};
    }
    return {};
}

}  // namespace

void index_units(WindowTemplate& t) {
    t.by_id.clear();
    t.by_id.reserve(t.units.size());
    for (std::size_t i = 0; i < t.units.size(); ++i)
        t.by_id.emplace_back(t.units[i].id, static_cast<std::uint32_t>(i));
    std::sort(t.by_id.begin(), t.by_id.end());
}

int WindowTemplate::position_of(std::uint32_t unit_id) const {
    const auto it = std::lower_bound(by_id.begin(), by_id.end(), std::pair<std::uint32_t, std::uint32_t>{unit_id, 0});
    if (it == by_id.end() || it->first != unit_id || it->second >= units.size()) return -1;
    return static_cast<int>(it->second);
}

const UnitRecord* WindowTemplate::find(std::uint32_t unit_id) const {
    const int p = position_of(unit_id);
    return p < 0 ? nullptr : &units[static_cast<std::size_t>(p)];
}

UnitRecord* WindowTemplate::find(std::uint32_t unit_id) {
    const int p = position_of(unit_id);
    return p < 0 ? nullptr : &units[static_cast<std::size_t>(p)];
}

WindowTemplate* FormData::find(std::uint32_t window_id) {
    for (WindowTemplate& t : windows)
        if (t.window_id == window_id) return &t;
    return nullptr;
}

LoadResult load_form(std::span<const std::uint8_t> bytes, std::span<const Handler> handlers) {
    LoadResult result;
    auto fail = [&](Fault f) {
        result.error = f.error;
        result.offset = f.offset;
        return std::move(result);
    };
    Cursor c{bytes, 0, 0};
    std::uint32_t list_length = 0;
    if (!read_u32(c, list_length)) return fail(truncated_at(c));
    if (list_length % 8 != 0) return fail({LoadError::inconsistent, 0});
    Cursor ids, placeholders;
    const std::size_t count = list_length / 8;
    if (!take_cursor(c, 4 * count, ids) || !take_cursor(c, 4 * count, placeholders))
        return fail(truncated_at(c));

    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t id_at = file_offset(ids);
        std::uint32_t id = 0;
        if (!read_u32(ids, id)) return fail(truncated_at(ids));
        if (result.form.find(id)) return fail({LoadError::inconsistent, id_at});
        // What has been read stays in the result even on failure, for tools that show it.
        WindowTemplate& t = result.form.windows.emplace_back();
        t.window_id = id;
        const Fault f = read_window(c, handlers, t);
        index_units(t);
        if (f) return fail(f);
    }
    if (remaining(c) != 0) return fail({LoadError::inconsistent, file_offset(c)});
    return result;
}

}  // namespace form
