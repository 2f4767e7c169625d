// Playing actions on the program and on the model, comparing them, and shrinking a failure.
#include "random/runner.h"

#include <iconv.h>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <exception>
#include <initializer_list>
#include <iterator>
#include <memory>

#include "support/session.h"
#include "toolkit/sim/sim.h"

namespace random_sessions {

namespace {

using testing_support::Session;

// --- generation ---------------------------------------------------------------------------

// One typed character: printable ASCII, a space, a two-byte GBK character or a line break.
// Trail bytes span the whole GBK range, 0x40-0x7E included, where they look like ASCII.
void add_char(Rng& r, std::string& out) {
    const std::uint32_t pick = r.below(100);
    if (pick < 45) {
        out += char(0x21 + r.below(0x7E - 0x21 + 1));
    } else if (pick < 60) {
        out += ' ';
    } else if (pick < 90) {
        unsigned lead, trail;
        if (r.below(10) < 7) {  // the common characters of GB2312
            lead = 0xB0 + r.below(0xF7 - 0xB0 + 1);
            trail = 0xA1 + r.below(0xFE - 0xA1 + 1);
        } else {
            lead = 0x81 + r.below(0xFE - 0x81 + 1);
            trail = 0x40 + r.below(0xFE - 0x40);  // 0x40-0x7E or 0x80-0xFE: 0x7F is no trail byte
            if (trail >= 0x7F) ++trail;
        }
        out += char(lead);
        out += char(trail);
    } else {
        const std::uint32_t k = r.below(10);
        out += k < 6 ? "\r\n" : k < 8 ? "\n" : "\r";
    }
}

std::string random_text(Rng& r, std::uint32_t max_chars) {
    std::string s;
    const std::uint32_t n = 1 + r.below(max_chars);
    for (std::uint32_t i = 0; i < n; ++i) add_char(r, s);
    return s;
}

int ring_of(const char* name) { return model::member_index(name); }

struct Weighted {
    std::uint32_t weight;
    void (*make)(Rng&, Action&);
};

void command_click(Rng& r, Action& a) {
    // The 21 command buttons: every ring member whose role composes a command.
    static const std::vector<int> commands = [] {
        std::vector<int> v;
        for (int i = 0; i < model::RING_SIZE; ++i) {
            const model::Role role = model::member(i).role;
            if (role == model::Role::fixed_command || role == model::Role::one_field_command ||
                role == model::Role::two_field_command)
                v.push_back(i);
        }
        return v;
    }();
    a.op = Op::click;
    a.target = commands[r.below(std::uint32_t(commands.size()))];
}

void pick_field(Rng& r, Action& a) { a.target = int(r.below(model::FIELD_COUNT)); }

void key(Action& a, std::uint32_t vk, bool shift = false) {
    a.op = Op::key;
    a.vk = vk;
    a.shift = shift;
}

const Weighted kinds[] = {
    {200, command_click},
    {40, [](Rng&, Action& a) { a.op = Op::click; a.target = ring_of("生成"); }},
    {50, [](Rng&, Action& a) { a.op = Op::click; a.target = ring_of("复制11"); }},
    {30, [](Rng& r, Action& a) { a.op = Op::click; a.target = ring_of(r.below(2) ? "加入" : "离开"); }},
    {20, [](Rng&, Action& a) { a.op = Op::click; a.target = ring_of("移除消息"); }},
    {20, [](Rng& r, Action& a) {
         a.op = Op::click;
         a.target = model::field_member(model::Field(r.below(model::FIELD_COUNT)));
     }},
    {120, [](Rng& r, Action& a) { a.op = Op::click_and_type; pick_field(r, a); a.text = random_text(r, 8); }},
    {80, [](Rng& r, Action& a) { a.op = Op::type_direct; pick_field(r, a); a.text = random_text(r, 8); }},
    {60, [](Rng& r, Action& a) {
         a.op = Op::replace;
         pick_field(r, a);
         if (r.below(8) != 0) a.text = random_text(r, 10);
     }},
    {60, [](Rng& r, Action& a) { a.op = Op::type_at_focus; a.text = random_text(r, 6); }},
    {60, [](Rng&, Action& a) { key(a, tk::VK_TAB_); }},
    {40, [](Rng&, Action& a) { key(a, tk::VK_TAB_, true); }},
    {50, [](Rng& r, Action& a) {
         static const std::uint32_t arrows[] = {tk::VK_LEFT_, tk::VK_UP_, tk::VK_RIGHT_, tk::VK_DOWN_};
         key(a, arrows[r.below(4)]);
     }},
    {30, [](Rng&, Action& a) { key(a, tk::VK_RETURN_); }},
    {40, [](Rng&, Action& a) { key(a, tk::VK_SPACE_); }},
    {40, [](Rng&, Action& a) { key(a, tk::VK_BACK_); }},
    {1, [](Rng&, Action& a) { key(a, tk::VK_ESCAPE_); }},
    {1, [](Rng&, Action& a) { a.op = Op::close_button; }},
    {5, [](Rng&, Action& a) { a.op = Op::hold_clipboard; }},
    {15, [](Rng&, Action& a) { a.op = Op::release_clipboard; }},
    {10, [](Rng& r, Action& a) {
         a.op = Op::other_program_copies;
         // Plain text with its zero, or some bytes in CF_UNICODETEXT (13).
         if (r.below(3) != 0) {
             a.format = model::CF_TEXT;
             a.text = random_text(r, 6) + '\0';
         } else {
             a.format = 13;
             a.text = std::string("h\0i\0\0\0", 6);
         }
     }},
    {10, [](Rng&, Action& a) { a.op = Op::switch_away; }},
};

// --- the two sides ------------------------------------------------------------------------

const char* name_of(const Action& a) {
    switch (a.op) {
    case Op::click: return model::member(a.target).name;
    case Op::click_and_type:
    case Op::type_direct:
    case Op::replace: return model::field_name(model::Field(a.target));
    default: return "";
    }
}

void apply_to_model(model::State& m, const Action& a) {
    const auto field = model::Field(a.target);
    switch (a.op) {
    case Op::click: return model::click(m, a.target);
    case Op::click_and_type:
        model::click(m, model::field_member(field));
        return model::type_at_focus(m, a.text);
    case Op::type_direct: return model::type(m, field, a.text);
    case Op::replace:
        model::select_all(m, field);
        if (a.text.empty()) return model::backspace(m, field);
        return model::type(m, field, a.text);
    case Op::type_at_focus: return model::type_at_focus(m, a.text);
    case Op::key:
        switch (a.vk) {
        case tk::VK_TAB_: return model::tab(m, a.shift);
        case tk::VK_LEFT_:
        case tk::VK_UP_: return model::arrow(m, false);
        case tk::VK_RIGHT_:
        case tk::VK_DOWN_: return model::arrow(m, true);
        case tk::VK_RETURN_: return model::key_enter(m);
        case tk::VK_SPACE_: return model::key_space(m);
        case tk::VK_BACK_: return model::key_backspace(m);
        case tk::VK_ESCAPE_: return model::close_window(m);
        default: return;
        }
    case Op::hold_clipboard: m.clipboard_held = true; return;
    case Op::release_clipboard: m.clipboard_held = false; return;
    case Op::other_program_copies: m.clipboard[a.format] = a.text; return;
    case Op::switch_away: return;  // the focus comes back to where it was
    case Op::close_button: return model::close_window(m);
    }
}

void apply_to_program(Session& s, const Action& a) {
    switch (a.op) {
    case Op::click: s.click(name_of(a)); return;
    case Op::click_and_type:
        s.click(name_of(a));
        s.sim.type_chars(a.text);
        return;
    case Op::type_direct: s.sim.type_text(s.handle(name_of(a)), a.text); return;
    case Op::replace: s.type_into(name_of(a), a.text); return;
    case Op::type_at_focus: s.sim.type_chars(a.text); return;
    case Op::key: s.sim.press_key(a.vk, tk::Keys{a.shift, false, false}); return;
    case Op::hold_clipboard: s.sim.hold_clipboard(true); return;
    case Op::release_clipboard: s.sim.hold_clipboard(false); return;
    case Op::other_program_copies: s.sim.put_clipboard(a.format, a.text); return;
    case Op::switch_away:
        s.sim.deactivate(s.window());
        s.sim.activate(s.window());
        return;
    case Op::close_button: s.sim.close(s.window()); return;
    }
}

// --- comparing ----------------------------------------------------------------------------

struct Mismatch {
    std::string kind, detail;
};

std::string quoted_or_none(const std::optional<std::string>& bytes) {
    return bytes ? readable(*bytes) : std::string("(none)");
}

// Values are compared as they are and made readable only when they differ.
std::optional<Mismatch> differ(const char* what, std::string_view name, const std::string& program,
                               const std::string& expected, bool text = false) {
    if (program == expected) return std::nullopt;
    std::string kind = what;
    if (!name.empty()) {
        kind += ' ';
        kind += readable_name(name);
    }
    const std::string p = text ? readable(program) : readable_name(program);
    const std::string e = text ? readable(expected) : readable_name(expected);
    return Mismatch{kind, kind + ": the program has " + p + ", the model expects " + e};
}

// The system-side invariants that hold between any two actions: every Text released exactly
// once, the clipboard closed again, no block left with the program, no fatal error.
std::optional<Mismatch> check_resources(Session& s) {
    const sim::SimToolkit& sim = s.sim;
    if (sim.live_blocks() != 0)
        return Mismatch{"heap", "heap: " + std::to_string(sim.live_blocks()) + " Text blocks still live"};
    if (!sim.heap_faults().empty())
        return Mismatch{"heap", "heap: " + std::to_string(sim.heap_faults().size()) +
                                    " bad releases (double, foreign or null)"};
    if (sim.clipboard_open()) return Mismatch{"clipboard", "clipboard: left open"};
    if (!sim.clipboard_faults().empty())
        return Mismatch{"clipboard", "clipboard: " + sim.clipboard_faults().front()};
    // Counting the blocks walks all of them ever made: only after the clipboard was touched.
    if (!s.sim.clipboard_log().empty()) {
        if (sim.live_program_blocks() != 0)
            return Mismatch{"clipboard", "clipboard: a global block was not handed over"};
        s.sim.clear_clipboard_log();
    }
    if (!sim.message_boxes().empty())
        return Mismatch{"fatal error", "fatal error: " + readable(sim.message_boxes().front().text)};
    if (!sim.resource_faults().empty())
        return Mismatch{"resources", "resources: " + sim.resource_faults().front()};
    return std::nullopt;
}

std::optional<Mismatch> compare(Session& s, const model::State& m) {
    const bool open = s.window() != nullptr;
    if (open != m.open)
        return Mismatch{"window", std::string("window: the program's is ") + (open ? "open" : "closed") +
                                      ", the model's " + (m.open ? "open" : "closed")};
    if (m.open) {
        for (int f = 0; f < model::FIELD_COUNT; ++f) {
            const char* name = model::field_name(model::Field(f));
            const model::Edit& e = m.fields[f];
            if (auto d = differ("text of", name, s.text_of(name), e.text, true)) return d;
            const sim::Object* o = s.sim.object(s.handle(name));
            if (std::size_t(o->selection_start) != e.sel_start || std::size_t(o->selection_end) != e.sel_end)
                return differ("selection of", name,
                              std::to_string(o->selection_start) + ".." + std::to_string(o->selection_end),
                              std::to_string(e.sel_start) + ".." + std::to_string(e.sel_end));
        }
        const std::pair<const char*, bool> checks[] = {
            {"加入", m.join}, {"离开", m.leave}, {"移除消息", m.remove}};
        for (const auto& [name, checked] : checks)
            if (s.check_of(name) != (checked ? 1 : 0))
                return differ("check state of", name, std::to_string(s.check_of(name)),
                              std::to_string(checked ? 1 : 0));
        if (auto d = differ("focus", "", s.focused_name(), model::member(m.focus).name)) return d;
    }
    const std::optional<std::string> program_text = s.sim.clipboard_bytes(model::CF_TEXT);
    const auto expected_text = m.clipboard.find(model::CF_TEXT);
    const bool same_text = program_text ? expected_text != m.clipboard.end() && *program_text == expected_text->second
                                        : expected_text == m.clipboard.end();
    if (!same_text) {
        const std::string p = quoted_or_none(program_text);
        const std::string e = expected_text != m.clipboard.end() ? readable(expected_text->second) : "(none)";
        return Mismatch{"clipboard text", "clipboard text: the program left " + p + ", the model expects " + e};
    }
    std::vector<std::uint32_t> expected_formats;
    for (const auto& entry : m.clipboard) expected_formats.push_back(entry.first);
    const std::vector<std::uint32_t> formats = s.sim.clipboard_formats();
    if (formats != expected_formats) {
        std::string p, e;
        for (std::uint32_t f : formats) (p += ' ') += std::to_string(f);
        for (std::uint32_t f : expected_formats) (e += ' ') += std::to_string(f);
        return Mismatch{"clipboard formats", "clipboard formats: the program left {" + p + " }, the model expects {" + e + " }"};
    }
    return check_resources(s);
}

void count(Stats& st, const model::State& before, const model::State& after, const Action& a) {
    ++st.by_op[std::size_t(a.op)];
    const model::Role focused = model::member(before.focus).role;
    int pressed = -1;
    if (a.op == Op::click) pressed = a.target;
    if (a.op == Op::key && a.vk == tk::VK_SPACE_ && focused != model::Role::edit) pressed = before.focus;
    if (pressed >= 0 && model::member(pressed).role != model::Role::edit) {
        ++st.presses[std::size_t(model::member(pressed).role)];
        if (model::member(pressed).role == model::Role::copy && before.clipboard_held) ++st.copies_refused;
    }
    if (a.op == Op::key && (a.vk == tk::VK_LEFT_ || a.vk == tk::VK_RIGHT_ || a.vk == tk::VK_UP_ ||
                            a.vk == tk::VK_DOWN_) &&
        (focused == model::Role::radio_join || focused == model::Role::radio_leave))
        ++st.radio_arrows;
    if (a.op == Op::key && a.vk == tk::VK_RETURN_ && focused == model::Role::edit &&
        model::multi_line(model::member(before.focus).field))
        ++st.enter_new_lines;
    if (a.op == Op::type_at_focus && focused != model::Role::edit) ++st.typed_into_button;
    if (!after.open) ++st.restarts;
    for (int f = 0; f < model::FIELD_COUNT; ++f)
        st.longest[f] = std::max(st.longest[f], after.fields[f].text.size());
}

// Appends the words with a space before each; also keeps GCC 12 from a false -Wrestrict on
// `" " + std::string` chains.
void put(std::string& out, std::initializer_list<std::string_view> words) {
    for (std::string_view w : words) {
        out += ' ';
        out += w;
    }
}

}  // namespace

std::string Stats::summary() const {
    static const char* const ops[] = {"click", "click+type", "type straight", "replace", "type at focus", "key",
                                      "hold clipboard", "release clipboard", "other program copies",
                                      "switch away", "close button"};
    static const char* const roles[] = {"", "fixed", "one-field", "two-field", "生成", "复制",
                                        "加入", "离开", "移除消息"};
    static_assert(std::size(ops) == std::size(decltype(by_op){}));
    static_assert(std::size(roles) == std::size(decltype(presses){}));
    std::string out = "  actions:";
    for (std::size_t i = 0; i < std::size(ops); ++i) put(out, {ops[i], std::to_string(by_op[i]) + ","});
    out += "\n  buttons pressed:";
    for (std::size_t i = 1; i < std::size(roles); ++i)
        put(out, {readable_name(roles[i]), std::to_string(presses[i]) + ","});
    out += "\n ";
    put(out, {"copies refused (clipboard held)", std::to_string(copies_refused) + ",", "radio moves by arrow",
              std::to_string(radio_arrows) + ",", "Enter as new line", std::to_string(enter_new_lines) + ",",
              "typing with a button focused", std::to_string(typed_into_button) + ",", "restarts",
              std::to_string(restarts)});
    out += "\n  longest text (bytes):";
    for (int f = 0; f < model::FIELD_COUNT; ++f)
        put(out, {readable_name(model::field_name(model::Field(f))), std::to_string(longest[f])});
    out += '\n';
    return out;
}

// --- generation ---------------------------------------------------------------------------

// splitmix64: tiny, and the same on every platform, unlike the standard distributions.
std::uint64_t Rng::next() {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::uint32_t Rng::below(std::uint32_t n) { return std::uint32_t((next() >> 32) * n >> 32); }

std::vector<Action> generate(std::uint64_t seed, std::size_t count) {
    Rng r{seed};
    std::uint32_t total = 0;
    for (const Weighted& k : kinds) total += k.weight;
    std::vector<Action> actions(count);
    for (Action& a : actions) {
        std::uint32_t pick = r.below(total);
        for (const Weighted& k : kinds) {
            if (pick < k.weight) {
                k.make(r, a);
                break;
            }
            pick -= k.weight;
        }
    }
    return actions;
}

// --- playing ------------------------------------------------------------------------------

// A new system for each start of the program, since the sim's windows are never reclaimed;
// the clipboard, which outlives the program, is carried over as the model knows it.
std::unique_ptr<Session> new_system(const model::State& m) {
    auto s = std::make_unique<Session>();
    for (const auto& [format, bytes] : m.clipboard) s->sim.put_clipboard(format, bytes);
    s->sim.hold_clipboard(m.clipboard_held);
    return s;
}

std::optional<Failure> play(const std::vector<Action>& actions, const Options& options) {
    std::size_t i = 0;
    auto fail = [&i](std::string kind, std::string detail) {
        return Failure{i, std::move(kind), std::move(detail)};
    };
    try {
        model::State m;
        std::unique_ptr<Session> s = new_system(m);
        if (auto d = compare(*s, m)) return fail(d->kind, "at start: " + d->detail);
        for (; i < actions.size(); ++i) {
            const Action& a = actions[i];
            model::State before;
            if (options.stats) before = m;
            apply_to_program(*s, a);
            apply_to_model(m, a);
            if (options.stats) count(*options.stats, before, m, a);
            if (options.tamper) options.tamper(m, a);
            if (auto d = compare(*s, m)) return fail(d->kind, d->detail);
            if (!m.open) {
                // The window is gone: the program ends, and the user starts it again.
                testing_support::stop_program();
                if (auto d = check_resources(*s)) return fail(d->kind, "after the end: " + d->detail);
                s.reset();
                m = model::opened(m);
                s = new_system(m);
                if (auto d = compare(*s, m)) return fail(d->kind, "after a new start: " + d->detail);
            }
        }
        // The end of the session: the user closes the window.
        s->sim.close(s->window());
        testing_support::stop_program();
        if (auto d = check_resources(*s)) return fail(d->kind, "at the end: " + d->detail);
    } catch (const sim::ProcessExit& e) {
        return fail("exit", "the program exited with code " + std::to_string(e.code));
    } catch (const std::exception& e) {
        return fail("exception", std::string("exception: ") + e.what());
    }
    return std::nullopt;
}

// --- shrinking ----------------------------------------------------------------------------

double now_seconds() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

Shrunk shrink(std::vector<Action> actions, const Failure& failure, const Options& options,
              double budget_seconds) {
    const double deadline = now_seconds() + budget_seconds;
    Shrunk out;
    out.failure = failure;
    // Nothing after the failing action matters.
    if (failure.index + 1 < actions.size()) actions.resize(failure.index + 1);
    auto still_fails = [&](std::vector<Action>& candidate) {
        ++out.replays;
        std::optional<Failure> f = play(candidate, options);
        if (!f || f->kind != failure.kind) return false;
        if (f->index + 1 < candidate.size()) candidate.resize(f->index + 1);
        out.failure = *f;
        return true;
    };
    std::size_t n = 2;
    while (actions.size() >= 2) {
        if (now_seconds() > deadline) {
            out.out_of_time = true;
            break;
        }
        const std::size_t chunk = (actions.size() + n - 1) / n;
        bool reduced = false;
        for (std::size_t start = 0; start < actions.size(); start += chunk) {
            std::vector<Action> candidate;
            candidate.reserve(actions.size());
            candidate.insert(candidate.end(), actions.begin(), actions.begin() + std::ptrdiff_t(start));
            const std::size_t end = std::min(actions.size(), start + chunk);
            candidate.insert(candidate.end(), actions.begin() + std::ptrdiff_t(end), actions.end());
            if (still_fails(candidate)) {
                actions = std::move(candidate);
                n = std::max<std::size_t>(n - 1, 2);
                reduced = true;
                break;
            }
        }
        if (!reduced) {
            if (n >= actions.size()) break;
            n = std::min(actions.size(), n * 2);
        }
    }
    out.actions = std::move(actions);
    return out;
}

// --- printing -----------------------------------------------------------------------------

std::string readable_name(std::string_view gbk) {
    static iconv_t cd = iconv_open("UTF-8", "GBK");
    std::string out;
    for (std::size_t i = 0; i < gbk.size();) {
        const std::size_t n = model::char_length(gbk, i);
        const std::string_view ch = gbk.substr(i, n);
        i += n;
        const auto c = static_cast<unsigned char>(ch[0]);
        if (ch == "\r\n") out += "\\r\\n";
        else if (ch == "\r") out += "\\r";
        else if (ch == "\n") out += "\\n";
        else if (ch == "\"") out += "\\\"";
        else if (ch == "\\") out += "\\\\";
        else if (ch.size() == 1 && c >= 0x20 && c < 0x7F) out += ch;
        else {
            char converted[8];
            char* in = const_cast<char*>(ch.data());
            std::size_t in_left = ch.size(), out_left = sizeof converted;
            char* o = converted;
            if (ch.size() == 2 && cd != iconv_t(-1) &&
                iconv(cd, &in, &in_left, &o, &out_left) != std::size_t(-1) && in_left == 0) {
                out.append(converted, std::size_t(o - converted));
            } else {
                for (char b : ch) {
                    char hex[8];
                    std::snprintf(hex, sizeof hex, "\\x%02X", unsigned(static_cast<unsigned char>(b)));
                    out += hex;
                }
            }
        }
    }
    return out;
}

std::string readable(std::string_view gbk) {
    std::string out(1, '"');
    out += readable_name(gbk);
    out += '"';
    return out;
}

std::string describe(const Action& a) {
    const std::string name = readable_name(name_of(a));
    switch (a.op) {
    case Op::click: return "click " + name;
    case Op::click_and_type: return "click " + name + ", type " + readable(a.text);
    case Op::type_direct: return "type " + readable(a.text) + " straight into " + name;
    case Op::replace:
        return a.text.empty() ? "select all of " + name + ", Backspace"
                              : "select all of " + name + ", type " + readable(a.text);
    case Op::type_at_focus: return "type " + readable(a.text) + " at the keyboard";
    case Op::key: {
        switch (a.vk) {
        case tk::VK_TAB_: return a.shift ? "press Shift+Tab" : "press Tab";
        case tk::VK_LEFT_: return "press Left";
        case tk::VK_UP_: return "press Up";
        case tk::VK_RIGHT_: return "press Right";
        case tk::VK_DOWN_: return "press Down";
        case tk::VK_RETURN_: return "press Enter";
        case tk::VK_SPACE_: return "press Space";
        case tk::VK_BACK_: return "press Backspace";
        case tk::VK_ESCAPE_: return "press Esc (the program ends and is started again)";
        default: return "press key " + std::to_string(a.vk);
        }
    }
    case Op::hold_clipboard: return "another program opens the clipboard and keeps it open";
    case Op::release_clipboard: return "the other program closes the clipboard";
    case Op::other_program_copies:
        return "another program puts " + readable(a.text) + " on the clipboard as format " +
               std::to_string(a.format);
    case Op::switch_away: return "switch to another program and back";
    case Op::close_button: return "click the close button (the program ends and is started again)";
    }
    return "?";
}

std::string listing(const std::vector<Action>& actions) {
    std::string out;
    for (std::size_t i = 0; i < actions.size(); ++i)
        out += "  " + std::to_string(i + 1) + ". " + describe(actions[i]) + "\n";
    return out;
}

}  // namespace random_sessions
