#include "ReceiveQueue.h"

#include <algorithm>
#include <utility>

namespace gdl {

void ReceiveQueue::Configure(const Options& options) {
    std::lock_guard lock(mutex_);
    if (!options.marked) mark_ = Mark::None;
    options_ = options;
}

void ReceiveQueue::Push(unsigned char byte, int& errors) {
    if (byte == 0 && options_.discardNull) return;
    if (bytes_.size() >= options_.capacity) {
        errors |= kCeRxOver;
        return;
    }
    bytes_.push_back(byte);
}

bool ReceiveQueue::Feed(const unsigned char* bytes, std::size_t count, int driverErrors) {
    std::lock_guard lock(mutex_);
    const std::size_t before = bytes_.size();
    int errors = driverErrors > 0 ? driverErrors : 0;
    const bool driverNamesKind = driverErrors > 0 && (driverErrors & kCeLineErrors) != 0;
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned char byte = bytes[i];
        if (!options_.marked) {
            Push(byte, errors);
            continue;
        }
        switch (mark_) {
            case Mark::None:
                if (byte == 0xFF) {
                    mark_ = Mark::Escape;
                } else {
                    Push(byte, errors);
                }
                break;
            case Mark::Escape:
                mark_ = Mark::None;
                if (byte == 0x00) {
                    mark_ = Mark::Error;
                } else if (byte == 0xFF) {
                    Push(0xFF, errors);
                } else {
                    // Not a mark the driver makes: keep both bytes as they came.
                    Push(0xFF, errors);
                    Push(byte, errors);
                }
                break;
            case Mark::Error:
                mark_ = Mark::None;
                if (!driverNamesKind) errors |= byte == 0 ? kCeBreak : kCeRxParity;
                Push(options_.errorChar.value_or(byte), errors);
                break;
        }
    }
    errors_ |= errors;
    return bytes_.size() != before || errors != 0;
}

ReceiveQueue::Taken ReceiveQueue::Take(unsigned char* buffer, std::size_t count) {
    std::lock_guard lock(mutex_);
    Taken taken;
    taken.errors = std::exchange(errors_, 0);
    taken.count = std::min(count, bytes_.size());
    std::copy_n(bytes_.begin(), taken.count, buffer);
    bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(taken.count));
    return taken;
}

std::size_t ReceiveQueue::Waiting() const {
    std::lock_guard lock(mutex_);
    return bytes_.size();
}

int ReceiveQueue::PendingErrors() const {
    std::lock_guard lock(mutex_);
    return errors_;
}

void ReceiveQueue::Clear() {
    std::lock_guard lock(mutex_);
    bytes_.clear();
    mark_ = Mark::None;
}

void ReceiveQueue::Reset() {
    std::lock_guard lock(mutex_);
    bytes_.clear();
    mark_ = Mark::None;
    errors_ = 0;
}

}  // namespace gdl
