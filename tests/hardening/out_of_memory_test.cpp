// An exhausted heap at every allocation of a whole user session: each one ends the program
// through the fatal error, naming the bytes asked for, and nothing else happens after it.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "commands/handler_table.h"
#include "frame/frame.h"
#include "resources/control_ids.h"
#include "resources/form_bytes.h"
#include "support/session.h"
#include "window/control.h"
#include "window/open_window.h"

namespace {

int end_routine_runs = 0;
void count_end_routine() { ++end_routine_runs; }

form::WindowTemplate& main_template() {
    form::WindowTemplate* t = frame::templates().find(resources::ID_MainWindow);
    if (t == nullptr) throw std::runtime_error("no template of MainWindow");
    return *t;
}

tk::Handle handle_of(std::string_view name) {
    for (const form::UnitRecord& u : main_template().units)
        if (u.name == name) {
            if (u.object_slot == nullptr) throw std::runtime_error("not live: " + std::string(name));
            return u.object_slot->handle;
        }
    throw std::runtime_error("no unit named " + std::string(name));
}

tk::Handle window_handle() {
    const ui::Control* c = main_template().units.at(0).object_slot;
    if (c == nullptr) throw std::runtime_error("MainWindow is not open");
    return c->handle;
}

void click(sim::SimToolkit& sim, std::string_view name) {
    if (!sim.click(handle_of(name))) throw std::runtime_error("the click went nowhere: " + std::string(name));
}

void type_into(sim::SimToolkit& sim, std::string_view name, std::string_view text) {
    tk::Handle h = handle_of(name);
    sim.set_selection(h, 0, -1);
    if (!sim.type_text(h, text)) throw std::runtime_error("cannot type into " + std::string(name));
}

// The buttons bound to one of the 21 catalogue commands, in list order.
std::vector<std::string> command_buttons() {
    std::vector<std::string> names;
    for (const form::UnitRecord& u : main_template().units)
        if (u.kind == form::KIND_BUTTON && u.name != "生成" && u.name != "复制11") names.push_back(u.name);
    return names;
}

// What the user does from start to end; `start` starts the frame and opens MainWindow.
// Returns the number of command buttons clicked.
std::size_t user_session(sim::SimToolkit& sim, const std::function<void()>& start) {
    start();
    frame::register_end_routine(count_end_routine);
    type_into(sim, "领地名2", "home");
    type_into(sim, "玩家名", "Steve");
    type_into(sim, "消息4", "welcome");
    const std::vector<std::string> buttons = command_buttons();
    for (const std::string& name : buttons) click(sim, name);
    struct State {
        const char* radio;
        int remove;
    };
    const State states[] = {{"加入", 0}, {"离开", 0}, {"离开", 1}, {"加入", 1}};
    for (const State& s : states) {
        click(sim, s.radio);
        if (sim.check(handle_of("移除消息")) != s.remove) click(sim, "移除消息");
        click(sim, "生成");
    }
    click(sim, "复制11");
    sim.close(window_handle());
    frame::shut_down_frame(0);
    return buttons.size();
}

void start_on(sim::SimToolkit& sim) { testing_support::start_program(sim); }

// True when `text` holds `n` as a whole number, not as part of a longer one.
bool names_number(std::string_view text, std::size_t n) {
    const std::string wanted = std::to_string(n);
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] < '0' || text[i] > '9') {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
        if (text.substr(i, end - i) == wanted) return true;
        i = end;
    }
    return false;
}

TEST(OutOfMemory, NamesOnlyWholeNumbers) {
    EXPECT_TRUE(names_number("无法分配 17 字节", 17));
    EXPECT_FALSE(names_number("无法分配 170 字节", 17));
    EXPECT_FALSE(names_number("0x00000017", 17));
}

TEST(OutOfMemory, EveryAllocationOfAScriptedSessionEndsInTheFatalError) {
    // The byte counts the session asks for, in order.
    std::vector<std::size_t> requests;
    {
        sim::SimToolkit sim;
        sim.record_heap_requests(true);
        user_session(sim, [&] { start_on(sim); });
        requests = sim.heap_requests();
        testing_support::stop_program();
    }

    // The same session on the sim alone, with every allocation granted.
    std::size_t count = 0;
    {
        sim::SimToolkit sim;
        end_routine_runs = 0;
        EXPECT_EQ(user_session(sim, [&] { start_on(sim); }), 21u);
        count = sim.total_allocations();
        EXPECT_EQ(count, requests.size()) << "recording the requests changed the run";
        EXPECT_EQ(sim.live_blocks(), 0u) << "a Text was left allocated";
        EXPECT_TRUE(sim.heap_faults().empty());
        EXPECT_TRUE(sim.message_boxes().empty());
        EXPECT_FALSE(sim.exit_code().has_value());
        EXPECT_EQ(end_routine_runs, 1);
        // The last 生成 (加入 with 移除消息) was copied.
        const auto clip = sim.clipboard_bytes(tk::CF_TEXT_);
        ASSERT_TRUE(clip.has_value());
        EXPECT_EQ(std::string(clip->c_str()), "/res message home remove enter");
        testing_support::stop_program();
    }
    ASSERT_GT(count, 0u);
    std::printf("[          ] the session allocates %zu Texts; each fails in its own run\n", count);

    std::vector<std::string> faults;
    for (std::size_t n = 1; n <= count; ++n) {
        sim::SimToolkit sim;
        end_routine_runs = 0;
        sim.fail_allocation(static_cast<int>(n));
        std::string what = "allocation " + std::to_string(n) + " (" + std::to_string(requests[n - 1]) + " bytes): ";
        try {
            user_session(sim, [&] { start_on(sim); });
            faults.push_back(what + "the session ran to its end");
        } catch (const sim::ProcessExit& e) {
            if (e.code != -1) faults.push_back(what + "exit code " + std::to_string(e.code));
        } catch (const std::exception& e) {
            faults.push_back(what + "the script broke off: " + e.what());
        }
        if (sim.failed_allocations() != 1 || sim.total_allocations() != n - 1)
            faults.push_back(what + "not the allocation that failed");
        if (sim.message_boxes().size() != 1) {
            faults.push_back(what + std::to_string(sim.message_boxes().size()) + " message boxes");
        } else {
            const sim::MessageBoxCall& box = sim.message_boxes()[0];
            if (!names_number(box.text, requests[n - 1])) faults.push_back(what + "the box does not name the byte count");
            if ((box.flags & tk::MB_ICONERROR_) == 0) faults.push_back(what + "no error icon");
        }
        if (end_routine_runs != 0) faults.push_back(what + "an end routine ran");
        if (!sim.heap_faults().empty()) faults.push_back(what + "a Text was released twice or was foreign");
        testing_support::stop_program();
    }
    for (std::size_t i = 0; i < faults.size() && i < 20; ++i) ADD_FAILURE() << faults[i];
    EXPECT_EQ(faults.size(), 0u);
}

}  // namespace
