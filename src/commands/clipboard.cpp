#include <cstring>

#include "commands/commands.h"

namespace commands {

std::int32_t copy_to_clipboard(const char* text) {
    tk::Toolkit& t = frame::toolkit();
    std::int32_t copied = 0;
    // Another program holding the clipboard leaves it as it is: not emptied, not closed.
    if (!t.open_clipboard()) return 0;
    t.empty_clipboard();
    std::size_t n = std::strlen(text);
    tk::Block block = t.global_alloc(tk::GMEM_MOVEABLE_ | tk::GMEM_ZEROINIT_, n + 1);
    if (block != nullptr) {
        void* bytes = t.global_lock(block);
        if (bytes != nullptr) std::memcpy(bytes, text, n + 1);
        t.global_unlock(block);
        // The clipboard owns the block from here on.
        t.set_clipboard_data(tk::CF_TEXT_, block);
        copied = 1;
    }
    t.close_clipboard();
    return copied;
}

void clipboard_builtin(frame::TypedValue* result, std::int32_t count, const frame::TypedValue* args) {
    result->value = 0;
    result->high = 0;
    result->type = 0;
    if (count < 1 || args[0].type != frame::TYPE_TEXT || args[0].value == 0) return;
    result->value = static_cast<std::uintptr_t>(
        copy_to_clipboard(reinterpret_cast<const char*>(args[0].value)));
}

}  // namespace commands
