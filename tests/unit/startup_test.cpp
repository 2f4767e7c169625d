// The whole program on the sim: start-up, the event loop, the normal end and the start-up
// failures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "commands/handler_table.h"
#include "resources/control_ids.h"
#include "resources/form_bytes.h"
#include "support/session.h"

namespace {

int end_runs = 0;
void count_end() { ++end_runs; }

tk::Handle main_window(sim::SimToolkit& sim) { return sim.find_by_text(nullptr, "领地设置"); }

TEST(Startup, ClosingTheWindowEndsTheProgramWithCodeZeroAfterTheEndRoutines) {
    sim::SimToolkit sim;
    frame::reset_frame_for_tests();
    end_runs = 0;
    std::string output;
    sim.add_script_step([](sim::SimToolkit& s) {
        frame::register_end_routine(count_end);
        tk::Handle w = main_window(s);
        ASSERT_NE(w, nullptr);
        tk::Handle territory = s.find_child(w, 100 + 10 * (43 - 37));  // 领地名2
        s.click(territory);
        s.post_chars("home");
        s.post_click(s.find_by_text(w, "删除领地"));
    });
    sim.add_script_step([&](sim::SimToolkit& s) {
        output = s.text(s.find_child(main_window(s), 120));  // 复制1
        s.post_close(main_window(s));
    });
    EXPECT_EQ(app::run(sim), 0);
    EXPECT_EQ(output, "/res remove home");
    EXPECT_FALSE(sim.starved());
    EXPECT_EQ(end_runs, 1);
    EXPECT_EQ(sim.object_count(), 0u);
    EXPECT_EQ(sim.live_blocks(), 0u);
    EXPECT_TRUE(sim.message_boxes().empty());
    testing_support::stop_program();
}

TEST(Startup, WithNoWindowOpenTheLoopReturnsAtOnce) {
    testing_support::Session s(false);
    frame::run_event_loop();
    EXPECT_TRUE(frame::loop_started());
    EXPECT_FALSE(s.sim.starved()) << "the loop did not even wait";
}

TEST(Startup, FormDataThatCannotBeReadIsTheFatalErrorWindowDataFailedToLoad) {
    sim::SimToolkit sim;
    frame::reset_frame_for_tests();
    auto bytes = resources::main_window_form();
    for (std::size_t cut : {std::size_t{0}, std::size_t{7}, std::size_t{4000}, bytes.size() - 1}) {
        SCOPED_TRACE(cut);
        sim::SimToolkit fresh;
        EXPECT_THROW(frame::start_frame(fresh, bytes.first(cut), commands::program_handlers),
                     sim::ProcessExit);
        EXPECT_EQ(fresh.exit_code(), -1);
        ASSERT_EQ(fresh.message_boxes().size(), 1u);
        EXPECT_NE(fresh.message_boxes()[0].text.find("window data failed to load"), std::string::npos);
        frame::reset_frame_for_tests();
    }
}

TEST(Startup, AWindowThatCannotBeBuiltIsTheFatalErrorStartWindowFailedToLoad) {
    sim::SimToolkit sim;
    frame::reset_frame_for_tests();
    end_runs = 0;
    frame::register_end_routine(count_end);
    sim.refuse_create_after(20);
    EXPECT_THROW(app::run(sim), sim::ProcessExit);
    EXPECT_EQ(sim.exit_code(), -1);
    ASSERT_EQ(sim.message_boxes().size(), 1u);
    const std::string& text = sim.message_boxes()[0].text;
    EXPECT_NE(text.find("start window failed to load"), std::string::npos);
    EXPECT_NE(text.find("0x52010001"), std::string::npos);
    EXPECT_EQ(sim.object_count(), 0u) << "nothing is shown";
    EXPECT_EQ(end_runs, 0);
    testing_support::stop_program();
}

}  // namespace
