// The form loader: what it reads from well-formed data, and how it refuses data that is cut
// short, disagrees with itself or names handlers that do not exist.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "fixtures/form_fixtures.h"
#include "formkit/form_writer.h"
#include "formkit/main_window.h"
#include "resources/form_bytes.h"
#include "window/form.h"

namespace {

using form::LoadError;
using formkit::Bytes;
using namespace form_fixtures;

std::uint32_t u32_at(const Bytes& b, std::size_t at) {
    return std::uint32_t{b.at(at)} | std::uint32_t{b.at(at + 1)} << 8 | std::uint32_t{b.at(at + 2)} << 16 |
           std::uint32_t{b.at(at + 3)} << 24;
}
void set_u32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.at(at + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(v >> (8 * i));
}
void add_u32(Bytes& b, std::size_t at, std::int64_t delta) {
    set_u32(b, at, static_cast<std::uint32_t>(u32_at(b, at) + delta));
}

std::string error_name(LoadError e) {
    switch (e) {
    case LoadError::none: return "none";
    case LoadError::truncated: return "truncated";
    case LoadError::inconsistent: return "inconsistent";
    case LoadError::bad_handler: return "bad_handler";
    }
    return "?";
}

// A one-window form whose record bodies are given as they are, so that a body may be cut short
// while the offsets, sizes and table length still agree.
Bytes form_from_bodies(const formkit::Window& w, const std::vector<Bytes>& bodies) {
    Bytes out, records, offsets;
    for (const Bytes& body : bodies) {
        formkit::put_u32(offsets, static_cast<std::uint32_t>(records.size()));
        formkit::put_u32(records, static_cast<std::uint32_t>(body.size()));
        formkit::put_bytes(records, body);
    }
    formkit::put_u32(out, 8);
    formkit::put_u32(out, w.id);
    formkit::put_u32(out, w.placeholder);
    formkit::put_i32(out, w.reserved0);
    formkit::put_u32(out, w.reserved1);
    formkit::put_text_field(out, w.reserved_text0);
    formkit::put_text_field(out, w.reserved_text1);
    formkit::put_u32(out, static_cast<std::uint32_t>(bodies.size()));
    formkit::put_u32(out, static_cast<std::uint32_t>(4 * bodies.size() + offsets.size() + records.size()));
    for (const formkit::Unit& u : w.units) formkit::put_u32(out, u.id);
    formkit::put_bytes(out, offsets);
    formkit::put_bytes(out, records);
    return out;
}

// --- what a well-formed form loads into ---

TEST(FormLoader, SmallFormLoadsEveryFieldAsWritten) {
    formkit::Form f = small_form();
    formkit::Unit& button = f.windows[0].units[1];
    button.event_source = 0;
    button.comment = "注释";
    button.tag = "tag";
    button.object_slot = 11;
    button.pointer_slot = 12;
    button.reserved = 13;
    button.tab_order = 14;
    button.left = -3;
    button.flags = form::FLAG_VISIBLE | form::FLAG_DISABLED;
    button.mouse_pointer = {2, 0, 0, 0, 9};
    button.events.push_back({-7, form::NO_HANDLER});
    f.windows[0].reserved0 = -5;
    f.windows[0].reserved_text0 = "甲";
    f.windows[0].reserved_text1 = "b";

    const Bytes bytes = formkit::write_form(f);
    const form::LoadResult r = load(bytes);
    ASSERT_EQ(r.error, LoadError::none) << r.offset;
    ASSERT_EQ(r.form.windows.size(), 1u);
    const form::WindowTemplate& t = r.form.windows[0];
    EXPECT_EQ(t.window_id, WINDOW_ID);
    EXPECT_EQ(t.reserved0, -5);
    EXPECT_EQ(t.reserved1, 0x190100a4u);
    EXPECT_EQ(t.reserved_text0, "甲");
    EXPECT_EQ(t.reserved_text1, "b");
    ASSERT_EQ(t.units.size(), f.windows[0].units.size());
    for (std::size_t i = 0; i < t.units.size(); ++i) {
        SCOPED_TRACE(i);
        const formkit::Unit& d = f.windows[0].units[i];
        const form::UnitRecord& u = t.units[i];
        EXPECT_EQ(u.id, d.id);
        EXPECT_EQ(u.kind, d.kind);
        EXPECT_EQ(u.event_source, d.event_source);
        EXPECT_EQ(u.name, d.name);
        EXPECT_EQ(u.comment, d.comment);
        EXPECT_EQ(u.stored_object_slot, d.object_slot);
        EXPECT_EQ(u.left, d.left);
        EXPECT_EQ(u.top, d.top);
        EXPECT_EQ(u.width, d.width);
        EXPECT_EQ(u.height, d.height);
        EXPECT_EQ(u.stored_pointer_slot, d.pointer_slot);
        EXPECT_EQ(u.parent, d.parent);
        EXPECT_EQ(u.children, d.children);
        EXPECT_EQ(u.mouse_pointer, d.mouse_pointer);
        EXPECT_EQ(u.tag, d.tag);
        EXPECT_EQ(u.reserved, d.reserved);
        EXPECT_EQ(u.flags, d.flags);
        EXPECT_EQ(u.tab_order, d.tab_order);
        EXPECT_EQ(u.settings, d.settings);
        EXPECT_EQ(u.object_slot, nullptr);
        EXPECT_EQ(u.pointer_slot, nullptr);
        ASSERT_EQ(u.events.size(), d.events.size());
        for (std::size_t k = 0; k < u.events.size(); ++k) {
            EXPECT_EQ(u.events[k].event, d.events[k].event);
            EXPECT_EQ(u.events[k].reference, d.events[k].handler);
            const form::Handler expected =
                d.events[k].handler == form::NO_HANDLER ? nullptr : handlers[static_cast<std::size_t>(d.events[k].handler)];
            EXPECT_EQ(u.events[k].handler, expected);
        }
    }
    EXPECT_EQ(t.units[1].events[0].handler({}), commands::H_删除领地);
}

TEST(FormLoader, LookupByIdUsesTheSortedIndex) {
    const form::LoadResult r = load(formkit::write_form(small_form()));
    ASSERT_EQ(r.error, LoadError::none);
    form::FormData form = r.form;
    form::WindowTemplate* t = form.find(WINDOW_ID);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(form.find(0x52010002), nullptr);
    ASSERT_EQ(t->by_id.size(), t->units.size());
    for (std::size_t k = 1; k < t->by_id.size(); ++k) EXPECT_LT(t->by_id[k - 1].first, t->by_id[k].first);
    for (std::size_t i = 0; i < t->units.size(); ++i) {
        const std::uint32_t id = t->units[i].id;
        EXPECT_EQ(t->position_of(id), static_cast<int>(i));
        EXPECT_EQ(t->find(id), &t->units[i]);
        EXPECT_EQ(std::as_const(*t).find(id), &t->units[i]);
    }
    for (std::uint32_t absent : {0u, 0x16010000u, 0x16010007u, 0xffffffffu}) {
        EXPECT_EQ(t->position_of(absent), -1) << absent;
        EXPECT_EQ(t->find(absent), nullptr) << absent;
    }

    // After the units change, index_units makes the new list findable.
    form::UnitRecord extra;
    extra.id = 0x16000042;
    t->units.insert(t->units.begin() + 1, extra);
    form::index_units(*t);
    EXPECT_EQ(t->position_of(0x16000042), 1);
    EXPECT_EQ(t->position_of(BUTTON), 2);
    EXPECT_EQ(t->position_of(EDIT), 7);
}

TEST(FormLoader, SeveralWindowsLoadInListOrder) {
    formkit::Form f = small_form();
    f.windows.push_back(f.windows[0]);
    f.windows[1].id = 0x52010002;
    f.windows[1].units[3].name = "第二";
    const form::LoadResult r = load(formkit::write_form(f));
    ASSERT_EQ(r.error, LoadError::none) << r.offset;
    ASSERT_EQ(r.form.windows.size(), 2u);
    form::FormData form = r.form;
    ASSERT_NE(form.find(0x52010002), nullptr);
    EXPECT_EQ(form.find(0x52010002)->find(LABEL)->name, "第二");
    EXPECT_EQ(form.find(WINDOW_ID)->find(LABEL)->name, "标签1");
}

// The loader keeps a block as stored; judging it is the business of the settings reader.
TEST(FormLoader, SettingsBlocksAreKeptVerbatim) {
    formkit::Form f = small_form();
    formkit::ButtonSettings too_high;
    too_high.version = 9;
    f.windows[0].units[1].settings = formkit::encode(too_high);
    f.windows[0].units[4].settings = {1, 0};  // ends inside the version
    const form::LoadResult r = load(formkit::write_form(f));
    ASSERT_EQ(r.error, LoadError::none) << r.offset;
    const form::WindowTemplate& t = r.form.windows[0];
    EXPECT_EQ(t.units[1].settings, formkit::encode(too_high));
    EXPECT_EQ(t.units[4].settings, (Bytes{1, 0}));
    EXPECT_TRUE(t.units[3].settings.empty());  // the record without a block
}

TEST(FormLoader, EmptyOrNegativeCountsReadAsEmptyFields) {
    formkit::Form f = small_form();
    f.windows[0].units[2].mouse_pointer.clear();
    formkit::FormLayout layout;
    Bytes b = formkit::write_form(f, &layout);
    set_u32(b, layout.windows[0].records[2].mouse_pointer_at, 0xffffffff);  // count -1: empty
    const form::LoadResult r = load(b);
    ASSERT_EQ(r.error, LoadError::none) << r.offset;
    EXPECT_TRUE(r.form.windows[0].units[2].mouse_pointer.empty());
}

TEST(FormLoader, WhatLoadedBeforeAFaultStaysInTheResult) {
    formkit::FormLayout layout;
    Bytes b = formkit::write_form(small_form(), &layout);
    set_u32(b, layout.windows[0].records[4].children_at, 1000);
    const form::LoadResult r = load(b);
    EXPECT_EQ(r.error, LoadError::truncated);
    ASSERT_EQ(r.form.windows.size(), 1u);
    const form::WindowTemplate& t = r.form.windows[0];
    ASSERT_EQ(t.units.size(), 4u);
    EXPECT_EQ(t.units[3].name, "标签1");
    EXPECT_EQ(t.position_of(FRAME), 2);
}

TEST(FormLoader, RecordsBeforeTheCutOfACutFormStayInTheResult) {
    formkit::FormLayout layout;
    formkit::write_form(formkit::main_window_form(), &layout);
    const auto whole = resources::main_window_form();
    for (std::size_t complete : {std::size_t{0}, std::size_t{10}, std::size_t{43}}) {
        const formkit::RecordLayout& next = layout.windows.at(0).records.at(complete);
        for (std::size_t cut : {next.size_at, next.body_at + 5}) {
            const form::LoadResult r = form::load_form(whole.first(cut), handlers);
            EXPECT_EQ(error_name(r.error), "truncated") << cut;
            ASSERT_EQ(r.form.windows.size(), 1u);
            EXPECT_EQ(r.form.windows[0].units.size(), complete) << cut;
        }
    }
}

// --- refused data ---

struct Case {
    const char* what;
    std::function<Bytes()> bytes;
    LoadError expected;
};

// Writes the small form after `change` has altered its description.
std::function<Bytes()> described(std::function<void(formkit::Window&)> change, bool refill_children = true) {
    return [=] {
        formkit::Form f = small_form();
        change(f.windows[0]);
        if (refill_children) formkit::fill_children(f.windows[0].units);
        return formkit::write_form(f);
    };
}

// Writes the small form and then damages its bytes.
std::function<Bytes()> damaged(std::function<void(Bytes&, const formkit::WindowLayout&)> damage) {
    return [=] {
        formkit::FormLayout layout;
        Bytes b = formkit::write_form(small_form(), &layout);
        damage(b, layout.windows[0]);
        return b;
    };
}

formkit::Unit& unit_with_id(formkit::Window& w, std::uint32_t id) {
    for (formkit::Unit& u : w.units)
        if (u.id == id) return u;
    throw std::logic_error("no such unit in the fixture");
}

const std::vector<Case>& refused_cases() {
    using W = formkit::Window;
    using L = formkit::WindowLayout;
    static const std::vector<Case> cases = {
        // Lengths, offsets and sizes that disagree.
        {"table length 4 short", damaged([](Bytes& b, const L& l) { add_u32(b, l.table_length_at, -4); }),
         LoadError::inconsistent},
        {"table length longer than its records",
         damaged([](Bytes& b, const L& l) {
             add_u32(b, l.table_length_at, 4);
             b.insert(b.end(), 4, 0);
         }),
         LoadError::inconsistent},
        {"offset pointing elsewhere", damaged([](Bytes& b, const L& l) { add_u32(b, l.offsets_at + 8, 4); }),
         LoadError::inconsistent},
        {"first offset not 0", damaged([](Bytes& b, const L& l) { set_u32(b, l.offsets_at, 4); }),
         LoadError::inconsistent},
        {"offsets swapped",
         damaged([](Bytes& b, const L& l) {
             const std::uint32_t o1 = u32_at(b, l.offsets_at + 4), o2 = u32_at(b, l.offsets_at + 8);
             set_u32(b, l.offsets_at + 4, o2);
             set_u32(b, l.offsets_at + 8, o1);
         }),
         LoadError::inconsistent},
        {"body size overrunning the table",
         damaged([](Bytes& b, const L& l) { add_u32(b, l.records.back().size_at, 4); }), LoadError::inconsistent},
        {"body size running into the next record",
         damaged([](Bytes& b, const L& l) { add_u32(b, l.records[1].size_at, 4); }), LoadError::inconsistent},
        {"body size short of the next record",
         damaged([](Bytes& b, const L& l) { add_u32(b, l.records[1].size_at, -4); }), LoadError::inconsistent},
        {"body size far past the end",
         damaged([](Bytes& b, const L& l) { set_u32(b, l.records[2].size_at, 0xfffffff0); }),
         LoadError::inconsistent},
        {"unit count whose lists overrun the table",
         damaged([](Bytes& b, const L& l) { set_u32(b, l.unit_count_at, 0x20000000); }), LoadError::inconsistent},
        {"unit count one past what the table can list",
         damaged([](Bytes& b, const L& l) { set_u32(b, l.unit_count_at, u32_at(b, l.table_length_at) / 8 + 1); }),
         LoadError::inconsistent},
        {"unit count one more", damaged([](Bytes& b, const L& l) { add_u32(b, l.unit_count_at, 1); }),
         LoadError::inconsistent},
        {"unit count one less", damaged([](Bytes& b, const L& l) { add_u32(b, l.unit_count_at, -1); }),
         LoadError::inconsistent},
        {"window list length not a multiple of 8", damaged([](Bytes& b, const L&) { set_u32(b, 0, 12); }),
         LoadError::inconsistent},
        {"window list length 0 before a window entry", damaged([](Bytes& b, const L&) { set_u32(b, 0, 0); }),
         LoadError::inconsistent},
        {"a byte after the last window entry", damaged([](Bytes& b, const L&) { b.push_back(0); }),
         LoadError::inconsistent},
        {"two windows with one id",
         [] {
             formkit::Form f = small_form();
             f.windows.push_back(f.windows[0]);
             return formkit::write_form(f);
         },
         LoadError::inconsistent},

        // Broken invariants of the unit table.
        {"parent naming a Button", described([](W& w) { unit_with_id(w, CHECK).parent = BUTTON; }),
         LoadError::inconsistent},
        {"parent naming the window", described([](W& w) { unit_with_id(w, CHECK).parent = WINDOW_UNIT; }),
         LoadError::inconsistent},
        {"parent naming no unit", described([](W& w) { unit_with_id(w, LABEL).parent = 0x16010099; }),
         LoadError::inconsistent},
        {"children in the wrong order",
         described([](W& w) {
             auto& c = unit_with_id(w, FRAME).children;
             std::swap(c.front(), c.back());
         }, false),
         LoadError::inconsistent},
        {"a child missing", described([](W& w) { unit_with_id(w, FRAME).children.pop_back(); }, false),
         LoadError::inconsistent},
        {"a child listed twice", described([](W& w) { unit_with_id(w, INNER).children.push_back(EDIT); }, false),
         LoadError::inconsistent},
        {"a child listed by a frame it does not name",
         described([](W& w) { unit_with_id(w, INNER).children.push_back(CHECK); }, false), LoadError::inconsistent},
        {"children on a Button", described([](W& w) { unit_with_id(w, BUTTON).children = {LABEL}; }, false),
         LoadError::inconsistent},
        {"duplicate id", described([](W& w) { unit_with_id(w, LABEL).id = CHECK; }), LoadError::inconsistent},
        {"duplicate id of a frame", described([](W& w) { unit_with_id(w, LABEL).id = FRAME; }, false),
         LoadError::inconsistent},
        {"window's record not first", described([](W& w) { std::swap(w.units[0], w.units[1]); }),
         LoadError::inconsistent},
        {"a second window record", described([](W& w) { unit_with_id(w, LABEL).kind = form::KIND_WINDOW; }),
         LoadError::inconsistent},
        {"no units at all", described([](W& w) { w.units.clear(); }), LoadError::inconsistent},
        {"id with zero low bits", described([](W& w) { unit_with_id(w, LABEL).id = 0x16000000; }),
         LoadError::inconsistent},
        {"id with zero bits 24 to 27", described([](W& w) { unit_with_id(w, LABEL).id = 0x10000003; }),
         LoadError::inconsistent},
        {"menu item id", described([](W& w) { unit_with_id(w, LABEL).id = 0x26010003; }), LoadError::inconsistent},
        {"frames naming each other as parent", described([](W& w) { unit_with_id(w, FRAME).parent = INNER; }),
         LoadError::inconsistent},
        {"frame naming itself as parent", described([](W& w) { unit_with_id(w, INNER).parent = INNER; }),
         LoadError::inconsistent},
        {"event source of another kind", described([](W& w) { unit_with_id(w, BUTTON).event_source = CHECK; }),
         LoadError::inconsistent},
        {"event source naming no unit", described([](W& w) { unit_with_id(w, BUTTON).event_source = 0x160100ff; }),
         LoadError::inconsistent},
        {"event source naming itself", described([](W& w) { unit_with_id(w, BUTTON).event_source = BUTTON; }),
         LoadError::inconsistent},
        {"event sources in a loop",
         described([](W& w) {
             formkit::Unit second = unit_with_id(w, BUTTON);
             second.id = 0x16010007;
             second.event_source = BUTTON;
             unit_with_id(w, BUTTON).event_source = 0x16010007;
             w.units.push_back(second);
         }),
         LoadError::inconsistent},

        // Handler references.
        {"handler index = table size",
         described([](W& w) { unit_with_id(w, BUTTON).events[0].handler = commands::HANDLER_COUNT; }),
         LoadError::bad_handler},
        {"handler index far out", described([](W& w) { unit_with_id(w, BUTTON).events[0].handler = INT_MAX; }),
         LoadError::bad_handler},
        {"negative handler index", described([](W& w) { unit_with_id(w, BUTTON).events[0].handler = -2; }),
         LoadError::bad_handler},
        {"most negative handler index",
         described([](W& w) { unit_with_id(w, BUTTON).events[0].handler = INT_MIN; }), LoadError::bad_handler},
        {"bad handler in a later binding",
         described([](W& w) { unit_with_id(w, LABEL).events = {{0, form::NO_HANDLER}, {3, 99}}; }),
         LoadError::bad_handler},

        // Data that ends before a field is complete.
        {"table length past the end of the data",
         damaged([](Bytes& b, const L& l) { add_u32(b, l.table_length_at, 4); }), LoadError::truncated},
        {"window list length past the end", damaged([](Bytes& b, const L&) { set_u32(b, 0, 0x80000000); }),
         LoadError::truncated},
        {"children count running past the body",
         damaged([](Bytes& b, const L& l) { set_u32(b, l.records[2].children_at, 1000); }), LoadError::truncated},
        {"events count running past the body",
         damaged([](Bytes& b, const L& l) { set_u32(b, l.records[1].events_at, 0x7fffffff); }),
         LoadError::truncated},
        {"mouse pointer count running past the body",
         damaged([](Bytes& b, const L& l) { set_u32(b, l.records[3].mouse_pointer_at, 400); }),
         LoadError::truncated},
        {"reserved text field running past the entry", damaged([](Bytes& b, const L& l) { set_u32(b, l.entry_at + 8, 0x7fffffff); }),
         LoadError::truncated},
        {"second window entry missing",
         [] {
             formkit::Form f = small_form();
             f.windows.push_back(f.windows[0]);
             f.windows[1].id = 0x52010002;
             formkit::FormLayout layout;
             Bytes b = formkit::write_form(f, &layout);
             b.resize(layout.windows[1].entry_at);
             return b;
         },
         LoadError::truncated},
    };
    return cases;
}

TEST(FormLoaderRefuses, EachFaultWithItsError) {
    for (const Case& c : refused_cases()) {
        const Bytes b = c.bytes();
        const form::LoadResult r = load(b);
        EXPECT_EQ(error_name(r.error), error_name(c.expected)) << c.what;
        EXPECT_LE(r.offset, b.size()) << c.what;
    }
}

TEST(FormLoaderRefuses, FaultOffsetsPointAtTheField) {
    formkit::FormLayout layout;
    const Bytes good = formkit::write_form(small_form(), &layout);
    const formkit::WindowLayout& l = layout.windows[0];

    Bytes b = good;
    add_u32(b, l.offsets_at + 8, 4);
    EXPECT_EQ(load(b).offset, l.offsets_at + 8);

    b = good;
    b.push_back(0);
    EXPECT_EQ(load(b).offset, good.size());

    formkit::Form f = small_form();
    f.windows[0].units[1].events[0].handler = 500;
    b = formkit::write_form(f, &layout);
    const form::LoadResult r = load(b);
    EXPECT_EQ(r.error, LoadError::bad_handler);
    EXPECT_EQ(r.offset, layout.windows[0].records[1].events_at + 4);
}

// A record cut anywhere before its settings block is truncated; from there on every cut is a
// shorter block, which the loader takes as it is.
TEST(FormLoaderRefuses, RecordBodyCutAtEveryLength) {
    const formkit::Window w = small_form().windows[0];
    std::vector<Bytes> bodies;
    for (const formkit::Unit& u : w.units) bodies.push_back(formkit::record_body(u));
    const std::size_t target = 1;  // the button: it has a name, an event binding and a block
    const Bytes full = bodies[target];
    const std::size_t settings_at = full.size() - w.units[target].settings.size();
    for (std::size_t k = 0; k <= full.size(); ++k) {
        bodies[target].assign(full.begin(), full.begin() + static_cast<long>(k));
        const Bytes b = form_from_bodies(w, bodies);
        const form::LoadResult r = load(b);
        if (k < settings_at) {
            EXPECT_EQ(error_name(r.error), "truncated") << "cut at " << k;
        } else {
            ASSERT_EQ(error_name(r.error), "none") << "cut at " << k;
            EXPECT_EQ(r.form.windows[0].units[target].settings.size(), k - settings_at);
        }
    }
}

// --- MainWindow's form cut short ---

TEST(FormLoaderCuts, MeaningfulCutPointsOfTheRealFormAreTruncated) {
    formkit::FormLayout layout;
    formkit::write_form(formkit::main_window_form(), &layout);
    const formkit::WindowLayout& l = layout.windows.at(0);
    std::vector<std::size_t> cuts = {0, 1, 3, 4, 7, 8, 11, 12, 16, 20, 24, 27, 28, 31, 32, 35, 36,
                                     l.ids_at + 1, l.offsets_at, l.offsets_at + 3, l.records_at,
                                     l.records_at + 2, 8001};
    for (std::size_t i : {std::size_t{0}, std::size_t{22}, std::size_t{43}}) {
        const formkit::RecordLayout& r = l.records.at(i);
        cuts.insert(cuts.end(), {r.size_at, r.body_at, r.body_at + 30, r.children_at, r.events_at,
                                 r.settings_at - 1, r.end - 1});
    }
    const auto whole = resources::main_window_form();
    for (std::size_t cut : cuts) {
        ASSERT_LT(cut, whole.size());
        const form::LoadResult r = form::load_form(whole.first(cut), handlers);
        EXPECT_EQ(error_name(r.error), "truncated") << "cut at " << cut;
        EXPECT_LE(r.offset, cut) << "cut at " << cut;
    }
}

TEST(FormLoaderCuts, NoCutOfTheRealFormLoads) {
    const auto whole = resources::main_window_form();
    ASSERT_EQ(whole.size(), 8002u);
    int loaded = 0, other_errors = 0;
    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
        const form::LoadResult r = form::load_form(whole.first(cut), handlers);
        loaded += r.error == LoadError::none;
        other_errors += r.error != LoadError::none && r.error != LoadError::truncated;
    }
    EXPECT_EQ(loaded, 0);
    EXPECT_EQ(other_errors, 0);
    EXPECT_EQ(form::load_form(whole, handlers).error, LoadError::none);
}

// Every single byte of the small form replaced by a few values: whatever loads still satisfies
// the lookup invariants, and every fault is reported inside the data. Run under the sanitizers
// this also shows that no read goes past the end.
TEST(FormLoaderCuts, ChangedBytesNeverBreakTheLoadedTables) {
    const Bytes good = formkit::write_form(small_form());
    for (std::size_t at = 0; at < good.size(); ++at) {
        for (std::uint8_t value : {std::uint8_t{0x00}, std::uint8_t{0x01}, std::uint8_t{0x80}, std::uint8_t{0xff}}) {
            Bytes b = good;
            b[at] = value;
            const form::LoadResult r = load(b);
            ASSERT_LE(r.offset, b.size()) << at;
            if (r.error != LoadError::none) continue;
            for (const form::WindowTemplate& t : r.form.windows)
                for (std::size_t i = 0; i < t.units.size(); ++i)
                    ASSERT_EQ(t.position_of(t.units[i].id), static_cast<int>(i)) << at;
        }
    }
}

}  // namespace
