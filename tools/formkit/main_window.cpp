// MainWindow as stored: the window's own record and its 43 controls, in list order.
// The list order is the creation, stacking and focus-tie order; it is not the id order.
#include "formkit/main_window.h"

#include "commands/handler_table.h"

namespace formkit {
namespace {

using namespace commands;

constexpr std::uint32_t MAIN_WINDOW_ID = 0x52010001;
constexpr std::uint32_t WINDOW_PLACEHOLDER = 0x025ac040;  // meaningless once loaded
constexpr std::uint32_t WINDOW_RESERVED = 0x190100a4;
constexpr std::uint32_t WINDOW_UNIT_ID = 0x06010000;

// The group frames, named by the parent fields below.
constexpr std::uint32_t G1 = 0x16010077, G8 = 0x16010078, G9 = 0x1601007e, G10 = 0x16010084,
                        G11 = 0x16010088, G12 = 0x16010093, G13 = 0x1601009b, G14 = 0x1601009f,
                        G15 = 0x160100a3;

constexpr std::uint32_t VISIBLE = form::FLAG_VISIBLE;
constexpr std::uint32_t VISIBLE_TAB_STOP = form::FLAG_VISIBLE | form::FLAG_TAB_STOP;
constexpr std::uint32_t RED = 0x0000FF;

struct Box {
    std::int32_t left, top, width, height;
};

Unit unit(std::uint32_t id, std::uint32_t kind, const char* name, std::uint32_t parent, Box r,
          std::uint32_t flags, Bytes settings) {
    Unit u;
    u.id = id;
    u.kind = kind;
    u.name = name;
    u.left = r.left;
    u.top = r.top;
    u.width = r.width;
    u.height = r.height;
    u.parent = parent;
    u.mouse_pointer = Bytes(4, 0);  // selects the control's own default pointer
    u.flags = flags;
    u.settings = std::move(settings);
    return u;
}

Unit window(Box r, const char* caption) {
    WindowSettings s;
    s.caption = caption;
    Unit u = unit(WINDOW_UNIT_ID, form::KIND_WINDOW, "", 0, r, VISIBLE, encode(s));
    u.events = {{0, H_CREATED}};
    return u;
}

Unit button(std::uint32_t id, const char* name, std::uint32_t parent, Box r, const char* caption,
            HandlerIndex handler) {
    ButtonSettings s;
    s.caption = caption;
    Unit u = unit(id, form::KIND_BUTTON, name, parent, r, VISIBLE_TAB_STOP, encode(s));
    u.events = {{0, handler}};
    return u;
}

Unit group_box(std::uint32_t id, const char* name, std::uint32_t parent, Box r, const char* caption,
               std::uint32_t text_color = 0) {
    GroupBoxSettings s;
    s.caption = caption;
    s.text_color = text_color;
    return unit(id, form::KIND_GROUP_BOX, name, parent, r, VISIBLE, encode(s));
}

Unit label(std::uint32_t id, const char* name, std::uint32_t parent, Box r, const char* caption,
           std::uint32_t text_color = 0) {
    LabelSettings s;
    s.caption = caption;
    s.text_color = text_color;
    return unit(id, form::KIND_LABEL, name, parent, r, VISIBLE, encode(s));
}

Unit multi_line_edit_box(std::uint32_t id, const char* name, std::uint32_t parent, Box r) {
    EditBoxSettings s;
    s.multi_line = 1;
    return unit(id, form::KIND_EDIT_BOX, name, parent, r, VISIBLE_TAB_STOP, encode(s));
}

// An empty block: the edit field takes every default, a single-line field among them.
Unit edit_box(std::uint32_t id, const char* name, std::uint32_t parent, Box r) {
    return unit(id, form::KIND_EDIT_BOX, name, parent, r, VISIBLE_TAB_STOP, {});
}

Unit check_box(std::uint32_t id, const char* name, std::uint32_t parent, Box r, const char* caption) {
    CheckBoxSettings s;
    s.caption = caption;
    return unit(id, form::KIND_CHECK_BOX, name, parent, r, VISIBLE_TAB_STOP, encode(s));
}

Unit radio_box(std::uint32_t id, const char* name, std::uint32_t parent, Box r, const char* caption,
               std::int32_t check_state) {
    RadioBoxSettings s;
    s.caption = caption;
    s.check_state = check_state;
    return unit(id, form::KIND_RADIO_BOX, name, parent, r, VISIBLE_TAB_STOP, encode(s));
}

}  // namespace

Window main_window() {
    Window w;
    w.id = MAIN_WINDOW_ID;
    w.placeholder = WINDOW_PLACEHOLDER;
    w.reserved0 = 0;
    w.reserved1 = WINDOW_RESERVED;
    w.units = {
        window({50, 50, 609, 369}, "领地设置"),
        button(0x160100c3, "查看玩家所有领地", G10, {192, 56, 82, 31}, "查看玩家所有领地", H_查看玩家所有领地),
        button(0x160100c1, "查看权限列表1", G9, {22, 48, 155, 24}, "删除一个玩家所有权限", H_查看权限列表1),
        group_box(0x16010078, "分组框8", G1, {8, 8, 608, 343}, ""),
        button(0x1601007d, "查看权限列表", G9, {22, 20, 155, 24}, "给不同的玩家上设置权限", H_查看权限列表),
        group_box(0x1601007e, "分组框9", G8, {378, 247, 224, 88}, "为某玩家设置该领地的特定权限", RED),
        button(0x1601007f, "传送世界上随机位置", G10, {96, 56, 84, 31}, "传送世界上随机位置", H_传送世界上随机位置),
        button(0x16010080, "查看圈地领地大小和金钱", G10, {3, 56, 84, 31}, "查看圈地领地大小和金钱", H_查看圈地领地大小和金钱),
        button(0x16010081, "显示领地限制", G10, {192, 20, 82, 31}, "显示领地限制", H_显示领地限制),
        button(0x16010082, "查看领地", G10, {4, 20, 84, 31}, "查看领地指令", H_查看领地),
        button(0x16010083, "列出所有领地", G10, {96, 20, 82, 31}, "列出所有领地", H_列出所有领地),
        group_box(0x16010084, "分组框10", G8, {1, 5, 289, 100}, "不用站在领地内输入"),
        button(0x16010085, "显示领地边界", G11, {160, 16, 64, 31}, "显示领地边界", H_显示领地边界),
        button(0x16010086, "设置领地权限", G11, {80, 16, 64, 31}, "设置领地权限", H_设置领地权限),
        button(0x16010087, "设置领地传送点", G11, {8, 16, 64, 31}, "设置领地传送点", H_设置领地传送点),
        group_box(0x16010088, "分组框11", G8, {292, 7, 312, 99}, "站在领地内输入"),
        button(0x16010089, "重置领地所有权限", G14, {504, 96, 85, 31}, "重置领地所有权限", H_重置领地所有权限),
        button(0x1601008a, "传送到领地", G14, {400, 99, 85, 23}, "传送到领地", H_传送到领地),
        button(0x1601008b, "加入领地聊天频道", G14, {196, 40, 85, 31}, "加入领地聊天频道", H_加入领地聊天频道),
        button(0x1601008c, "删除领地", G14, {130, 40, 64, 24}, "删除领地", H_删除领地),
        check_box(0x1601008d, "移除消息", G12, {117, 17, 50, 24}, "移除消息"),
        button(0x1601008e, "生成", G12, {349, 17, 32, 24}, "生成", H_生成),
        multi_line_edit_box(0x1601008f, "消息4", G12, {221, 16, 120, 25}),
        label(0x16010090, "标签19", G12, {187, 20, 23, 16}, "消息"),
        radio_box(0x16010091, "离开", G12, {60, 25, 45, 16}, "离开", 0),
        radio_box(0x16010092, "加入", G12, {3, 25, 45, 16}, "加入", 1),
        group_box(0x16010093, "分组框12", G14, {3, 86, 393, 53}, "领地加入/离开消息"),
        label(0x16010094, "标签20", G14, {8, 16, 36, 16}, "领地名"),
        button(0x16010095, "显示领地信息", G14, {197, 12, 85, 23}, "显示领地信息", H_显示领地信息),
        button(0x16010096, "给予玩家领地", G13, {16, 48, 85, 23}, "给予玩家领地", H_给予玩家领地),
        label(0x16010097, "标签21", G13, {3, 22, 36, 16}, "玩家名"),
        button(0x16010098, "删除玩家领地基础权限", G13, {215, 12, 71, 34}, "删除玩家领地基础权限", H_删除玩家领地基础权限),
        button(0x16010099, "给玩家添加领地基础权限", G13, {124, 13, 87, 34}, "给玩家添加领地基础权限", H_给玩家添加领地基础权限),
        edit_box(0x1601009a, "玩家名", G13, {45, 17, 75, 24}),
        group_box(0x1601009b, "分组框13", G14, {289, 8, 309, 75}, "领地内添加玩家权限"),
        button(0x1601009c, "以自身为中心创建最大领地", G14, {8, 44, 120, 32}, "以自身为中心创建最大领地", H_以自身为中心创建最大领地),
        button(0x1601009d, "创建领地", G14, {129, 12, 64, 24}, "创建领地", H_创建领地),
        edit_box(0x1601009e, "领地名2", G14, {53, 14, 75, 24}),
        group_box(0x1601009f, "分组框14", G8, {2, 104, 600, 147}, "领地名"),
        // Twelve characters: 24 GBK bytes, which makes the form 8002 bytes.
        label(0x160100a0, "标签22", G15, {16, 64, 168, 16}, "输入名称后点按钮再点复制", RED),
        button(0x160100a1, "复制11", G15, {296, 32, 48, 32}, "复制", H_复制11),
        multi_line_edit_box(0x160100a2, "复制1", G15, {8, 16, 280, 40}),
        group_box(0x160100a3, "分组框15", G8, {2, 251, 352, 88}, "复制指令"),
        unit(G1, form::KIND_GROUP_BOX, "分组框1", 0, {-10, -7, 616, 351}, VISIBLE, {}),
    };
    fill_children(w.units);
    return w;
}

Form main_window_form() {
    Form f;
    f.windows.push_back(main_window());
    return f;
}

}  // namespace formkit
