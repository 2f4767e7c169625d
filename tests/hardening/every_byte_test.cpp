// The real form with each single byte changed (to 0x00, to 0xFF, and up by one): every variant
// is refused at start through the fatal error, or starts; a started one either builds
// MainWindow, which then closes leaving nothing behind, or fails to build it cleanly.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "commands/handler_table.h"
#include "frame/frame.h"
#include "resources/control_ids.h"
#include "resources/form_bytes.h"
#include "support/session.h"
#include "window/control.h"
#include "window/open_window.h"

namespace {

struct Tally {
    std::size_t variants = 0;
    std::size_t unchanged = 0;      // the change gave the byte it had: the real form, not retried
    std::size_t refused = 0;        // the form did not load: the fatal error at start
    std::size_t opened = 0;         // MainWindow was built, then closed
    std::size_t close_refused = 0;  // of those, a bound handler kept it open; it was destroyed
    std::size_t not_built = 0;      // open_window said no
    std::size_t no_window = 0;      // of those, no template has MainWindow's id
    std::size_t fatal = 0;          // a bound handler met a fatal error while the window opened
    std::vector<std::string> faults;
};

void expect_nothing_left(const sim::SimToolkit& sim, const std::string& what, Tally& tally) {
    auto fault = [&](const char* s) { tally.faults.push_back(what + s); };
    if (sim.live_blocks() != 0) fault("a Text was left allocated");
    if (sim.live_fonts() != 0) fault("a font was left");
    if (sim.live_brushes() != 0) fault("a brush was left");
    if (sim.live_images() != 0) fault("an image was left");
    if (sim.live_cursors() != 0) fault("a cursor was left");
    if (sim.object_count() != 0) fault("a window was left");
    if (!sim.heap_faults().empty()) fault("a Text was released twice or was foreign");
    if (!sim.resource_faults().empty()) fault(("resource misuse: " + sim.resource_faults()[0]).c_str());
}

void expect_fatal_error(const sim::SimToolkit& sim, int code, const std::string& what, Tally& tally) {
    if (code != -1 || sim.exit_code() != -1) tally.faults.push_back(what + "exit code not -1");
    if (sim.message_boxes().size() != 1) tally.faults.push_back(what + "not exactly one message box");
}

// Builds MainWindow from the started frame, then closes it.
void open_and_close(sim::SimToolkit& sim, const std::string& what, Tally& tally) {
    if (!ui::open_window(resources::ID_MainWindow)) {
        ++tally.not_built;
        if (frame::templates().find(resources::ID_MainWindow) == nullptr) ++tally.no_window;
        if (!sim.message_boxes().empty()) tally.faults.push_back(what + "a failed build showed a box");
        expect_nothing_left(sim, what + "failed build: ", tally);
        return;
    }
    ++tally.opened;
    const ui::Control* window = frame::templates().find(resources::ID_MainWindow)->units.at(0).object_slot;
    if (window != nullptr && sim.exists(window->handle)) {
        const tk::Handle h = window->handle;
        sim.close(h);
        if (sim.exists(h)) {
            ++tally.close_refused;
            sim.destroy(h);
        }
    }
    if (!sim.message_boxes().empty()) tally.faults.push_back(what + "a message box while open");
    expect_nothing_left(sim, what + "after closing: ", tally);
}

void try_variant(std::span<const std::uint8_t> bytes, const std::string& what, Tally& tally) {
    ++tally.variants;
    const bool loads = form::load_form(bytes, commands::program_handlers).error == form::LoadError::none;
    sim::SimToolkit sim;
    frame::reset_frame_for_tests();
    try {
        frame::start_frame(sim, bytes, commands::program_handlers);
    } catch (const sim::ProcessExit& e) {
        ++tally.refused;
        if (loads) tally.faults.push_back(what + "loads, yet the start failed");
        expect_fatal_error(sim, e.code, what, tally);
        if (sim.message_boxes().size() == 1 &&
            sim.message_boxes()[0].text.find(frame::WINDOW_DATA_FAILED) == std::string::npos)
            tally.faults.push_back(what + "the box does not say the window data failed to load");
        expect_nothing_left(sim, what + "refused start: ", tally);
        testing_support::stop_program();
        return;
    }
    if (!loads) tally.faults.push_back(what + "started although it does not load");
    try {
        open_and_close(sim, what, tally);
    } catch (const sim::ProcessExit& e) {
        ++tally.fatal;
        expect_fatal_error(sim, e.code, what, tally);
    } catch (const std::exception& e) {
        tally.faults.push_back(what + "threw " + e.what());
    }
    testing_support::stop_program();
}

void report(const Tally& tally) {
    std::printf("[          ] %zu variants differ from the real form (%zu changes gave the same byte): "
                "%zu refused at start, %zu opened and closed (%zu kept open by a handler, then destroyed), "
                "%zu not built (%zu without MainWindow), %zu fatal errors while opening\n",
                tally.variants, tally.unchanged, tally.refused, tally.opened, tally.close_refused,
                tally.not_built, tally.no_window, tally.fatal);
    for (std::size_t i = 0; i < tally.faults.size() && i < 20; ++i) ADD_FAILURE() << tally.faults[i];
    EXPECT_EQ(tally.faults.size(), 0u);
}

TEST(TheRealForm, OpensAndClosesLeavingNothing) {
    Tally tally;
    try_variant(resources::main_window_form(), "the real form: ", tally);
    EXPECT_EQ(tally.opened, 1u);
    EXPECT_EQ(tally.close_refused, 0u);
    for (const std::string& f : tally.faults) ADD_FAILURE() << f;
}

// One change applied to each byte in turn; one test per change, so they can run side by side.
struct Change {
    const char* name;
    std::uint8_t (*apply)(std::uint8_t);
};
const Change changes[] = {
    {"ToZero", [](std::uint8_t) { return std::uint8_t{0x00}; }},
    {"ToFF", [](std::uint8_t) { return std::uint8_t{0xFF}; }},
    {"PlusOne", [](std::uint8_t b) { return static_cast<std::uint8_t>(b + 1); }},
};

void PrintTo(const Change& c, std::ostream* os) { *os << c.name; }

struct EveryByte : testing::TestWithParam<Change> {};

TEST_P(EveryByte, EachChangeStartsCleanlyOrIsTheFatalError) {
    const Change& change = GetParam();
    const auto real = resources::main_window_form();
    ASSERT_EQ(real.size(), 8002u);
    std::vector<std::uint8_t> variant(real.begin(), real.end());
    Tally tally;
    for (std::size_t at = 0; at < variant.size(); ++at) {
        const std::uint8_t original = variant[at];
        variant[at] = change.apply(original);
        if (variant[at] == original) {
            ++tally.unchanged;  // the real form again, tried by TheRealForm
            continue;
        }
        try_variant(variant, "byte " + std::to_string(at) + " " + change.name + ": ", tally);
        variant[at] = original;
    }
    report(tally);
}

std::string change_name(const testing::TestParamInfo<Change>& p) { return p.param.name; }
INSTANTIATE_TEST_SUITE_P(SingleByteChanges, EveryByte, testing::ValuesIn(changes), change_name);

}  // namespace
