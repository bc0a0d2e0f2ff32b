#include "WebPorts.h"

#include <emscripten.h>

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <utility>

#include "LynxLine.h"
#include "ViewJson.h"
#include "Zcomm.h"

// The page's side of each port: player.js sets Module.host before the core
// starts. Texts go out as the core's bytes; the page decodes them.
// clang-format off
EM_JS(int, js_storage_get, (const char* item), {
    const value = Module.host.storageGet(UTF8ToString(item));
    if (value === null) return 0;
    const n = lengthBytesUTF8(value) + 1;
    const p = _malloc(n);
    stringToUTF8(value, p, n);
    return p;
});
EM_JS(int, js_storage_set, (const char* item, const char* value), {
    return Module.host.storageSet(UTF8ToString(item), UTF8ToString(value)) ? 1 : 0;
});
EM_ASYNC_JS(int, js_serial_open, (const char* settingsJson), {
    const why = await Module.host.serialOpen(JSON.parse(UTF8ToString(settingsJson)));
    if (why === null) return 0;
    const n = lengthBytesUTF8(why) + 1;
    const p = _malloc(n);
    stringToUTF8(why, p, n);
    return p;
});
EM_JS(int, js_serial_write, (const unsigned char* bytes, int count), {
    return Module.host.serialWrite(HEAPU8.slice(bytes, bytes + count)) ? 1 : 0;
});
EM_ASYNC_JS(void, js_serial_close, (), {
    await Module.host.serialClose();
});
EM_JS(int, js_serial_take, (unsigned char* buffer, int count), {
    const bytes = Module.host.serialTake(count);
    HEAPU8.set(bytes, buffer);
    return bytes.length;
});
EM_JS(void, js_timer_start, (int ms, int generation), {
    Module.host.timerStart(ms, generation);
});
EM_JS(void, js_timer_stop, (), {
    Module.host.timerStop();
});
EM_JS(double, js_now, (), {
    return performance.now();
});
EM_ASYNC_JS(int, js_dialog, (const char* requestJson), {
    const answer = await Module.host.dialog(JSON.parse(UTF8ToString(requestJson)));
    if (answer === null) return 0;
    const n = lengthBytesUTF8(answer) + 1;
    const p = _malloc(n);
    stringToUTF8(answer, p, n);
    return p;
});
EM_JS(void, js_dialog_close, (const char* which), {
    Module.host.dialogClose(UTF8ToString(which));
});
// clang-format on

namespace gdl {

namespace {

// A string the page allocated for the core: taken over and freed.
std::optional<std::string> Taken(int pointer) {
    if (pointer == 0) return std::nullopt;
    char* p = reinterpret_cast<char*>(pointer);
    std::string s(p);
    std::free(p);
    return s;
}

// The dialogs' requests: {"dialog": kind, ...fields}. Texts keep the core's
// bytes (see ViewJson.h).
std::string Request(const char* dialog,
                    std::initializer_list<std::pair<const char*, std::string>> fields) {
    std::string json = std::string("{\"dialog\":") + JsonText(dialog);
    for (const auto& [name, raw] : fields) json += "," + JsonText(name) + ":" + raw;
    return json + "}";
}

std::optional<std::string> Dialog(const std::string& request) {
    return Taken(js_dialog(request.c_str()));
}

constexpr std::pair<MsgIcon, const char*> kIconNames[] = {{MsgIcon::Question, "question"},
                                                          {MsgIcon::Error, "error"},
                                                          {MsgIcon::Information, "information"},
                                                          {MsgIcon::Warning, "warning"}};

// The Lynx cable's line, in Web Serial's terms: 9600 baud, 8 data bits, even
// parity, 1 stop bit, no flow control, 8 KiB of buffer; DTR and RTS held on
// while the port is open (they drop when it closes). A write that the port
// does not take on within 5 s fails, as the component's write time-out; the
// last bytes may take their time on the wire (11 bits each) on top.
constexpr unsigned kBitsPerByte = 11;

std::string LynxLineSettings() {
    const std::string baud = std::to_string(kLynxBaud);
    return R"({"open":{"baudRate":)" + baud + R"(,"dataBits":)" + std::to_string(kLynxDataBits) +
           R"(,"parity":"even","stopBits":1,"flowControl":"none","bufferSize":)" +
           std::to_string(kLynxQueueBytes) +
           "},"
           R"("signals":{"dataTerminalReady":true,"requestToSend":true},)"
           R"("writeTimeoutMs":)" +
           std::to_string(kLynxWriteTimeoutMs) + R"(,"msPerByte":)" +
           std::to_string(1000.0 * kBitsPerByte / kLynxBaud) + "}";
}

}  // namespace

std::optional<std::string> LocalStorage::Get(const std::string& item) const {
    return Taken(js_storage_get(item.c_str()));
}

bool LocalStorage::Set(const std::string& item, const std::string& value) {
    return js_storage_set(item.c_str(), value.c_str()) != 0;
}

bool WebSerialLine::OpenConnection() {
    if (open_) return true;
    const std::optional<std::string> why = Taken(js_serial_open(LynxLineSettings().c_str()));
    lastError_ = why.value_or("");
    open_ = !why;
    if (open_) vanished_ = false;
    unsent_ = 0;
    return open_;
}

void WebSerialLine::CloseConnection() {
    if (!open_) return;
    open_ = false;
    unsent_ = 0;
    js_serial_close();
}

long WebSerialLine::ReadComm(unsigned char* buffer, long count) {
    if (count <= 0) return 0;
    return js_serial_take(buffer, static_cast<int>(count));
}

bool WebSerialLine::WriteComm(const unsigned char* buffer, long count) {
    if (!open_ || vanished_ || count < 0) return false;
    if (!js_serial_write(buffer, static_cast<int>(count))) return false;
    unsent_ += static_cast<std::size_t>(count);
    return true;
}

void WebSerialLine::Progress(std::size_t count) {
    unsent_ -= std::min(count, unsent_);
    if (onWriteProgress) onWriteProgress();
}

void WebSerialLine::Written(bool ok) {
    unsent_ = 0;
    if (onWritten) onWritten(ok);
}

void WebSerialLine::PortFailed(bool gone) {
    if (gone) vanished_ = true;
    if (onErrorOccurred) onErrorOccurred(kCeIoe, gone ? kDeviceRemovedText : kReadErrorText);
}

void WebTimer::Start(int ms) {
    enabled_ = true;
    js_timer_start(ms, ++generation_);
}

void WebTimer::Stop() {
    enabled_ = false;
    ++generation_;
    js_timer_stop();
}

long long WebTimer::NowMs() const {
    return static_cast<long long>(js_now());
}

bool WebTimer::Due(int generation) {
    if (!enabled_ || generation != generation_) return false;
    enabled_ = false;
    return true;
}

void WebPrompts::ShowMessage(const std::string& caption, const std::string& text, MsgIcon icon) {
    Dialog(Request("message", {{"caption", JsonText(caption)},
                               {"text", JsonText(text)},
                               {"icon", JsonText(PageName(icon, kIconNames, "none"))}}));
}

Answer WebPrompts::Ask(const std::string& caption, const std::string& text, MsgButtons buttons,
                       MsgIcon icon) {
    const char* choice = buttons == MsgButtons::YesNoCancel ? "yesnocancel"
                         : buttons == MsgButtons::YesNo     ? "yesno"
                                                            : "ok";
    const std::string answer =
        Dialog(Request("ask", {{"caption", JsonText(caption)},
                               {"text", JsonText(text)},
                               {"buttons", JsonText(choice)},
                               {"icon", JsonText(PageName(icon, kIconNames, "none"))}}))
            .value_or("cancel");
    if (answer == "yes") return Answer::Yes;
    if (answer == "no") return Answer::No;
    if (answer == "ok") return Answer::Ok;
    return Answer::Cancel;
}

std::optional<std::string> WebPrompts::OpenFileDialog(const FileDialogRequest& request) {
    if (preset_) return std::exchange(preset_, std::nullopt);
    return Dialog(
        Request("open", {{"title", JsonText(request.title)}, {"folder", JsonText(kWebSetFolder)}}));
}

int WebToolRunner::RunTool(const std::string& file, const std::string&, const std::string&, bool,
                           bool) {
    lastError_ = "A web page cannot start " + file + ".";
    return 1;
}

std::optional<std::string> WebDialogs::ShowLoad(const std::string& installFolder,
                                                const std::string& folder,
                                                const std::string& fileName) {
    chooser_.Prepare(installFolder, folder, fileName);
    if (std::exchange(otherAtOnce_, false)) {
        chooser_.bOtherClick();
    } else {
        chooser_.FormActivate();
    }
    while (chooser_.View().result == ModalResult::None) {
        const std::optional<std::string> event =
            Dialog(Request("load", {{"view", ChooserJson(chooser_.View())}}));
        Handle(event.value_or("cancel"));
    }
    js_dialog_close("load");
    if (chooser_.View().result != ModalResult::Ok) return std::nullopt;
    return chooser_.FileName();
}

void WebDialogs::Handle(const std::string& event) {
    if (event.rfind("select:", 0) == 0) {
        chooser_.Select(std::atoi(event.c_str() + 7));
        chooser_.cLevelSetsClick();
    } else if (event == "ok") {
        chooser_.bOKClick();
    } else if (event == "other") {
        chooser_.bOtherClick();
    } else if (event == "remove") {
        chooser_.Remove1Click();
    } else {
        chooser_.bCancelClick();
    }
}

void WebDialogs::ShowHint(const std::string& caption, const std::string& label,
                          const std::string& memo) {
    Dialog(Request(
        "hint",
        {{"caption", JsonText(caption)}, {"label", JsonText(label)}, {"memo", JsonText(memo)}}));
}

}  // namespace gdl
