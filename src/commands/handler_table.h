// The program's handler table. The form data names each bound handler by its index here.
#pragma once

#include <array>
#include <cstdint>

#include "window/form.h"

namespace commands {

enum HandlerIndex : std::int32_t {
    H_CREATED = 0,  // MainWindow's created event: does nothing
    // The 21 command buttons, in catalogue order.
    H_查看领地,
    H_列出所有领地,
    H_显示领地限制,
    H_传送世界上随机位置,
    H_查看圈地领地大小和金钱,
    H_显示领地边界,
    H_设置领地权限,
    H_设置领地传送点,
    H_创建领地,
    H_删除领地,
    H_显示领地信息,
    H_加入领地聊天频道,
    H_以自身为中心创建最大领地,
    H_传送到领地,
    H_重置领地所有权限,
    H_查看玩家所有领地,
    H_给予玩家领地,
    H_给玩家添加领地基础权限,
    H_删除玩家领地基础权限,
    H_查看权限列表,
    H_查看权限列表1,
    H_生成,    // the enter/leave message command
    H_复制11,  // copy 复制1 to the clipboard
    HANDLER_COUNT
};

extern const std::array<form::Handler, HANDLER_COUNT> program_handlers;

}  // namespace commands
