// The keyboard settings this window leaves off, switched on in a variant of its form: F1 and
// the help file, Enter moving the focus, the default push button and access keys.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/handler_table.h"
#include "formkit/form_writer.h"
#include "formkit/main_window.h"
#include "resources/control_ids.h"
#include "support/session.h"
#include "window/open_window.h"

namespace {

struct Variant {
    bool f1_opens_help = false;
    std::int32_t help_context = 0;
    std::string help_file;
    bool enter_moves_focus = false;
    const char* default_button = nullptr;  // a button made a default push button
    const char* access_key_button = nullptr;
    std::string access_key_caption;
};

std::vector<std::uint8_t> variant_form(const Variant& v) {
    formkit::Form f = formkit::main_window_form();
    for (formkit::Unit& u : f.windows[0].units) {
        if (u.kind == form::KIND_WINDOW) {
            formkit::WindowSettings s;
            s.caption = "领地设置";
            s.f1_opens_help = v.f1_opens_help ? 1 : 0;
            s.help_context = v.help_context;
            s.help_file = v.help_file;
            s.enter_moves_focus = v.enter_moves_focus ? 1 : 0;
            u.settings = formkit::encode(s);
        }
        if (u.kind == form::KIND_BUTTON) {
            bool is_default = v.default_button != nullptr && u.name == v.default_button;
            bool has_key = v.access_key_button != nullptr && u.name == v.access_key_button;
            if (is_default || has_key) {
                formkit::ButtonSettings s;
                s.caption = has_key ? v.access_key_caption : u.name;
                s.button_type = is_default ? 1 : 0;
                u.settings = formkit::encode(s);
            }
        }
    }
    return formkit::write_form(f);
}

struct VariantSession : testing_support::Session {
    std::vector<std::uint8_t> bytes;
    explicit VariantSession(const Variant& v) : Session(false), bytes(variant_form(v)) {
        testing_support::stop_program();
        frame::start_frame(sim, bytes, commands::program_handlers);
        if (!ui::open_window(resources::ID_MainWindow)) throw std::runtime_error("not opened");
    }
};

TEST(KeyboardSettings, F1OpensTheHelpFileOnlyWhenItExists) {
    Variant v;
    v.f1_opens_help = true;
    v.help_context = 7;
    v.help_file = "C:\\help\\territory.hlp";
    VariantSession s(v);
    s.sim.press_key(tk::VK_F1_);
    EXPECT_TRUE(s.sim.help_requests().empty()) << "the file does not exist";
    s.sim.add_file(v.help_file);
    s.sim.press_key(tk::VK_F1_);
    ASSERT_EQ(s.sim.help_requests().size(), 1u);
    EXPECT_EQ(s.sim.help_requests()[0].path, v.help_file);
    EXPECT_EQ(s.sim.help_requests()[0].context, 7);
}

TEST(KeyboardSettings, WithoutAHelpFileF1LooksBesideTheProgram) {
    Variant v;
    v.f1_opens_help = true;
    VariantSession s(v);
    s.sim.add_file("C:\\territory\\territory.hlp");
    s.sim.press_key(tk::VK_F1_);
    ASSERT_EQ(s.sim.help_requests().size(), 1u);
    EXPECT_EQ(s.sim.help_requests()[0].path, "C:\\territory\\territory.hlp");
}

TEST(KeyboardSettings, EnterMovesTheFocusLikeTabWhenTheWindowSaysSo) {
    Variant v;
    v.enter_moves_focus = true;
    VariantSession s(v);
    s.sim.set_focus(s.handle("领地名2"));
    s.sim.press_key(tk::VK_RETURN_);
    EXPECT_EQ(s.focused_name(), "创建领地");
    s.sim.set_focus(s.handle("消息4"));
    s.sim.press_key(tk::VK_RETURN_);
    EXPECT_EQ(s.focused_name(), "消息4") << "a multi-line field still takes Enter itself";
    EXPECT_EQ(s.text_of("消息4"), "\r\n");
}

TEST(KeyboardSettings, EnterPressesTheFocusedOrTheFirstDefaultPushButton) {
    Variant v;
    v.default_button = "列出所有领地";
    VariantSession s(v);
    s.sim.set_focus(s.handle("领地名2"));
    s.sim.press_key(tk::VK_RETURN_);
    EXPECT_EQ(s.text_of("复制1"), "/res listall");
    EXPECT_EQ(s.focused_name(), "领地名2");
    s.type_into("复制1", "");
    s.sim.set_focus(s.handle("创建领地"));  // a normal push button: Enter still goes to the default
    s.sim.press_key(tk::VK_RETURN_);
    EXPECT_EQ(s.text_of("复制1"), "/res listall");
}

TEST(KeyboardSettings, AltWithTheMarkedLetterPressesTheButton) {
    Variant v;
    v.access_key_button = "列出所有领地";
    v.access_key_caption = "列出所有领地(&L)";
    VariantSession s(v);
    s.sim.press_key('L', {.alt = true});
    EXPECT_EQ(s.text_of("复制1"), "/res listall");
    EXPECT_EQ(s.focused_name(), "列出所有领地");
    s.type_into("复制1", "");
    s.sim.press_key('M', {.alt = true});
    EXPECT_EQ(s.text_of("复制1"), "") << "no caption marks M";
}

}  // namespace
