// Random user sessions: actions drawn from a seed, played on the real program in the sim and
// on the reference model side by side, compared after every action, and shrunk on failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "random/model.h"

namespace random_sessions {

enum class Op : std::uint8_t {
    click,                 // a mouse click on a member of the focus ring
    click_and_type,        // click an edit field, then type at the keyboard
    type_direct,           // characters sent straight to a field, the focus left where it is
    replace,               // select a field's whole text and type over it
    type_at_focus,         // type at the keyboard wherever the focus is
    key,                   // one key press
    hold_clipboard,        // another program opens the clipboard and keeps it open
    release_clipboard,     // ... and closes it again
    other_program_copies,  // another program puts data on the clipboard
    switch_away,           // another program takes the activation, then the user comes back
    close_button,          // the window's close button
};

struct Action {
    Op op = Op::click;
    int target = 0;            // ring position, or model::Field for the typing actions
    std::string text;          // GBK bytes typed, or the other program's clipboard bytes
    std::uint32_t vk = 0;      // key
    bool shift = false;        // key
    std::uint32_t format = 0;  // other_program_copies
};

// A small generator defined here to the bit, so that a seed means the same actions everywhere.
struct Rng {
    std::uint64_t state;
    std::uint64_t next();
    std::uint32_t below(std::uint32_t n);  // 0 .. n-1
};

std::vector<Action> generate(std::uint64_t seed, std::size_t count);

// Where the program and the model first disagreed.
struct Failure {
    std::size_t index = 0;  // of the action after which the check failed
    std::string kind;       // what disagreed, e.g. "text of 复制1"; shrinking keeps it
    std::string detail;     // readable (UTF-8)
};

// What a session went through, to show that the actions reach what they are meant to.
struct Stats {
    std::size_t by_op[std::size_t(Op::close_button) + 1] = {};
    std::size_t presses[std::size_t(model::Role::check_remove) + 1] = {};  // by click or Space
    std::size_t copies_refused = 0;  // 复制 pressed while another program held the clipboard
    std::size_t radio_arrows = 0;    // arrow keys that moved the radio check
    std::size_t enter_new_lines = 0;
    std::size_t typed_into_button = 0;  // typing at the keyboard with a button focused
    std::size_t restarts = 0;
    std::size_t longest[model::FIELD_COUNT] = {};
    std::string summary() const;
};

struct Options {
    // Changes the model's expectation after an action; lets a test plant a disagreement.
    std::function<void(model::State&, const Action&)> tamper;
    Stats* stats = nullptr;
};

std::optional<Failure> play(const std::vector<Action>& actions, const Options& options = {});

// Delta debugging: drops chunks, then single actions, while the same kind of failure stays.
struct Shrunk {
    std::vector<Action> actions;
    Failure failure;
    std::size_t replays = 0;
    bool out_of_time = false;  // stopped at the deadline: the list may not be minimal
};
Shrunk shrink(std::vector<Action> actions, const Failure& failure, const Options& options,
              double budget_seconds);

// A monotonic clock in seconds (<chrono> cannot be compiled with the GBK execution charset).
double now_seconds();

// --- printing, in UTF-8 ---
std::string readable_name(std::string_view gbk);  // GBK to UTF-8, line breaks escaped
std::string readable(std::string_view gbk);       // the same in quotes
std::string describe(const Action& a);
std::string listing(const std::vector<Action>& actions);

}  // namespace random_sessions
