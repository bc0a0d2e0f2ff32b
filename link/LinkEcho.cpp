#include "LinkEcho.h"

namespace gdl {

Heard LinkEcho::Hear(const unsigned char* bytes, long count) {
    Heard heard = Heard::Nothing;
    for (long i = 0; i < count; ++i) {
        if (matched_ < sent_.size() && bytes[i] == static_cast<unsigned char>(sent_[matched_])) {
            ++matched_;
            heard = Heard::Echo;
            continue;
        }
        matched_ = sent_.size();
        return Heard::Lynx;
    }
    return heard;
}

}  // namespace gdl
