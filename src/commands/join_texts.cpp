#include <cstring>
#include <vector>

#include "commands/commands.h"

namespace commands {

frame::Text join_texts(std::initializer_list<const char*> parts) {
    // Each part is measured once; the copy uses those lengths.
    std::size_t lengths[8] = {};
    std::vector<std::size_t> more;  // only for callers that pass more than eight parts
    std::size_t* length = lengths;
    if (parts.size() > 8) {
        more.resize(parts.size());
        length = more.data();
    }
    std::size_t total = 1;
    std::size_t i = 0;
    for (const char* part : parts) {
        length[i] = part != nullptr ? std::strlen(part) : 0;
        total += length[i++];
    }
    frame::Text joined = frame::allocate_text(total);
    char* out = joined;
    i = 0;
    for (const char* part : parts) {
        if (length[i] != 0) std::memcpy(out, part, length[i]);
        out += length[i++];
    }
    *out = 0;
    return joined;
}

}  // namespace commands
