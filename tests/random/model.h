// A reference model of MainWindow as its user sees it: four texts with their selections, three
// check states, the focus in the ring of 30 controls, and the clipboard. Written from the
// command tables and the keyboard rules alone; it shares no code with the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace model {

// The four edit fields, by their form names.
enum Field : int { TERRITORY, PLAYER, MESSAGE, OUTPUT, FIELD_COUNT };  // 领地名2 玩家名 消息4 复制1
const char* field_name(Field f);  // GBK
bool multi_line(Field f);

// What a member of the focus ring is, and what pressing it does.
enum class Role { edit, fixed_command, one_field_command, two_field_command, generate, copy,
                  radio_join, radio_leave, check_remove };

struct Member {
    const char* name;  // GBK
    Role role;
    Field field;             // edit: which field; one-field command: the field read
    const char* literal;     // commands: the leading literal
    const char* trailing;    // two-field commands: the literal after the player name, or null
};

inline constexpr int RING_SIZE = 30;
const Member& member(int index);  // ring order, 0 is 复制1
int member_index(std::string_view name);  // -1 when no member has that name
int field_member(Field f);                 // the ring position of an edit field

struct Edit {
    std::string text;
    std::size_t sel_start = 0, sel_end = 0;  // sel_start <= sel_end; equal: the caret
};

inline constexpr std::uint32_t CF_TEXT = 1;

struct State {
    bool open = true;
    Edit fields[FIELD_COUNT];
    bool join = true, leave = false, remove = false;
    int focus = 0;  // ring position
    // Outlive the window: they belong to the system.
    std::map<std::uint32_t, std::string> clipboard;  // format -> block bytes
    bool clipboard_held = false;                     // another program has it open
};

// A fresh window on a system whose clipboard is as `previous` left it.
State opened(const State& previous);

// --- what the user does ---
void click(State& s, int member);  // a mouse click: buttons and fields take the focus
void press(State& s, int member);  // what a button does when clicked or pressed with Space
void type(State& s, Field f, std::string_view bytes);  // characters arriving at the field
void backspace(State& s, Field f);
void select_all(State& s, Field f);
void tab(State& s, bool backwards);
void arrow(State& s, bool forwards);
void key_enter(State& s);
void key_space(State& s);
void key_backspace(State& s);
void type_at_focus(State& s, std::string_view bytes);
void close_window(State& s);

// --- the commands themselves, for checking the model against the tables ---
std::string command_of(const State& s, int member);  // what a command button writes
// The 生成 decision; false when it writes nothing.
bool message_command(const State& s, std::string* out);

// Splits typed bytes into characters: a GBK pair, a line break ("\r\n", "\r" or "\n"), or a
// single byte.
std::size_t char_length(std::string_view bytes, std::size_t at);
bool is_line_break(std::string_view ch);

}  // namespace model
