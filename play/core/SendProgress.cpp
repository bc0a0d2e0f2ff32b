#include "SendProgress.h"

#include <algorithm>

namespace gdl {

SendProgress::SendProgress(SerialLine& line, ProgressView& bar, std::function<void()> repaint)
    : line_(line), bar_(bar), repaint_(std::move(repaint)) {}

SendProgress::~SendProgress() {
    if (!begun_) return;
    line_.onDraining = nullptr;
    bar_.visible = false;
}

void SendProgress::Begin(std::size_t total) {
    begun_ = true;
    written_ = painted_ = 0;
    bar_ = {true, 0, total};
    line_.onDraining = [this](std::size_t unsent) { Show(unsent); };
    if (repaint_) repaint_();
}

bool SendProgress::WriteCommByte(unsigned char byte) {
    const bool ok = line_.WriteCommByte(byte);
    if (ok) Wrote(1);
    return ok;
}

bool SendProgress::WriteComm(const unsigned char* buffer, long count) {
    const bool ok = line_.WriteComm(buffer, count);
    if (ok && count > 0) Wrote(static_cast<std::size_t>(count));
    return ok;
}

void SendProgress::Wrote(std::size_t count) {
    written_ += count;
    if (begun_) Show(line_.Unsent());
}

void SendProgress::Show(std::size_t unsent) {
    const std::size_t out = std::min(bar_.max, written_ - std::min(unsent, written_));
    // What has left the port stays out, whatever a driver's count says next.
    bar_.position = std::max(bar_.position, out);
    const std::size_t step = std::max<std::size_t>(1, (bar_.max + kSteps - 1) / kSteps);
    if (bar_.position == painted_) return;
    if (bar_.position < painted_ + step && bar_.position != bar_.max) return;
    painted_ = bar_.position;
    if (repaint_) repaint_();
}

}  // namespace gdl
