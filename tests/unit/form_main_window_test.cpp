// MainWindow's stored form: the committed file, its generator, and what it loads into,
// checked row by row against the control table.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "commands/handler_table.h"
#include "fixtures/form_fixtures.h"
#include "formkit/main_window.h"
#include "resources/form_bytes.h"
#include "window/form.h"

namespace {

using namespace commands;
using formkit::Bytes;

Bytes committed_form() {
    Bytes bytes;
    std::FILE* f = std::fopen(SOURCE_DIR "/src/resources/main_window.form", "rb");
    if (!f) return bytes;
    std::uint8_t buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
    return bytes;
}

std::uint32_t u32_at(std::span<const std::uint8_t> b, std::size_t at) {
    return std::uint32_t{b[at]} | std::uint32_t{b[at + 1]} << 8 | std::uint32_t{b[at + 2]} << 16 |
           std::uint32_t{b[at + 3]} << 24;
}

const form::WindowTemplate& main_template() {
    static const form::LoadResult loaded = form_fixtures::load(resources::main_window_form());
    return loaded.form.windows.at(0);
}

TEST(FormMainWindowFile, EmbeddedBytesEqualTheCommittedFile) {
    const Bytes file = committed_form();
    ASSERT_EQ(file.size(), 8002u);
    const auto embedded = resources::main_window_form();
    EXPECT_EQ(Bytes(embedded.begin(), embedded.end()), file);
}

TEST(FormMainWindowFile, DescriptionRegeneratesTheCommittedFile) {
    formkit::FormLayout layout;
    const Bytes generated = formkit::write_form(formkit::main_window_form(), &layout);
    EXPECT_EQ(generated, committed_form());
    ASSERT_EQ(layout.windows.size(), 1u);
    EXPECT_EQ(layout.windows[0].end, 8002u);  // the window entry ends with the data
}

TEST(FormMainWindowFile, HeaderFieldsAndTableLength) {
    const auto b = resources::main_window_form();
    ASSERT_EQ(b.size(), 8002u);
    EXPECT_EQ(u32_at(b, 0), 8u);
    EXPECT_EQ(u32_at(b, 4), 0x52010001u);
    EXPECT_EQ(u32_at(b, 8), 0x025ac040u);
    EXPECT_EQ(u32_at(b, 12), 0u);
    EXPECT_EQ(u32_at(b, 16), 0x190100a4u);
    EXPECT_EQ(u32_at(b, 20), 0u);  // two empty text fields
    EXPECT_EQ(u32_at(b, 24), 0u);
    EXPECT_EQ(u32_at(b, 28), 44u);
    EXPECT_EQ(u32_at(b, 32), 7966u);
    EXPECT_EQ(36u + 7966u, b.size());
    EXPECT_EQ(u32_at(b, 36 + 4 * 44), 0u);  // the first record begins right after the offsets
}

TEST(FormMainWindow, LoadsAsOneWindowOf44Units) {
    const form::LoadResult r = form_fixtures::load(resources::main_window_form());
    ASSERT_EQ(r.error, form::LoadError::none) << r.offset;
    ASSERT_EQ(r.form.windows.size(), 1u);
    const form::WindowTemplate& t = r.form.windows[0];
    EXPECT_EQ(t.window_id, resources::MAIN_WINDOW_ID);
    EXPECT_EQ(t.reserved0, 0);
    EXPECT_EQ(t.reserved1, 0x190100a4u);
    EXPECT_EQ(t.reserved_text0, "");
    EXPECT_EQ(t.reserved_text1, "");
    EXPECT_EQ(t.units.size(), 44u);
}

// Walks a settings block as its kind lays it out and returns the caption; also checks that the
// block ends exactly after its last field.
struct BlockShape {
    std::uint32_t version;
    std::size_t integer_bytes;
    int fields;         // byte and text fields after the integers
    int caption_field;  // -1: the kind has no caption
};

std::optional<BlockShape> shape_of(std::uint32_t kind) {
    switch (kind) {
    case form::KIND_WINDOW: return BlockShape{6, 76, 6, 4};
    case form::KIND_BUTTON: return BlockShape{1, 16, 3, 2};
    case form::KIND_GROUP_BOX: return BlockShape{1, 16, 2, 1};
    case form::KIND_LABEL: return BlockShape{2, 68, 5, 2};
    case form::KIND_EDIT_BOX: return BlockShape{2, 66, 4, -1};
    case form::KIND_CHECK_BOX: return BlockShape{2, 36, 5, 2};
    case form::KIND_RADIO_BOX: return BlockShape{1, 36, 3, 2};
    default: return std::nullopt;
    }
}

std::optional<std::string> caption_in(const form::UnitRecord& u) {
    const auto shape = shape_of(u.kind);
    const Bytes& b = u.settings;
    if (!shape || b.size() < shape->integer_bytes) {
        ADD_FAILURE() << "no block shape or a short block";
        return std::nullopt;
    }
    EXPECT_EQ(u32_at(b, 0), shape->version);
    std::size_t at = shape->integer_bytes;
    std::optional<std::string> caption;
    for (int field = 0; field < shape->fields; ++field) {
        if (at + 4 > b.size()) {
            ADD_FAILURE() << "block ends inside field " << field;
            return std::nullopt;
        }
        const auto count = static_cast<std::int32_t>(u32_at(b, at));
        at += 4;
        const std::size_t length = count > 0 ? static_cast<std::size_t>(count) : 0;
        if (at + length > b.size()) {
            ADD_FAILURE() << "field " << field << " runs past the block";
            return std::nullopt;
        }
        if (field == shape->caption_field) caption = std::string(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + length));
        at += length;
    }
    EXPECT_EQ(at, b.size()) << "bytes after the last field";
    return caption;
}

constexpr std::int32_t NONE = -1;

struct Row {
    int pos;
    std::uint32_t id;
    std::uint32_t kind;
    const char* name;
    const char* parent;  // "": the window's client area
    struct { std::int32_t left, top, width, height; } rect;
    struct { std::int32_t x, y; } client;  // the corner in MainWindow's client area
    const char* caption;  // nullptr: none stored
    std::uint32_t flags;
    std::int32_t handler;  // of event 0; NONE: nothing bound
};

// The control table, one row per unit in list order.
const Row control_table[] = {
    {0, 0x06010000, form::KIND_WINDOW, "", "", {50, 50, 609, 369}, {0, 0}, "领地设置", 1, H_CREATED},
    {1, 0x160100c3, form::KIND_BUTTON, "查看玩家所有领地", "分组框10", {192, 56, 82, 31}, {191, 62}, "查看玩家所有领地", 5, H_查看玩家所有领地},
    {2, 0x160100c1, form::KIND_BUTTON, "查看权限列表1", "分组框9", {22, 48, 155, 24}, {398, 296}, "删除一个玩家所有权限", 5, H_查看权限列表1},
    {3, 0x16010078, form::KIND_GROUP_BOX, "分组框8", "分组框1", {8, 8, 608, 343}, {-2, 1}, "", 1, NONE},
    {4, 0x1601007d, form::KIND_BUTTON, "查看权限列表", "分组框9", {22, 20, 155, 24}, {398, 268}, "给不同的玩家上设置权限", 5, H_查看权限列表},
    {5, 0x1601007e, form::KIND_GROUP_BOX, "分组框9", "分组框8", {378, 247, 224, 88}, {376, 248}, "为某玩家设置该领地的特定权限", 1, NONE},
    {6, 0x1601007f, form::KIND_BUTTON, "传送世界上随机位置", "分组框10", {96, 56, 84, 31}, {95, 62}, "传送世界上随机位置", 5, H_传送世界上随机位置},
    {7, 0x16010080, form::KIND_BUTTON, "查看圈地领地大小和金钱", "分组框10", {3, 56, 84, 31}, {2, 62}, "查看圈地领地大小和金钱", 5, H_查看圈地领地大小和金钱},
    {8, 0x16010081, form::KIND_BUTTON, "显示领地限制", "分组框10", {192, 20, 82, 31}, {191, 26}, "显示领地限制", 5, H_显示领地限制},
    {9, 0x16010082, form::KIND_BUTTON, "查看领地", "分组框10", {4, 20, 84, 31}, {3, 26}, "查看领地指令", 5, H_查看领地},
    {10, 0x16010083, form::KIND_BUTTON, "列出所有领地", "分组框10", {96, 20, 82, 31}, {95, 26}, "列出所有领地", 5, H_列出所有领地},
    {11, 0x16010084, form::KIND_GROUP_BOX, "分组框10", "分组框8", {1, 5, 289, 100}, {-1, 6}, "不用站在领地内输入", 1, NONE},
    {12, 0x16010085, form::KIND_BUTTON, "显示领地边界", "分组框11", {160, 16, 64, 31}, {450, 24}, "显示领地边界", 5, H_显示领地边界},
    {13, 0x16010086, form::KIND_BUTTON, "设置领地权限", "分组框11", {80, 16, 64, 31}, {370, 24}, "设置领地权限", 5, H_设置领地权限},
    {14, 0x16010087, form::KIND_BUTTON, "设置领地传送点", "分组框11", {8, 16, 64, 31}, {298, 24}, "设置领地传送点", 5, H_设置领地传送点},
    {15, 0x16010088, form::KIND_GROUP_BOX, "分组框11", "分组框8", {292, 7, 312, 99}, {290, 8}, "站在领地内输入", 1, NONE},
    {16, 0x16010089, form::KIND_BUTTON, "重置领地所有权限", "分组框14", {504, 96, 85, 31}, {504, 201}, "重置领地所有权限", 5, H_重置领地所有权限},
    {17, 0x1601008a, form::KIND_BUTTON, "传送到领地", "分组框14", {400, 99, 85, 23}, {400, 204}, "传送到领地", 5, H_传送到领地},
    {18, 0x1601008b, form::KIND_BUTTON, "加入领地聊天频道", "分组框14", {196, 40, 85, 31}, {196, 145}, "加入领地聊天频道", 5, H_加入领地聊天频道},
    {19, 0x1601008c, form::KIND_BUTTON, "删除领地", "分组框14", {130, 40, 64, 24}, {130, 145}, "删除领地", 5, H_删除领地},
    {20, 0x1601008d, form::KIND_CHECK_BOX, "移除消息", "分组框12", {117, 17, 50, 24}, {120, 208}, "移除消息", 5, NONE},
    {21, 0x1601008e, form::KIND_BUTTON, "生成", "分组框12", {349, 17, 32, 24}, {352, 208}, "生成", 5, H_生成},
    {22, 0x1601008f, form::KIND_EDIT_BOX, "消息4", "分组框12", {221, 16, 120, 25}, {224, 207}, nullptr, 5, NONE},
    {23, 0x16010090, form::KIND_LABEL, "标签19", "分组框12", {187, 20, 23, 16}, {190, 211}, "消息", 1, NONE},
    {24, 0x16010091, form::KIND_RADIO_BOX, "离开", "分组框12", {60, 25, 45, 16}, {63, 216}, "离开", 5, NONE},
    {25, 0x16010092, form::KIND_RADIO_BOX, "加入", "分组框12", {3, 25, 45, 16}, {6, 216}, "加入", 5, NONE},
    {26, 0x16010093, form::KIND_GROUP_BOX, "分组框12", "分组框14", {3, 86, 393, 53}, {3, 191}, "领地加入/离开消息", 1, NONE},
    {27, 0x16010094, form::KIND_LABEL, "标签20", "分组框14", {8, 16, 36, 16}, {8, 121}, "领地名", 1, NONE},
    {28, 0x16010095, form::KIND_BUTTON, "显示领地信息", "分组框14", {197, 12, 85, 23}, {197, 117}, "显示领地信息", 5, H_显示领地信息},
    {29, 0x16010096, form::KIND_BUTTON, "给予玩家领地", "分组框13", {16, 48, 85, 23}, {305, 161}, "给予玩家领地", 5, H_给予玩家领地},
    {30, 0x16010097, form::KIND_LABEL, "标签21", "分组框13", {3, 22, 36, 16}, {292, 135}, "玩家名", 1, NONE},
    {31, 0x16010098, form::KIND_BUTTON, "删除玩家领地基础权限", "分组框13", {215, 12, 71, 34}, {504, 125}, "删除玩家领地基础权限", 5, H_删除玩家领地基础权限},
    {32, 0x16010099, form::KIND_BUTTON, "给玩家添加领地基础权限", "分组框13", {124, 13, 87, 34}, {413, 126}, "给玩家添加领地基础权限", 5, H_给玩家添加领地基础权限},
    {33, 0x1601009a, form::KIND_EDIT_BOX, "玩家名", "分组框13", {45, 17, 75, 24}, {334, 130}, nullptr, 5, NONE},
    {34, 0x1601009b, form::KIND_GROUP_BOX, "分组框13", "分组框14", {289, 8, 309, 75}, {289, 113}, "领地内添加玩家权限", 1, NONE},
    {35, 0x1601009c, form::KIND_BUTTON, "以自身为中心创建最大领地", "分组框14", {8, 44, 120, 32}, {8, 149}, "以自身为中心创建最大领地", 5, H_以自身为中心创建最大领地},
    {36, 0x1601009d, form::KIND_BUTTON, "创建领地", "分组框14", {129, 12, 64, 24}, {129, 117}, "创建领地", 5, H_创建领地},
    {37, 0x1601009e, form::KIND_EDIT_BOX, "领地名2", "分组框14", {53, 14, 75, 24}, {53, 119}, nullptr, 5, NONE},
    {38, 0x1601009f, form::KIND_GROUP_BOX, "分组框14", "分组框8", {2, 104, 600, 147}, {0, 105}, "领地名", 1, NONE},
    {39, 0x160100a0, form::KIND_LABEL, "标签22", "分组框15", {16, 64, 168, 16}, {16, 316}, "输入名称后点按钮再点复制", 1, NONE},
    {40, 0x160100a1, form::KIND_BUTTON, "复制11", "分组框15", {296, 32, 48, 32}, {296, 284}, "复制", 5, H_复制11},
    {41, 0x160100a2, form::KIND_EDIT_BOX, "复制1", "分组框15", {8, 16, 280, 40}, {8, 268}, nullptr, 5, NONE},
    {42, 0x160100a3, form::KIND_GROUP_BOX, "分组框15", "分组框8", {2, 251, 352, 88}, {0, 252}, "复制指令", 1, NONE},
    {43, 0x16010077, form::KIND_GROUP_BOX, "分组框1", "", {-10, -7, 616, 351}, {-10, -7}, nullptr, 1, NONE},
};

std::uint32_t id_named(const char* name) {
    for (const Row& row : control_table)
        if (std::string(row.name) == name) return row.id;
    ADD_FAILURE() << "no unit named " << name;
    return 0;
}

TEST(FormMainWindow, EveryUnitAsTheControlTableGivesIt) {
    const form::WindowTemplate& t = main_template();
    ASSERT_EQ(t.units.size(), std::size(control_table));
    for (const Row& row : control_table) {
        SCOPED_TRACE(testing::Message() << "position " << row.pos);
        const form::UnitRecord& u = t.units.at(static_cast<std::size_t>(row.pos));
        EXPECT_EQ(u.id, row.id);
        EXPECT_EQ(u.kind, row.kind);
        EXPECT_EQ(u.name, row.name);
        EXPECT_EQ(u.parent, *row.parent ? id_named(row.parent) : 0u);
        EXPECT_EQ(u.left, row.rect.left);
        EXPECT_EQ(u.top, row.rect.top);
        EXPECT_EQ(u.width, row.rect.width);
        EXPECT_EQ(u.height, row.rect.height);
        EXPECT_EQ(u.flags, row.flags);
        EXPECT_EQ(t.position_of(row.id), row.pos);

        // Fields that are the same in every record.
        EXPECT_EQ(u.event_source, 0u);
        EXPECT_EQ(u.comment, "");
        EXPECT_EQ(u.tag, "");
        EXPECT_EQ(u.stored_object_slot, 0);
        EXPECT_EQ(u.stored_pointer_slot, 0);
        EXPECT_EQ(u.reserved, 0);
        EXPECT_EQ(u.tab_order, 0);
        EXPECT_EQ(u.mouse_pointer, Bytes(4, 0));

        if (row.caption) {
            EXPECT_EQ(caption_in(u), std::optional<std::string>(row.caption));
        } else if (!u.settings.empty()) {
            EXPECT_EQ(u.kind, form::KIND_EDIT_BOX) << "only an edit field has a block without caption";
            caption_in(u);
        }

        if (row.handler == NONE) {
            EXPECT_TRUE(u.events.empty());
        } else {
            ASSERT_EQ(u.events.size(), 1u);
            EXPECT_EQ(u.events[0].event, 0);
            EXPECT_EQ(u.events[0].reference, row.handler);
            EXPECT_EQ(u.events[0].handler, form_fixtures::handlers[static_cast<std::size_t>(row.handler)]);
        }
    }
}

TEST(FormMainWindow, CornersInTheClientAreaSumAlongTheParentChain) {
    const form::WindowTemplate& t = main_template();
    for (const Row& row : control_table) {
        if (row.kind == form::KIND_WINDOW) continue;
        const form::UnitRecord* u = t.find(row.id);
        ASSERT_NE(u, nullptr);
        std::int32_t x = 0, y = 0;
        int depth = 0;
        for (; u && depth < 10; u = u->parent ? t.find(u->parent) : nullptr, ++depth) {
            x += u->left;
            y += u->top;
        }
        EXPECT_EQ(u, nullptr) << row.name << ": parent chain does not end";
        EXPECT_EQ(x, row.client.x) << row.name;
        EXPECT_EQ(y, row.client.y) << row.name;
    }
}

TEST(FormMainWindow, TwentyFourBindingsAllResolved) {
    const form::WindowTemplate& t = main_template();
    std::set<std::int32_t> references;
    int bindings = 0;
    for (const form::UnitRecord& u : t.units) {
        for (const form::EventBinding& e : u.events) {
            ++bindings;
            EXPECT_EQ(e.event, 0) << u.id;
            ASSERT_GE(e.reference, 0) << u.id;
            ASSERT_NE(e.handler, nullptr) << u.id;
            EXPECT_EQ(e.handler({}), e.reference) << u.id;  // the stand-ins return their own index
            references.insert(e.reference);
        }
    }
    EXPECT_EQ(bindings, 24);
    EXPECT_EQ(references.size(), std::size_t{HANDLER_COUNT});  // each handler bound exactly once
    EXPECT_EQ(t.units[0].events.at(0).reference, H_CREATED);
}

TEST(FormMainWindow, GroupFramesHoldTheirChildrenInListOrder) {
    const struct {
        const char* frame;
        std::vector<const char*> children;
    } tree[] = {
        {"分组框1", {"分组框8"}},
        {"分组框8", {"分组框9", "分组框10", "分组框11", "分组框14", "分组框15"}},
        {"分组框9", {"查看权限列表1", "查看权限列表"}},
        {"分组框10", {"查看玩家所有领地", "传送世界上随机位置", "查看圈地领地大小和金钱", "显示领地限制", "查看领地", "列出所有领地"}},
        {"分组框11", {"显示领地边界", "设置领地权限", "设置领地传送点"}},
        {"分组框14", {"重置领地所有权限", "传送到领地", "加入领地聊天频道", "删除领地", "分组框12", "标签20", "显示领地信息", "分组框13", "以自身为中心创建最大领地", "创建领地", "领地名2"}},
        {"分组框12", {"移除消息", "生成", "消息4", "标签19", "离开", "加入"}},
        {"分组框13", {"给予玩家领地", "标签21", "删除玩家领地基础权限", "给玩家添加领地基础权限", "玩家名"}},
        {"分组框15", {"标签22", "复制11", "复制1"}},
    };
    const form::WindowTemplate& t = main_template();
    std::size_t with_children = 0;
    for (const form::UnitRecord& u : t.units) with_children += u.children.empty() ? 0 : 1;
    EXPECT_EQ(with_children, std::size(tree));
    for (const auto& entry : tree) {
        const form::UnitRecord* frame = t.find(id_named(entry.frame));
        ASSERT_NE(frame, nullptr) << entry.frame;
        std::vector<std::string> names;
        for (std::uint32_t child : frame->children) {
            const form::UnitRecord* c = t.find(child);
            names.push_back(c ? c->name : "?");
        }
        EXPECT_EQ(names, std::vector<std::string>(entry.children.begin(), entry.children.end())) << entry.frame;
    }
}

// The blocks in full: every field at its kind's default except the ones the table names.
TEST(FormMainWindow, SettingsBlocksHoldDefaultsExceptWhatTheTableNames) {
    const form::WindowTemplate& t = main_template();
    const auto block_of = [&](const char* name) -> const Bytes& {
        static const Bytes none;
        const form::UnitRecord* u = t.find(id_named(name));
        return u ? u->settings : none;
    };
    for (const char* name : {"领地名2", "玩家名", "分组框1"}) EXPECT_TRUE(block_of(name).empty()) << name;

    formkit::WindowSettings window;
    window.caption = "领地设置";
    EXPECT_EQ(t.units[0].settings, formkit::encode(window));
    EXPECT_EQ(t.units[0].settings.size(), 108u);

    formkit::EditBoxSettings multi_line;
    multi_line.multi_line = 1;
    EXPECT_EQ(block_of("消息4"), formkit::encode(multi_line));
    EXPECT_EQ(block_of("复制1"), block_of("消息4"));
    ASSERT_EQ(block_of("消息4").size(), 82u);
    EXPECT_EQ(u32_at(block_of("消息4"), 24), 1u);  // multi_line

    formkit::CheckBoxSettings check;
    check.caption = "移除消息";
    EXPECT_EQ(block_of("移除消息"), formkit::encode(check));
    formkit::RadioBoxSettings join, leave;
    join.check_state = 1;
    join.caption = "加入";
    leave.caption = "离开";
    EXPECT_EQ(block_of("加入"), formkit::encode(join));
    EXPECT_EQ(block_of("离开"), formkit::encode(leave));
    EXPECT_EQ(u32_at(block_of("加入"), 32), 1u);  // check_state

    for (const Row& row : control_table) {
        const form::UnitRecord& u = t.units.at(static_cast<std::size_t>(row.pos));
        const bool red = std::string(row.name) == "分组框9" || std::string(row.name) == "标签22";
        if (row.kind == form::KIND_BUTTON) {
            formkit::ButtonSettings s;
            s.caption = row.caption;
            EXPECT_EQ(u.settings, formkit::encode(s)) << row.name;
        } else if (row.kind == form::KIND_GROUP_BOX && !u.settings.empty()) {
            formkit::GroupBoxSettings s;
            s.caption = row.caption;
            s.text_color = red ? 0x0000FF : 0;
            EXPECT_EQ(u.settings, formkit::encode(s)) << row.name;
            EXPECT_EQ(u32_at(u.settings, 8), s.text_color) << row.name;
        } else if (row.kind == form::KIND_LABEL) {
            formkit::LabelSettings s;
            s.caption = row.caption;
            s.text_color = red ? 0x0000FF : 0;
            EXPECT_EQ(u.settings, formkit::encode(s)) << row.name;
            EXPECT_EQ(u32_at(u.settings, 28), s.text_color) << row.name;
        }
    }
}

TEST(FormMainWindow, FixedLabelCaptionIs24GbkBytes) {
    const form::UnitRecord* u = main_template().find(id_named("标签22"));
    ASSERT_NE(u, nullptr);
    const auto caption = caption_in(*u);
    ASSERT_TRUE(caption.has_value());
    EXPECT_EQ(caption->size(), 24u);
}

TEST(FormMainWindow, ListOrderIsNotIdOrder) {
    const form::WindowTemplate& t = main_template();
    EXPECT_EQ(t.units[1].id, 0x160100c3u);
    EXPECT_EQ(t.units[43].id, 0x16010077u);
    EXPECT_EQ(t.position_of(0x160100c3), 1);
    EXPECT_EQ(t.position_of(0x16010077), 43);
    EXPECT_EQ(t.position_of(resources::WINDOW_UNIT_ID), 0);
}

}  // namespace
