#include "support/session.h"

#include <stdexcept>

#include "commands/handler_table.h"
#include "resources/control_ids.h"
#include "resources/form_bytes.h"
#include "window/control.h"
#include "window/open_window.h"

namespace testing_support {

void start_program(sim::SimToolkit& sim, bool open) {
    frame::reset_frame_for_tests();
    frame::start_frame(sim, resources::main_window_form(), commands::program_handlers);
    if (open && !ui::open_window(resources::ID_MainWindow))
        throw std::runtime_error("MainWindow failed to open");
}

void stop_program() {
    ui::release_all_controls();
    frame::reset_frame_for_tests();
}

form::WindowTemplate& Session::main_template() {
    form::WindowTemplate* t = frame::templates().find(resources::ID_MainWindow);
    if (t == nullptr) throw std::runtime_error("no template of MainWindow");
    return *t;
}

const form::UnitRecord& Session::unit(std::string_view name) {
    for (const form::UnitRecord& u : main_template().units)
        if (u.name == name) return u;
    throw std::runtime_error("no unit named " + std::string(name));
}

tk::Handle Session::handle(std::string_view name) {
    const ui::Control* c = unit(name).object_slot;
    return c != nullptr ? c->handle : nullptr;
}

tk::Handle Session::window() {
    const ui::Control* c = main_template().units.at(0).object_slot;
    return c != nullptr ? c->handle : nullptr;
}

void Session::type_into(std::string_view name, std::string_view text) {
    tk::Handle h = handle(name);
    sim.set_selection(h, 0, -1);
    if (text.empty()) {
        sim.type_text(h, "\b");
        return;
    }
    sim.type_text(h, text);
}

std::string Session::focused_name() {
    tk::Handle f = sim.focus();
    if (f == nullptr) return "";
    for (const form::UnitRecord& u : main_template().units)
        if (u.object_slot != nullptr && u.object_slot->handle == f) return u.name;
    return "";
}

}  // namespace testing_support
