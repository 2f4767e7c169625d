// The real form cut short at every length: the loader refuses each prefix as truncated, and a
// start with one ends in the fatal error "window data failed to load".
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "commands/handler_table.h"
#include "frame/frame.h"
#include "resources/form_bytes.h"
#include "support/session.h"

namespace {

int end_routine_runs = 0;
void count_end_routine() { ++end_routine_runs; }

TEST(EveryTruncation, NoPrefixOfTheFormLoads) {
    const auto form = resources::main_window_form();
    ASSERT_EQ(form.size(), 8002u);
    ASSERT_EQ(form::load_form(form, commands::program_handlers).error, form::LoadError::none);
    std::vector<std::string> faults;
    for (std::size_t n = 0; n < form.size(); ++n) {
        const form::LoadResult r = form::load_form(form.first(n), commands::program_handlers);
        const std::string what = "cut to " + std::to_string(n) + " bytes: ";
        if (r.error == form::LoadError::none)
            faults.push_back(what + "loaded");
        else if (r.error != form::LoadError::truncated)
            faults.push_back(what + "refused as error " + std::to_string(static_cast<int>(r.error)) + ", not as truncated");
        else if (r.offset > n)
            faults.push_back(what + "fault reported at " + std::to_string(r.offset) + ", past the end");
    }
    for (std::size_t i = 0; i < faults.size() && i < 20; ++i) ADD_FAILURE() << faults[i];
    EXPECT_EQ(faults.size(), 0u);
}

// Lengths inside the headers, a spread over the table, and the last bytes of the last record.
std::vector<std::size_t> sample_lengths(std::size_t size) {
    std::set<std::size_t> lengths;
    for (std::size_t n = 0; n < 48; ++n) lengths.insert(n);
    for (std::size_t n = 0; n < size; n += 89) lengths.insert(n);
    for (std::size_t n = size - 24; n < size; ++n) lengths.insert(n);
    return {lengths.begin(), lengths.end()};
}

TEST(EveryTruncation, StartingWithAShortenedFormIsTheFatalError) {
    const auto form = resources::main_window_form();
    const std::vector<std::size_t> lengths = sample_lengths(form.size());
    for (std::size_t n : lengths) {
        SCOPED_TRACE("cut to " + std::to_string(n) + " bytes");
        sim::SimToolkit sim;
        frame::reset_frame_for_tests();
        end_routine_runs = 0;
        frame::register_end_routine(count_end_routine);
        bool exited = false;
        try {
            frame::start_frame(sim, form.first(n), commands::program_handlers);
        } catch (const sim::ProcessExit& e) {
            exited = true;
            EXPECT_EQ(e.code, -1);
        }
        EXPECT_TRUE(exited) << "the start went on";
        EXPECT_EQ(sim.exit_code(), -1);
        ASSERT_EQ(sim.message_boxes().size(), 1u);
        EXPECT_NE(sim.message_boxes()[0].text.find(frame::WINDOW_DATA_FAILED), std::string::npos)
            << sim.message_boxes()[0].text;
        EXPECT_EQ(sim.message_boxes()[0].flags & tk::MB_ICONERROR_, tk::MB_ICONERROR_);
        EXPECT_EQ(end_routine_runs, 0);
        EXPECT_TRUE(frame::templates().windows.empty()) << "nothing of the form is kept";
        EXPECT_EQ(sim.object_count(), 0u);
        EXPECT_EQ(sim.live_blocks(), 0u);
        testing_support::stop_program();
    }
    std::printf("[          ] %zu shortened starts ended in the fatal error\n", lengths.size());
}

}  // namespace
