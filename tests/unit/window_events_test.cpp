// The events the window and its controls raise, seen through a form that binds them: the
// first events of a build, the close request, and the edit field's change reports.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "commands/handler_table.h"
#include "formkit/form_writer.h"
#include "formkit/main_window.h"
#include "resources/control_ids.h"
#include "support/session.h"
#include "window/open_window.h"

namespace {

std::vector<std::string> events_seen;
bool allow_close = true;

template <int N>
std::int32_t record(std::span<const std::int32_t>) {
    static const char* const names[] = {"created", "moved", "resized", "close query", "close",
                                        "destroyed", "change"};
    events_seen.push_back(names[N]);
    if (N == 3) return allow_close ? 1 : 0;
    return 1;
}

// MainWindow's form with the window's events 0, 3, 4, 12, 1 and 2 and 复制1's change bound.
std::vector<std::uint8_t> form_with_bound_events() {
    formkit::Form f = formkit::main_window_form();
    formkit::Unit& window = f.windows[0].units[0];
    window.events = {{0, 1}, {3, 2}, {4, 3}, {12, 4}, {1, 5}, {2, 6}};
    for (formkit::Unit& u : f.windows[0].units)
        if (u.id == resources::ID_复制1) u.events = {{0, 7}};
    return formkit::write_form(f);
}

struct BoundSession {
    sim::SimToolkit sim;
    std::vector<std::uint8_t> bytes = form_with_bound_events();
    std::array<form::Handler, commands::HANDLER_COUNT> handlers{};

    BoundSession() {
        handlers[1] = record<0>;
        handlers[2] = record<1>;
        handlers[3] = record<2>;
        handlers[4] = record<3>;
        handlers[5] = record<4>;
        handlers[6] = record<5>;
        handlers[7] = record<6>;
        events_seen.clear();
        allow_close = true;
        frame::reset_frame_for_tests();
        frame::start_frame(sim, bytes, handlers);
    }
    ~BoundSession() { testing_support::stop_program(); }
    tk::Handle window() { return frame::templates().find(resources::ID_MainWindow)->units[0].object_slot->handle; }
    tk::Handle output() { return frame::templates().find(resources::ID_MainWindow)->find(resources::ID_复制1)->object_slot->handle; }
};

TEST(WindowEvents, ABuildRaisesCreatedMovedAndResizedOnceEachInThatOrder) {
    BoundSession s;
    ASSERT_TRUE(ui::open_window(resources::ID_MainWindow));
    EXPECT_EQ(events_seen, (std::vector<std::string>{"created", "moved", "resized"}));
}

TEST(WindowEvents, AHandlerOfTheCloseQueryThatAnswersZeroKeepsTheWindowOpen) {
    BoundSession s;
    ASSERT_TRUE(ui::open_window(resources::ID_MainWindow));
    events_seen.clear();
    allow_close = false;
    s.sim.close(s.window());
    EXPECT_TRUE(s.sim.exists(s.window()));
    EXPECT_EQ(events_seen, (std::vector<std::string>{"close query"}));
    events_seen.clear();
    allow_close = true;
    tk::Handle w = s.window();
    s.sim.close(w);
    EXPECT_FALSE(s.sim.exists(w));
    EXPECT_EQ(events_seen, (std::vector<std::string>{"close query", "close", "destroyed"}));
}

TEST(WindowEvents, AWriteOfTheOutputReportsOneChangeAndTypingOnePerCharacter) {
    BoundSession s;
    ASSERT_TRUE(ui::open_window(resources::ID_MainWindow));
    events_seen.clear();
    frame::set_property(resources::ID_MainWindow, resources::ID_复制1, resources::PROP_TEXT, -1,
                        frame::text_value(const_cast<char*>("/res listall")));
    EXPECT_EQ(events_seen, (std::vector<std::string>{"change"})) << "the toolkit's own report is dropped";
    // The same text again still reports once.
    frame::set_property(resources::ID_MainWindow, resources::ID_复制1, resources::PROP_TEXT, -1,
                        frame::text_value(const_cast<char*>("/res listall")));
    EXPECT_EQ(events_seen.size(), 2u);
    events_seen.clear();
    s.sim.type_text(s.output(), "ab");
    EXPECT_EQ(events_seen, (std::vector<std::string>{"change", "change"}));
}

}  // namespace
