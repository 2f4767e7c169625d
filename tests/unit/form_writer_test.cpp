// The form writer and the settings block encoders, checked against hand-spelled bytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fixtures/form_fixtures.h"
#include "formkit/form_writer.h"

namespace {

using formkit::Bytes;

// Spells expected bytes field by field, independently of the writer's own encoders.
struct Spell {
    Bytes b;
    Spell& u32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        return *this;
    }
    Spell& i16(std::uint16_t v) {
        b.push_back(static_cast<std::uint8_t>(v));
        b.push_back(static_cast<std::uint8_t>(v >> 8));
        return *this;
    }
    Spell& raw(const std::string& s) {
        b.insert(b.end(), s.begin(), s.end());
        return *this;
    }
    Spell& text(const std::string& s) { return u32(static_cast<std::uint32_t>(s.size())).raw(s); }
    Spell& zeros(std::size_t n) {
        b.insert(b.end(), n, 0);
        return *this;
    }
};

std::uint32_t u32_at(const Bytes& b, std::size_t at) {
    return std::uint32_t{b.at(at)} | std::uint32_t{b.at(at + 1)} << 8 | std::uint32_t{b.at(at + 2)} << 16 |
           std::uint32_t{b.at(at + 3)} << 24;
}

TEST(FormWriterFields, EncodeLittleEndianAndCountedFields) {
    Bytes b;
    formkit::put_u32(b, 0x11223344);
    formkit::put_i32(b, -2);
    formkit::put_i16(b, -3);
    formkit::put_byte_field(b, {});
    formkit::put_text_field(b, "生成");
    formkit::put_zero_terminated(b, "名");
    const Bytes expected = {0x44, 0x33, 0x22, 0x11, 0xfe, 0xff, 0xff, 0xff, 0xfd, 0xff, 0, 0, 0, 0,
                            4,    0,    0,    0,    0xc9, 0xfa, 0xb3, 0xc9, 0xc3, 0xfb, 0};
    EXPECT_EQ(b, expected);
}

TEST(FormWriter, FillChildrenListsUnitsNamingEachParentInListOrder) {
    std::vector<formkit::Unit> units(6);
    const std::uint32_t parents[] = {0, 0, 2, 3, 2, 3};  // ids are 1 to 6
    for (std::uint32_t i = 0; i < 6; ++i) {
        units[i].id = i + 1;
        units[i].parent = parents[i];
        units[i].children = {99};  // stale: must be replaced
    }
    formkit::fill_children(units);
    EXPECT_EQ(units[1].children, (std::vector<std::uint32_t>{3, 5}));
    EXPECT_EQ(units[2].children, (std::vector<std::uint32_t>{4, 6}));
    for (std::size_t i : {0u, 3u, 4u, 5u}) EXPECT_TRUE(units[i].children.empty()) << i;
}

TEST(FormWriter, RecordBodyHoldsEveryFieldInStoredOrder) {
    formkit::Unit u;
    u.id = 0x16010001;
    u.kind = 0x0001000b;
    u.event_source = 0x16010009;
    u.name = "按钮";
    u.comment = "c";
    u.object_slot = 7;
    u.left = -1;
    u.top = 2;
    u.width = 300;
    u.height = 40;
    u.pointer_slot = 8;
    u.parent = 0x16010002;
    u.children = {0x16010003, 0x16010004};
    u.mouse_pointer = {1, 0, 0, 0};
    u.tag = "t";
    u.reserved = 9;
    u.flags = 5;
    u.tab_order = 3;
    u.events = {{0, 4}, {-7, -1}};
    u.settings = {0xaa, 0xbb};
    const Bytes expected = Spell{}
                               .u32(0x0001000b)
                               .u32(0x16010009)
                               .zeros(16)
                               .raw("按钮")
                               .zeros(1)
                               .raw("c")
                               .zeros(1)
                               .u32(7)
                               .u32(0xffffffff)
                               .u32(2)
                               .u32(300)
                               .u32(40)
                               .u32(8)
                               .u32(0x16010002)
                               .u32(2)
                               .u32(0x16010003)
                               .u32(0x16010004)
                               .u32(4)
                               .u32(1)
                               .raw("t")
                               .zeros(1)
                               .u32(9)
                               .u32(5)
                               .u32(3)
                               .u32(2)
                               .u32(0)
                               .u32(4)
                               .u32(0xfffffff9)
                               .u32(0xffffffff)
                               .zeros(20)
                               .raw("\xaa\xbb")
                               .b;
    EXPECT_EQ(formkit::record_body(u), expected);
}

TEST(FormWriter, TableLengthOffsetsAndBodySizesAgree) {
    const formkit::Form f = form_fixtures::small_form();
    formkit::FormLayout layout;
    const Bytes b = formkit::write_form(f, &layout);
    ASSERT_EQ(layout.windows.size(), 1u);
    const formkit::WindowLayout& w = layout.windows[0];
    const std::size_t n = f.windows[0].units.size();

    EXPECT_EQ(u32_at(b, 0), 8u);
    EXPECT_EQ(u32_at(b, 4), form_fixtures::WINDOW_ID);
    EXPECT_EQ(u32_at(b, 8), 0x12345678u);
    EXPECT_EQ(w.entry_at, 12u);
    EXPECT_EQ(u32_at(b, 16), 0x190100a4u);
    EXPECT_EQ(u32_at(b, w.unit_count_at), n);
    EXPECT_EQ(u32_at(b, w.table_length_at), b.size() - w.ids_at);
    EXPECT_EQ(w.end, b.size());
    EXPECT_EQ(layout.end, b.size());
    ASSERT_EQ(w.records.size(), n);
    std::size_t expected_start = w.records_at;
    for (std::size_t i = 0; i < n; ++i) {
        const formkit::RecordLayout& r = w.records[i];
        EXPECT_EQ(u32_at(b, w.ids_at + 4 * i), f.windows[0].units[i].id) << i;
        EXPECT_EQ(r.size_at, expected_start) << i;
        EXPECT_EQ(u32_at(b, w.offsets_at + 4 * i), r.size_at - w.records_at) << i;
        EXPECT_EQ(u32_at(b, r.size_at), r.end - r.body_at) << i;
        EXPECT_EQ(r.end - r.settings_at, f.windows[0].units[i].settings.size()) << i;
        EXPECT_EQ(Bytes(b.begin() + static_cast<long>(r.body_at), b.begin() + static_cast<long>(r.end)),
                  formkit::record_body(f.windows[0].units[i]))
            << i;
        expected_start = r.end;
    }
    EXPECT_EQ(expected_start, b.size());
}

TEST(FormWriter, WindowsFollowEachOtherAfterTheirIdAndPlaceholderLists) {
    formkit::Form f = form_fixtures::small_form();
    f.windows.push_back(f.windows[0]);
    f.windows[1].id = 0x52010002;
    f.windows[1].placeholder = 0x9;
    formkit::FormLayout layout;
    const Bytes b = formkit::write_form(f, &layout);
    EXPECT_EQ(u32_at(b, 0), 16u);
    EXPECT_EQ(u32_at(b, 4), 0x52010001u);
    EXPECT_EQ(u32_at(b, 8), 0x52010002u);
    EXPECT_EQ(u32_at(b, 12), 0x12345678u);
    EXPECT_EQ(u32_at(b, 16), 0x9u);
    ASSERT_EQ(layout.windows.size(), 2u);
    EXPECT_EQ(layout.windows[0].entry_at, 20u);
    EXPECT_EQ(layout.windows[1].entry_at, layout.windows[0].end);
    EXPECT_EQ(layout.windows[1].end, b.size());
}

// --- settings blocks ---

struct BlockCase {
    const char* what;
    Bytes encoded;
    Bytes expected;
};

formkit::LabelSettings label_v(std::uint32_t version) {
    formkit::LabelSettings s;
    s.version = version;
    return s;
}

std::vector<BlockCase> block_cases() {
    std::vector<BlockCase> cases;
    {
        formkit::ButtonSettings s;
        cases.push_back({"button defaults", formkit::encode(s),
                         Spell{}.u32(1).u32(0).u32(1).u32(1).u32(0).u32(0).text("按钮").b});
        s.version = 0;
        s.button_type = 1;
        s.horizontal_align = 2;
        s.vertical_align = 0;
        s.picture = {1, 2};
        s.font = {3};
        s.caption = "生成";
        cases.push_back({"button fields", formkit::encode(s),
                         Spell{}.u32(0).u32(1).u32(2).u32(0).u32(2).raw("\x01\x02").u32(1).raw("\x03").text("生成").b});
    }
    {
        formkit::GroupBoxSettings s;
        cases.push_back({"group box defaults", formkit::encode(s),
                         Spell{}.u32(1).u32(0).u32(0).u32(0xFF000000).u32(0).u32(0).b});
        s.caption_align = 1;
        s.text_color = 0x0000FF;
        s.back_color = 0x123456;
        s.caption = "领地名";
        cases.push_back({"group box fields", formkit::encode(s),
                         Spell{}.u32(1).u32(1).u32(0xFF).u32(0x123456).u32(0).text("领地名").b});
    }
    {
        const Bytes label_head = Spell{}
                                     .u32(0)  // text_effect
                                     .u32(8)  // gradient_border_width
                                     .u32(0)  // border_style
                                     .u32(0x808080)
                                     .u32(0xFFFFFF)
                                     .u32(0x808080)
                                     .u32(0)           // text_color
                                     .u32(0xFF000000)  // back_color
                                     .u32(1)           // picture_mode
                                     .u32(0)           // gradient_mode
                                     .u32(0x808080)
                                     .u32(0xFFFFFF)
                                     .u32(0x808080)
                                     .u32(0)  // horizontal_align
                                     .u32(1)  // vertical_align
                                     .u32(0)  // word_wrap
                                     .u32(0)  // font
                                     .u32(0)  // picture
                                     .text("标签")
                                     .b;
        Spell v2 = Spell{}.u32(2);
        v2.b.insert(v2.b.end(), label_head.begin(), label_head.end());
        v2.u32(0).u32(0);
        cases.push_back({"label version 2", formkit::encode(label_v(2)), v2.b});
        for (std::uint32_t version : {0u, 1u}) {
            Spell older = Spell{}.u32(version);
            older.b.insert(older.b.end(), label_head.begin(), label_head.end());
            cases.push_back({"label without data source", formkit::encode(label_v(version)), older.b});
        }
    }
    {
        formkit::EditBoxSettings s;
        s.multi_line = 1;
        const Bytes head = Spell{}
                               .u32(1)         // border_style
                               .u32(0)         // text_color
                               .u32(0xFFFFFF)  // back_color
                               .u32(1)         // hide_selection
                               .u32(0)         // max_length
                               .u32(1)         // multi_line
                               .u32(0)         // scroll_bars
                               .u32(0)         // horizontal_align
                               .u32(0)         // input_mode
                               .i16(0x2A)      // password_char
                               .u32(0)         // case_conversion
                               .u32(0)         // spin_mode
                               .u32(0)         // spin_lower
                               .u32(100)       // spin_upper
                               .u32(0)
                               .u32(0)
                               .u32(0)  // font
                               .u32(0)  // text
                               .b;
        Spell v2 = Spell{}.u32(2);
        v2.b.insert(v2.b.end(), head.begin(), head.end());
        v2.u32(0).u32(0);
        cases.push_back({"multi-line edit box version 2", formkit::encode(s), v2.b});
        s.version = 1;
        Spell v1 = Spell{}.u32(1);
        v1.b.insert(v1.b.end(), head.begin(), head.end());
        cases.push_back({"multi-line edit box version 1", formkit::encode(s), v1.b});
    }
    {
        const auto choice_head = [](std::uint32_t version, std::uint32_t check_state) {
            return Spell{}.u32(version).u32(0).u32(0).u32(0).u32(0).u32(1).u32(0).u32(0xFF000000).u32(check_state).u32(0).u32(0);
        };
        formkit::CheckBoxSettings c;
        c.caption = "移除消息";
        cases.push_back({"check box version 2", formkit::encode(c), choice_head(2, 0).text("移除消息").u32(0).u32(0).b});
        c.version = 1;
        cases.push_back({"check box version 1", formkit::encode(c), choice_head(1, 0).text("移除消息").b});
        cases.push_back({"check box default caption", formkit::encode(formkit::CheckBoxSettings{}),
                         choice_head(2, 0).text("选择框").u32(0).u32(0).b});
        formkit::RadioBoxSettings r;
        r.check_state = 1;
        r.caption = "加入";
        cases.push_back({"radio box", formkit::encode(r), choice_head(1, 1).text("加入").b});
        r.version = 2;  // above the highest: still no data source fields for a radio box
        cases.push_back({"radio box version too high", formkit::encode(r), choice_head(2, 1).text("加入").b});
        cases.push_back({"radio box default caption", formkit::encode(formkit::RadioBoxSettings{}),
                         choice_head(1, 0).text("单选框").b});
    }
    return cases;
}

TEST(FormSettingsBlock, EncodersWriteTheFieldsOfTheirVersion) {
    for (const BlockCase& c : block_cases()) EXPECT_EQ(c.encoded, c.expected) << c.what;
}

TEST(FormSettingsBlock, EditBoxOfVersion2Is82Bytes) {
    formkit::EditBoxSettings s;
    s.multi_line = 1;
    EXPECT_EQ(formkit::encode(s).size(), 82u);
}

// The stored order departs from the property order; these fields must land where readers look.
TEST(FormSettingsBlock, FieldsLandAtTheirOffsets) {
    {
        formkit::LabelSettings s;
        s.text_effect = 3;
        s.gradient_border_width = 5;
        s.border_style = 6;
        s.word_wrap = 1;
        s.vertical_align = 2;
        s.data_source = "源";
        s.data_column = "列";
        const Bytes e = formkit::encode(s);
        EXPECT_EQ(u32_at(e, 4), 3u);
        EXPECT_EQ(u32_at(e, 8), 5u);  // width before style
        EXPECT_EQ(u32_at(e, 12), 6u);
        EXPECT_EQ(u32_at(e, 60), 2u);  // vertical_align before word_wrap
        EXPECT_EQ(u32_at(e, 64), 1u);
        const Bytes tail = Spell{}.text("源").text("列").b;
        EXPECT_EQ(Bytes(e.end() - static_cast<long>(tail.size()), e.end()), tail);
    }
    {
        formkit::EditBoxSettings s;
        s.password_char = 0x23;
        s.text = "文";
        s.data_source = "d";
        const Bytes e = formkit::encode(s);
        EXPECT_EQ(e[40], 0x23);
        EXPECT_EQ(e[41], 0x00);
        EXPECT_EQ(u32_at(e, 54), 100u);  // spin_upper, after the two-byte password_char
        EXPECT_EQ(Bytes(e.begin() + 70, e.end()), Spell{}.text("文").text("d").u32(0).b);
    }
}

TEST(FormSettingsBlock, WindowFieldsAppearFromTheirVersionOn) {
    // Integer bytes per version: rows 1 to 14, then one more row at 2, two at 3, one at 4 and 5.
    const std::size_t integer_bytes[] = {56, 56, 60, 68, 72, 76, 76};
    for (std::uint32_t version = 0; version <= 6; ++version) {
        formkit::WindowSettings s;
        s.version = version;
        s.help_context = 77;
        s.show_in_taskbar = 0x22;
        s.always_on_top = 0x44;
        s.keep_title_active = 0x55;
        s.window_class = "cls";
        s.caption = "领地设置";
        s.help_file = "h";
        const Bytes e = formkit::encode(s);
        const std::size_t fields_at = integer_bytes[version];
        const Bytes tail = version >= 6 ? Spell{}.text("cls").u32(0).u32(0).u32(0).text("领地设置").text("h").b
                                        : Spell{}.u32(0).u32(0).u32(0).text("领地设置").text("h").b;
        ASSERT_EQ(e.size(), fields_at + tail.size()) << version;
        EXPECT_EQ(u32_at(e, 0), version);
        EXPECT_EQ(u32_at(e, 52), 77u) << version;  // help_context, the last row of every version
        if (version >= 2) {
            EXPECT_EQ(u32_at(e, 56), 0x22u) << version;
        }
        if (version >= 4) {
            EXPECT_EQ(u32_at(e, 68), 0x44u) << version;
        }
        if (version >= 5) {
            EXPECT_EQ(u32_at(e, 72), 0x55u) << version;
        }
        EXPECT_EQ(Bytes(e.begin() + static_cast<long>(fields_at), e.end()), tail) << version;
    }
}

TEST(FormSettingsBlock, WindowDefaultsAsStored) {
    formkit::WindowSettings s;
    s.caption = "领地设置";
    const Bytes expected = Spell{}
                               .u32(6)
                               .u32(2)           // frame_style
                               .u32(1)           // picture_mode
                               .u32(0xFF000000)  // back_color
                               .u32(0)           // maximize_box
                               .u32(1)           // minimize_box
                               .u32(1)           // control_box
                               .u32(1)           // start_position
                               .u32(1)           // movable
                               .u32(0)           // music_repeat
                               .u32(0)           // enter_moves_focus
                               .u32(1)           // escape_closes
                               .u32(0)           // f1_opens_help
                               .u32(0)           // help_context
                               .u32(1)           // show_in_taskbar
                               .u32(0)
                               .u32(0)
                               .u32(0)
                               .u32(0)
                               .u32(0)  // window_class
                               .u32(0)
                               .u32(0)
                               .u32(0)
                               .text("领地设置")
                               .u32(0)
                               .b;
    EXPECT_EQ(expected.size(), 108u);
    EXPECT_EQ(formkit::encode(s), expected);
}

}  // namespace
