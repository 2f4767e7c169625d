// Ids of MainWindow and the controls the handlers address.
#pragma once

#include <cstdint>

namespace resources {

inline constexpr std::uint32_t ID_MainWindow = 0x52010001;
inline constexpr std::uint32_t ID_MainWindow_unit = 0x06010000;

inline constexpr std::uint32_t ID_领地名2 = 0x1601009e;
inline constexpr std::uint32_t ID_玩家名 = 0x1601009a;
inline constexpr std::uint32_t ID_复制1 = 0x160100a2;
inline constexpr std::uint32_t ID_消息4 = 0x1601008f;
inline constexpr std::uint32_t ID_加入 = 0x16010092;
inline constexpr std::uint32_t ID_离开 = 0x16010091;
inline constexpr std::uint32_t ID_移除消息 = 0x1601008d;

// Property indexes the handlers use.
inline constexpr std::int32_t PROP_TEXT = 8;
inline constexpr std::int32_t PROP_CHECKED = 18;

}  // namespace resources
