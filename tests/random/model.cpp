// The reference model: the command catalogue as rows, the focus ring as a list, and what the
// system's controls do with clicks, keys and typed characters.
#include "random/model.h"

#include <array>

namespace model {

namespace {

constexpr const char* FIELD_NAMES[FIELD_COUNT] = {"领地名2", "玩家名", "消息4", "复制1"};

// The focus ring, first to last. Commands carry their literals; the field of a one-field
// command is the one it reads.
const std::array<Member, RING_SIZE> RING = {{
    {"复制1", Role::edit, OUTPUT, nullptr, nullptr},
    {"复制11", Role::copy, OUTPUT, nullptr, nullptr},
    {"领地名2", Role::edit, TERRITORY, nullptr, nullptr},
    {"创建领地", Role::one_field_command, TERRITORY, "/res create ", nullptr},
    {"以自身为中心创建最大领地", Role::one_field_command, TERRITORY, "/res auto ", nullptr},
    {"玩家名", Role::edit, PLAYER, nullptr, nullptr},
    {"给玩家添加领地基础权限", Role::two_field_command, TERRITORY, "/res padd ", nullptr},
    {"删除玩家领地基础权限", Role::two_field_command, TERRITORY, "/res pdel ", nullptr},
    {"给予玩家领地", Role::two_field_command, TERRITORY, "/res give ", nullptr},
    {"显示领地信息", Role::one_field_command, TERRITORY, "/res info ", nullptr},
    {"加入", Role::radio_join, TERRITORY, nullptr, nullptr},
    {"离开", Role::radio_leave, TERRITORY, nullptr, nullptr},
    {"消息4", Role::edit, MESSAGE, nullptr, nullptr},
    {"生成", Role::generate, TERRITORY, nullptr, nullptr},
    {"移除消息", Role::check_remove, TERRITORY, nullptr, nullptr},
    {"删除领地", Role::one_field_command, TERRITORY, "/res remove ", nullptr},
    {"加入领地聊天频道", Role::one_field_command, TERRITORY, "/res rc ", nullptr},
    {"传送到领地", Role::one_field_command, TERRITORY, "/res tp ", nullptr},
    {"重置领地所有权限", Role::one_field_command, TERRITORY, "/res reset ", nullptr},
    {"设置领地传送点", Role::fixed_command, TERRITORY, "/res tpset", nullptr},
    {"设置领地权限", Role::fixed_command, TERRITORY, "/res set", nullptr},
    {"显示领地边界", Role::fixed_command, TERRITORY, "/res show", nullptr},
    {"列出所有领地", Role::fixed_command, TERRITORY, "/res listall", nullptr},
    {"查看领地", Role::fixed_command, TERRITORY, "/res", nullptr},
    {"显示领地限制", Role::fixed_command, TERRITORY, "/res limits", nullptr},
    {"查看圈地领地大小和金钱", Role::fixed_command, TERRITORY, "/res select size", nullptr},
    {"传送世界上随机位置", Role::fixed_command, TERRITORY, "/res rt", nullptr},
    {"查看权限列表", Role::two_field_command, TERRITORY, "/res pset ", nullptr},
    {"查看权限列表1", Role::two_field_command, TERRITORY, "/res pset ", " removeall"},
    {"查看玩家所有领地", Role::one_field_command, PLAYER, "/res list ", nullptr},
}};

bool is_lead_byte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

std::size_t previous_char_start(const std::string& text, std::size_t pos) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < pos; i += char_length(text, i)) start = i;
    return start;
}

// Replaces the selection with `bytes` and leaves the caret after them.
void insert(Edit& e, std::string_view bytes) {
    e.text.replace(e.sel_start, e.sel_end - e.sel_start, bytes);
    e.sel_start = e.sel_end = e.sel_start + bytes.size();
}

// A command write replaces the whole text; the system puts the caret at the start.
void write_output(State& s, const std::string& text) {
    s.fields[OUTPUT].text = text;
    s.fields[OUTPUT].sel_start = s.fields[OUTPUT].sel_end = 0;
}

const std::string& text_of(const State& s, Field f) { return s.fields[f].text; }

void copy_output(State& s) {
    if (s.clipboard_held) return;  // the open fails: nothing changes, nothing is emptied
    s.clipboard.clear();
    s.clipboard[CF_TEXT] = text_of(s, OUTPUT) + '\0';
}

// The edit field that has the focus, or FIELD_COUNT.
Field focused_field(const State& s) {
    const Member& m = RING[std::size_t(s.focus)];
    return m.role == Role::edit ? m.field : FIELD_COUNT;
}

}  // namespace

const char* field_name(Field f) { return FIELD_NAMES[f]; }
bool multi_line(Field f) { return f == MESSAGE || f == OUTPUT; }

const Member& member(int index) { return RING[std::size_t(index)]; }

int member_index(std::string_view name) {
    for (int i = 0; i < RING_SIZE; ++i)
        if (name == RING[std::size_t(i)].name) return i;
    return -1;
}

int field_member(Field f) { return member_index(FIELD_NAMES[f]); }

std::size_t char_length(std::string_view bytes, std::size_t at) {
    if (at + 1 < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[at]);
        if (is_lead_byte(c) || (bytes[at] == '\r' && bytes[at + 1] == '\n')) return 2;
    }
    return 1;
}

bool is_line_break(std::string_view ch) { return ch == "\r\n" || ch == "\r" || ch == "\n"; }

State opened(const State& previous) {
    State s;
    s.clipboard = previous.clipboard;
    s.clipboard_held = previous.clipboard_held;
    return s;
}

std::string command_of(const State& s, int index) {
    const Member& m = RING[std::size_t(index)];
    switch (m.role) {
    case Role::fixed_command: return m.literal;
    case Role::one_field_command: return m.literal + text_of(s, m.field);
    case Role::two_field_command:
        return m.literal + text_of(s, TERRITORY) + " " + text_of(s, PLAYER) +
               (m.trailing != nullptr ? m.trailing : "");
    default: return {};
    }
}

bool message_command(const State& s, std::string* out) {
    const std::string head = "/res message " + text_of(s, TERRITORY);
    if (s.join && !s.remove) *out = head + " enter " + text_of(s, MESSAGE);
    else if (s.leave && !s.remove) *out = head + " leave " + text_of(s, MESSAGE);
    else if (s.remove && s.join) *out = head + " remove enter";
    else if (s.remove && s.leave) *out = head + " remove leave";
    else return false;
    return true;
}

void press(State& s, int index) {
    const Member& m = RING[std::size_t(index)];
    switch (m.role) {
    case Role::edit: return;
    case Role::fixed_command:
    case Role::one_field_command:
    case Role::two_field_command: return write_output(s, command_of(s, index));
    case Role::generate: {
        std::string command;
        if (message_command(s, &command)) write_output(s, command);
        return;
    }
    case Role::copy: return copy_output(s);
    // Automatic radio buttons of one group: the one pressed is checked, the other not.
    case Role::radio_join:
        s.join = true;
        s.leave = false;
        return;
    case Role::radio_leave:
        s.leave = true;
        s.join = false;
        return;
    case Role::check_remove:
        s.remove = !s.remove;
        return;
    }
}

void click(State& s, int index) {
    s.focus = index;
    press(s, index);
}

void type(State& s, Field f, std::string_view bytes) {
    Edit& e = s.fields[f];
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t n = char_length(bytes, i);
        const std::string_view ch = bytes.substr(i, n);
        i += n;
        if (is_line_break(ch)) {
            if (multi_line(f)) insert(e, "\r\n");  // a single-line field ignores Enter
            continue;
        }
        if (ch == "\b") {
            backspace(s, f);
            continue;
        }
        const auto c = static_cast<unsigned char>(ch[0]);
        if (ch.size() == 1 && (c < 0x20 || c == 0x7F)) continue;
        insert(e, ch);
    }
}

// Deletes the selection, or else the character before the caret (a pair or a line break as one).
void backspace(State& s, Field f) {
    Edit& e = s.fields[f];
    std::size_t from = e.sel_start;
    const std::size_t to = e.sel_end;
    if (from == to) {
        if (from == 0) return;
        from = previous_char_start(e.text, from);
    }
    e.text.erase(from, to - from);
    e.sel_start = e.sel_end = from;
}

void select_all(State& s, Field f) {
    s.fields[f].sel_start = 0;
    s.fields[f].sel_end = s.fields[f].text.size();
}

void tab(State& s, bool backwards) {
    s.focus = (s.focus + (backwards ? RING_SIZE - 1 : 1)) % RING_SIZE;
}

// Between the two radio buttons of 分组框12 the arrows wrap either way; on any other control
// they go to the control, and neither buttons nor edit fields here do anything with them.
void arrow(State& s, bool /*forwards*/) {
    const Role r = RING[std::size_t(s.focus)].role;
    if (r != Role::radio_join && r != Role::radio_leave) return;
    const bool to_join = r == Role::radio_leave;  // two members: either direction reaches the other
    s.join = to_join;
    s.leave = !to_join;
    s.focus = member_index(to_join ? "加入" : "离开");
}

// Only the multi-line fields take Enter, as a new line; nothing else here acts on it.
void key_enter(State& s) {
    const Field f = focused_field(s);
    if (f != FIELD_COUNT && multi_line(f)) type(s, f, "\r\n");
}

void key_space(State& s) {
    const Field f = focused_field(s);
    if (f != FIELD_COUNT) type(s, f, " ");
    else press(s, s.focus);
}

void key_backspace(State& s) {
    const Field f = focused_field(s);
    if (f != FIELD_COUNT) backspace(s, f);
}

// Characters typed at the keyboard: printable ones go to the focused field (a button takes
// none), a line break is the Enter key.
void type_at_focus(State& s, std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t n = char_length(bytes, i);
        const std::string_view ch = bytes.substr(i, n);
        i += n;
        if (is_line_break(ch)) key_enter(s);
        else if (ch == "\b") key_backspace(s);
        else if (const Field f = focused_field(s); f != FIELD_COUNT) type(s, f, ch);
    }
}

void close_window(State& s) { s.open = false; }

}  // namespace model
