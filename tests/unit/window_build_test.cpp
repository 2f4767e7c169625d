// Building MainWindow on the sim: creation order and child ids, group frames as parents,
// stacking, showing, the first events and the first focus, closing and building again.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "commands/handler_table.h"
#include "resources/control_ids.h"
#include "resources/form_bytes.h"
#include "support/session.h"
#include "window/control.h"
#include "window/open_window.h"
#include "window/styles.h"

namespace {

using testing_support::Session;

TEST(WindowBuild, FortyThreeControlsWithChildIdsFrom100To520InsideTheirFrames) {
    Session s;
    form::WindowTemplate& t = s.main_template();
    ASSERT_EQ(t.units.size(), 44u);
    tk::Handle window = s.window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(s.sim.class_name(window), tk::kWindowClass);
    for (std::size_t pos = 1; pos < t.units.size(); ++pos) {
        const form::UnitRecord& u = t.units[pos];
        SCOPED_TRACE("list position " + std::to_string(pos));
        ASSERT_NE(u.object_slot, nullptr);
        tk::Handle h = u.object_slot->handle;
        // Created from the last list position down: 分组框1 (43) is 100, 查看玩家所有领地 (1) 520.
        EXPECT_EQ(s.sim.object(h)->child_id, static_cast<std::int32_t>(100 + 10 * (43 - pos)));
        tk::Handle expected_parent = window;
        if (u.parent != 0) expected_parent = t.find(u.parent)->object_slot->handle;
        EXPECT_EQ(s.sim.parent_of(h), expected_parent);
        EXPECT_EQ(s.sim.outer_rect(h), (tk::Rect{u.left, u.top, u.width, u.height}))
            << "stored corners count from the new parent's client area";
        EXPECT_TRUE(s.sim.is_visible(h));
    }
}

TEST(WindowBuild, ControlsSitWhereTheClientAreaColumnSays) {
    Session s;
    struct Where {
        const char* name;
        int x, y;
    };
    const Where table[] = {
        {"查看玩家所有领地", 191, 62}, {"查看权限列表1", 398, 296}, {"分组框8", -2, 1},
        {"分组框9", 376, 248},        {"显示领地边界", 450, 24},   {"移除消息", 120, 208},
        {"生成", 352, 208},           {"消息4", 224, 207},         {"加入", 6, 216},
        {"玩家名", 334, 130},         {"领地名2", 53, 119},        {"标签22", 16, 316},
        {"复制11", 296, 284},         {"复制1", 8, 268},           {"分组框1", -10, -7},
    };
    sim::Point client = s.sim.screen_origin(s.window());
    for (const Where& w : table) {
        SCOPED_TRACE(w.name);
        tk::Handle h = s.handle(w.name);
        tk::Handle parent = s.sim.parent_of(h);
        sim::Point parent_origin = s.sim.screen_origin(parent);
        tk::Rect r = s.sim.outer_rect(h);
        EXPECT_EQ(parent_origin.x + r.left - client.x, w.x);
        EXPECT_EQ(parent_origin.y + r.top - client.y, w.y);
    }
}

TEST(WindowBuild, SiblingsAreStackedInListOrderFirstOnTop) {
    Session s;
    std::vector<tk::Handle> expected = {s.handle("分组框9"), s.handle("分组框10"), s.handle("分组框11"),
                                        s.handle("分组框14"), s.handle("分组框15")};
    EXPECT_EQ(s.sim.children(s.handle("分组框8")), expected);
    std::vector<tk::Handle> copy_frame = {s.handle("标签22"), s.handle("复制11"), s.handle("复制1")};
    EXPECT_EQ(s.sim.children(s.handle("分组框15")), copy_frame);
}

TEST(WindowBuild, TheWindowIsCentredWithItsStyleAndTheFocusInTheOutputField) {
    Session s;
    tk::Handle w = s.window();
    EXPECT_EQ(s.sim.outer_rect(w), (tk::Rect{207, 199, 609, 369}));
    EXPECT_EQ(s.sim.text(w), "领地设置");
    std::uint32_t style = s.sim.style(w);
    const std::uint32_t expected = ui::WS_CLIPCHILDREN_ | ui::WS_CAPTION_ | ui::WS_SYSMENU_ | ui::WS_MINIMIZEBOX_;
    EXPECT_EQ(style & ~(ui::WS_VISIBLE_), expected);
    EXPECT_EQ(s.sim.ex_style(w), 0u);
    EXPECT_TRUE(s.sim.is_visible(w));
    EXPECT_EQ(s.sim.active_window(), w);
    EXPECT_EQ(s.focused_name(), "复制1");
}

TEST(WindowBuild, CentringTruncatesTowardZeroOnANarrowScreen) {
    sim::SimToolkit sim;
    sim.set_screen(600, 480);
    testing_support::start_program(sim);
    form::WindowTemplate* t = frame::templates().find(resources::ID_MainWindow);
    tk::Rect r = sim.outer_rect(t->units[0].object_slot->handle);
    EXPECT_EQ(r.left, -4);
    EXPECT_EQ(r.top, (480 - 369) / 2);
    testing_support::stop_program();
}

TEST(WindowBuild, InitialTextsAndStates) {
    Session s;
    EXPECT_EQ(s.check_of("加入"), 1);
    EXPECT_EQ(s.check_of("离开"), 0);
    EXPECT_EQ(s.check_of("移除消息"), 0);
    for (const char* edit : {"领地名2", "玩家名", "消息4", "复制1"}) EXPECT_EQ(s.text_of(edit), "") << edit;
    EXPECT_EQ(s.text_of("删除领地"), "删除领地");
    EXPECT_EQ(s.text_of("查看领地"), "查看领地指令");
    EXPECT_EQ(s.text_of("分组框9"), "为某玩家设置该领地的特定权限");
    // 分组框9 and 标签22 are red; the group frame answers its colours itself.
    auto colors = s.sim.request_color(s.handle("分组框9"));
    ASSERT_TRUE(colors.has_value());
    EXPECT_EQ(colors->text_color, 0x0000FFu);
    EXPECT_EQ(colors->back_color, s.sim.button_face_color());
    auto edit_colors = s.sim.request_color(s.handle("复制1"));
    ASSERT_TRUE(edit_colors.has_value());
    EXPECT_EQ(edit_colors->text_color, 0x000000u);
    EXPECT_EQ(edit_colors->back_color, 0xFFFFFFu);
}

// --- the first events, with a handler table that records what it sees ---

struct Seen {
    int created = 0, moved = 0, resized = 0, clicks = 0;
    bool window_visible_at_created = true;
    int controls_live_at_created = 0;
    int block_count_at_created = -1;
    std::string text_of_join_at_created;
};
Seen seen;
sim::SimToolkit* current_sim = nullptr;

std::int32_t record_created(std::span<const std::int32_t>) {
    ++seen.created;
    form::WindowTemplate* t = frame::templates().find(resources::ID_MainWindow);
    seen.window_visible_at_created = current_sim->is_visible(t->units[0].object_slot->handle);
    for (std::size_t pos = 1; pos < t->units.size(); ++pos)
        if (ui::live_control(t->units[pos]) != nullptr) ++seen.controls_live_at_created;
    seen.block_count_at_created = frame::event_block_count();
    return 0;
}
std::int32_t record_click(std::span<const std::int32_t>) {
    ++seen.clicks;
    return 0;
}

TEST(WindowBuild, TheCreatedEventRunsOnceWithEveryControlInPlaceAndTheWindowHidden) {
    seen = {};
    sim::SimToolkit sim;
    current_sim = &sim;
    std::array<form::Handler, commands::HANDLER_COUNT> handlers;
    handlers.fill(record_click);
    handlers[commands::H_CREATED] = record_created;
    frame::reset_frame_for_tests();
    frame::start_frame(sim, resources::main_window_form(), handlers);
    // A click queued before the build is delivered first, with events dispatched as usual.
    ASSERT_TRUE(ui::open_window(resources::ID_MainWindow));
    EXPECT_EQ(seen.created, 1);
    EXPECT_FALSE(seen.window_visible_at_created);
    EXPECT_EQ(seen.controls_live_at_created, 43);
    EXPECT_EQ(seen.block_count_at_created, 0);
    EXPECT_EQ(seen.clicks, 0);
    // Opening it again builds nothing and raises no second created event.
    ASSERT_TRUE(ui::open_window(resources::ID_MainWindow));
    EXPECT_EQ(seen.created, 1);
    testing_support::stop_program();
}

TEST(WindowBuild, ClosingRaisesNoHandlerClearsTheSlotsAndRestoresTheTemplate) {
    Session s;
    tk::Handle w = s.window();
    s.type_into("领地名2", "home");
    s.sim.close(w);
    EXPECT_FALSE(s.sim.exists(w));
    for (const form::UnitRecord& u : s.main_template().units) EXPECT_EQ(u.object_slot, nullptr);
    EXPECT_EQ(s.sim.object_count(), 0u);
    EXPECT_EQ(s.sim.live_fonts(), 0u);
    EXPECT_EQ(s.sim.live_brushes(), 0u);
    EXPECT_TRUE(s.sim.resource_faults().empty());
    EXPECT_FALSE(ui::any_window_open());
    // The template is pristine again: the window can be built a second time, fresh.
    ASSERT_TRUE(ui::open_window(resources::ID_MainWindow));
    EXPECT_EQ(s.text_of("领地名2"), "");
    EXPECT_EQ(s.check_of("加入"), 1);
    s.click("创建领地");
    EXPECT_EQ(s.text_of("复制1"), "/res create ");
}

TEST(WindowBuild, AFailedCreationShowsNothingAndLeavesNothing) {
    for (int refuse : {1, 2, 10, 44}) {
        SCOPED_TRACE("refuse create #" + std::to_string(refuse));
        Session s(false);
        s.sim.refuse_create_after(refuse);
        EXPECT_FALSE(ui::open_window(resources::ID_MainWindow));
        EXPECT_EQ(s.sim.object_count(), 0u);
        EXPECT_EQ(s.sim.live_brushes(), 0u);
        EXPECT_EQ(s.sim.live_fonts(), 0u);
        EXPECT_EQ(frame::event_block_count(), 0);
        for (const form::UnitRecord& u : s.main_template().units) EXPECT_EQ(u.object_slot, nullptr);
    }
}

TEST(WindowBuild, UnknownWindowIdFails) {
    Session s(false);
    EXPECT_FALSE(ui::open_window(0x52010002));
}

}  // namespace
