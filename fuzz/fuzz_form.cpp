// Fuzzes the form loader: any bytes either load into window templates that keep the loader's
// promises, or are refused with the place of the fault inside the data. What loads is read
// field by field, and each unit's settings block goes through its kind's reader.
#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz_common.h"

namespace {

using namespace fuzz;

std::uint64_t read_unit_settings(const form::UnitRecord& u) {
    const std::span<const std::uint8_t> block(u.settings);
    switch (u.kind) {
    case form::KIND_WINDOW: return read_and_check<ui::WindowSettings>(block);
    case form::KIND_BUTTON: return read_and_check<ui::ButtonSettings>(block);
    case form::KIND_LABEL: return read_and_check<ui::LabelSettings>(block);
    case form::KIND_GROUP_BOX: return read_and_check<ui::GroupBoxSettings>(block);
    case form::KIND_EDIT_BOX: return read_and_check<ui::EditBoxSettings>(block);
    case form::KIND_CHECK_BOX: return read_and_check<ui::CheckBoxSettings>(block);
    case form::KIND_RADIO_BOX: return read_and_check<ui::RadioBoxSettings>(block);
    default: return 0;
    }
}

// Every field of every record, also of a partly loaded form.
std::uint64_t digest_of(const form::FormData& f) {
    Digest d;
    for (const form::WindowTemplate& t : f.windows) {
        d(t.window_id); d(t.reserved0); d(t.reserved1); d(t.reserved_text0); d(t.reserved_text1);
        for (const auto& [id, pos] : t.by_id) {
            d(id);
            d(pos);
        }
        for (const form::UnitRecord& u : t.units) {
            d(u.id); d(u.kind); d(u.event_source); d(u.name); d(u.comment); d(u.stored_object_slot);
            d(u.left); d(u.top); d(u.width); d(u.height); d(u.stored_pointer_slot); d(u.parent);
            for (std::uint32_t c : u.children) d(c);
            d(u.mouse_pointer); d(u.tag); d(u.reserved); d(u.flags); d(u.tab_order);
            for (const form::EventBinding& e : u.events) {
                d(e.event);
                d(e.reference);
            }
            d(u.settings);
            require(u.object_slot == nullptr && u.pointer_slot == nullptr, "a live slot in a loaded record");
        }
    }
    return d.value;
}

// What a loaded window template promises the window layer and the frame.
void check_template(const form::FormData& f, const form::WindowTemplate& t) {
    require(const_cast<form::FormData&>(f).find(t.window_id) == &t, "a window id that does not find its template");
    require(!t.units.empty() && t.units[0].kind == form::KIND_WINDOW, "no window record at list position 0");
    require(t.by_id.size() == t.units.size(), "the id index does not cover the units");
    for (std::size_t k = 1; k < t.by_id.size(); ++k)
        require(t.by_id[k - 1].first < t.by_id[k].first, "two units share an id");
    for (std::size_t i = 0; i < t.units.size(); ++i) {
        const form::UnitRecord& u = t.units[i];
        require(t.position_of(u.id) == static_cast<int>(i) && t.find(u.id) == &u, "a unit its id does not find");
        require(i == 0 || u.kind != form::KIND_WINDOW, "a second window record");
        if (u.parent != 0) {
            const form::UnitRecord* p = t.find(u.parent);
            require(p != nullptr && p->kind == form::KIND_GROUP_BOX, "a parent that is no group box");
        }
        for (std::uint32_t c : u.children) {
            const form::UnitRecord* child = t.find(c);
            require(child != nullptr && child->parent == u.id, "a child that does not name its parent");
        }
        if (u.event_source != 0) {
            const form::UnitRecord* source = t.find(u.event_source);
            require(source != nullptr && source->kind == u.kind && source != &u, "an event source of another kind");
        }
        for (const form::EventBinding& e : u.events) {
            if (e.reference == form::NO_HANDLER) require(e.handler == nullptr, "a handler for no reference");
            else
                require(e.reference >= 0 && static_cast<std::size_t>(e.reference) < handlers.size() &&
                            e.handler == handlers[static_cast<std::size_t>(e.reference)],
                        "a reference resolved to the wrong handler");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    require_gbk_literals();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const form::LoadResult r = form::load_form(bytes, handlers);
    keep(digest_of(r.form));
    if (r.error != form::LoadError::none) {
        require(r.offset <= size, "a fault reported past the end of the data");
        return 0;
    }
    for (const form::WindowTemplate& t : r.form.windows) {
        check_template(r.form, t);
        for (const form::UnitRecord& u : t.units) keep(read_unit_settings(u));
    }
    return 0;
}
