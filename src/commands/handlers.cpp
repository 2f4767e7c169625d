// The event handlers of MainWindow: 21 command buttons served by three shapes, the message
// command of 生成 and the copy of 复制11.
#include <utility>

#include "commands/commands.h"
#include "commands/handler_table.h"
#include "resources/constant_texts.h"
#include "resources/control_ids.h"

namespace commands {

namespace {

using namespace resources;
using frame::Text;

const ConstantTexts& lit = constant_texts;

Text read_text(std::uint32_t control) {
    return frame::get_property(ID_MainWindow, control, PROP_TEXT, frame::WHOLE_VALUE).text;
}

std::int32_t read_check(std::uint32_t control) {
    return frame::get_property(ID_MainWindow, control, PROP_CHECKED, frame::WHOLE_VALUE).number;
}

void write_output(const char* text) {
    frame::set_property(ID_MainWindow, ID_复制1, PROP_TEXT, frame::WHOLE_VALUE,
                        frame::text_value(const_cast<char*>(text)));
}

// --- the command catalogue ---

enum class Reads { nothing, territory, player, both };

struct CommandRow {
    HandlerIndex handler;
    const char* literal;
    Reads reads;
    const char* trailing;  // after the player name, or null
};

const CommandRow command_rows[] = {
    {H_查看领地, lit.res, Reads::nothing, nullptr},
    {H_列出所有领地, lit.res_listall, Reads::nothing, nullptr},
    {H_显示领地限制, lit.res_limits, Reads::nothing, nullptr},
    {H_传送世界上随机位置, lit.res_rt, Reads::nothing, nullptr},
    {H_查看圈地领地大小和金钱, lit.res_select_size, Reads::nothing, nullptr},
    {H_显示领地边界, lit.res_show, Reads::nothing, nullptr},
    {H_设置领地权限, lit.res_set, Reads::nothing, nullptr},
    {H_设置领地传送点, lit.res_tpset, Reads::nothing, nullptr},
    {H_创建领地, lit.res_create, Reads::territory, nullptr},
    {H_删除领地, lit.res_remove, Reads::territory, nullptr},
    {H_显示领地信息, lit.res_info, Reads::territory, nullptr},
    {H_加入领地聊天频道, lit.res_rc, Reads::territory, nullptr},
    {H_以自身为中心创建最大领地, lit.res_auto, Reads::territory, nullptr},
    {H_传送到领地, lit.res_tp, Reads::territory, nullptr},
    {H_重置领地所有权限, lit.res_reset, Reads::territory, nullptr},
    {H_查看玩家所有领地, lit.res_list, Reads::player, nullptr},
    {H_给予玩家领地, lit.res_give, Reads::both, nullptr},
    {H_给玩家添加领地基础权限, lit.res_padd, Reads::both, nullptr},
    {H_删除玩家领地基础权限, lit.res_pdel, Reads::both, nullptr},
    {H_查看权限列表, lit.res_pset, Reads::both, nullptr},
    {H_查看权限列表1, lit.res_pset, Reads::both, lit.removeall},
};
constexpr std::size_t COMMAND_COUNT = sizeof command_rows / sizeof command_rows[0];
static_assert(COMMAND_COUNT == 21);

// Fixed command: the literal is written as it stands; nothing is read or allocated.
void fixed_command(const CommandRow& row) { write_output(row.literal); }

// One field: read, join, release the input, write, release the command.
void one_field_command(const CommandRow& row, std::uint32_t field) {
    Text input = read_text(field);
    Text command = join_texts({row.literal, input});
    frame::release_text(input);
    write_output(command);
    frame::release_text(command);
}

// Two fields: territory then player, both read and released in that order before the write.
void two_field_command(const CommandRow& row) {
    Text territory = read_text(ID_领地名2);
    Text player = read_text(ID_玩家名);
    Text command = row.trailing != nullptr
                       ? join_texts({row.literal, territory, lit.space, player, row.trailing})
                       : join_texts({row.literal, territory, lit.space, player});
    frame::release_text(territory);
    frame::release_text(player);
    write_output(command);
    frame::release_text(command);
}

void run_command(const CommandRow& row) {
    switch (row.reads) {
        case Reads::nothing: fixed_command(row); break;
        case Reads::territory: one_field_command(row, ID_领地名2); break;
        case Reads::player: one_field_command(row, ID_玩家名); break;
        case Reads::both: two_field_command(row); break;
    }
}

template <std::size_t Row>
std::int32_t command_handler(std::span<const std::int32_t>) {
    run_command(command_rows[Row]);
    return 0;
}

// --- the other handlers ---

std::int32_t created_handler(std::span<const std::int32_t>) { return 0; }

// 生成: the first test that holds picks the shape; each test reads its states when it runs,
// and its second state only when the first comparison holds.
std::int32_t message_handler(std::span<const std::int32_t>) {
    const char* action = nullptr;
    bool with_message = false;
    if (read_check(ID_加入) == 1 && read_check(ID_移除消息) == 0) {
        action = lit.enter;
        with_message = true;
    } else if (read_check(ID_离开) == 1 && read_check(ID_移除消息) == 0) {
        action = lit.leave;
        with_message = true;
    } else if (read_check(ID_移除消息) == 1 && read_check(ID_加入) == 1) {
        action = lit.remove_enter;
    } else if (read_check(ID_移除消息) == 1 && read_check(ID_离开) == 1) {
        action = lit.remove_leave;
    } else {
        return 0;
    }
    Text territory = read_text(ID_领地名2);
    Text command;
    if (with_message) {
        Text message = read_text(ID_消息4);
        command = join_texts({lit.res_message, territory, action, message});
        frame::release_text(territory);
        frame::release_text(message);
    } else {
        command = join_texts({lit.res_message, territory, action});
        frame::release_text(territory);
    }
    write_output(command);
    frame::release_text(command);
    return 0;
}

// 复制11: copies 复制1 as it stands; an empty field puts an empty text on the clipboard.
std::int32_t copy_handler(std::span<const std::int32_t>) {
    Text text = read_text(ID_复制1);
    frame::TypedValue argument;
    argument.value = reinterpret_cast<std::uintptr_t>(text != nullptr ? text : lit.empty);
    argument.type = frame::TYPE_TEXT;
    frame::call_builtin(clipboard_builtin, 1, &argument);
    frame::release_text(text);
    return 0;
}

template <std::size_t... Rows>
constexpr std::array<form::Handler, HANDLER_COUNT> make_table(std::index_sequence<Rows...>) {
    std::array<form::Handler, HANDLER_COUNT> table{};
    table[H_CREATED] = created_handler;
    ((table[H_查看领地 + Rows] = command_handler<Rows>), ...);
    table[H_生成] = message_handler;
    table[H_复制11] = copy_handler;
    return table;
}

}  // namespace

// The rows are in handler order, so row i serves handler H_查看领地 + i.
const std::array<form::Handler, HANDLER_COUNT> program_handlers =
    make_table(std::make_index_sequence<COMMAND_COUNT>{});

}  // namespace commands
