#include "SourceReader.h"

#include "FileUtil.h"
#include "LevelSource.h"

namespace gdl {

namespace {

Error TooLarge(const std::string& name, std::uintmax_t size) {
    return Error::BadFormat(name, 0,
                            "is too large for a level source (" + std::to_string(size) +
                                " bytes or more, at most " + std::to_string(kMaxSourceBytes) + ")");
}

}  // namespace

Result<void> CheckSourceBytes(std::string_view bytes, const std::string& name) {
    if (bytes.size() > kMaxSourceBytes) return TooLarge(name, bytes.size());
    if (bytes.find('\0') != std::string_view::npos)
        return Error::BadFormat(name, 0, "is not a level source: it holds binary data");
    return {};
}

Result<std::string> ReadSourceFile(const std::string& path, const std::string& name) {
    const std::string shown = name.empty() ? path : name;
    auto bytes = ReadFileLimited(path, kMaxSourceBytes);
    if (!bytes) {
        const Error& e = bytes.Err();
        if (e.Kind() == ErrorKind::System) return Error::System("cannot read " + shown, e.Errno());
        if (e.Kind() == ErrorKind::Unsupported)
            return Error::BadFormat(shown, 0, "is not a regular file");
        auto size = FileSize(path);
        return TooLarge(shown, size.value_or(kMaxSourceBytes + 1));
    }
    auto checked = CheckSourceBytes(*bytes, shown);
    if (!checked) return checked.Err();
    return std::move(bytes.Value());
}

}  // namespace gdl
