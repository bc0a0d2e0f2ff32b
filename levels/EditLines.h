// What the level edits share: the trimmed part of a line, a keyword's new
// value with its spacing kept, and the working copy of the lines that an
// edit's splices are recorded against. For levels/ alone.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Error.h"
#include "LevelDocument.h"
#include "TextUtil.h"

namespace gdl::edits {

// Start and end of the trimmed part of a line.
inline std::pair<std::size_t, std::size_t> TrimmedSpan(std::string_view text) {
    std::size_t lead = 0;
    while (lead < text.size() && IsBlank(text[lead])) ++lead;
    std::size_t end = text.size();
    while (end > lead && IsBlank(text[end - 1])) --end;
    return {lead, end};
}

// The line with the value after its keyword replaced, spacing kept.
inline std::string WithValue(std::string_view text, std::string_view value) {
    auto [lead, end] = TrimmedSpan(text);
    std::size_t keywordEnd = lead;
    while (keywordEnd < end && !IsBlank(text[keywordEnd])) ++keywordEnd;
    std::size_t valueStart = keywordEnd;
    while (valueStart < end && IsBlank(text[valueStart])) ++valueStart;
    std::string out(text.substr(0, valueStart));
    if (valueStart == keywordEnd) out += ' ';
    out += value;
    out += text.substr(end);
    return out;
}

inline Error NoSuchLevel(const LevelDocument& doc, std::size_t level) {
    return Error::Caller("there is no level " + std::to_string(level + 1) + " (the source has " +
                         std::to_string(doc.LevelCount()) + ")");
}

// Splices recorded against a working copy of the lines, so each one sees the
// ones before it. Finish makes sure only the last line goes without a line end.
class LineEditor {
public:
    explicit LineEditor(const LevelDocument& doc) : lines_(doc.Lines()), end_(doc.NewLineEnd()) {}

    std::size_t Size() const { return lines_.size(); }
    const SourceLine& At(std::size_t i) const { return lines_[i]; }
    LineEnd End() const { return end_; }
    SourceLine NewLine(std::string text) const { return {std::move(text), end_}; }

    void Splice(std::size_t at, std::size_t count, std::vector<SourceLine> inserted) {
        // Lines put after a last line without an end would run into it.
        if (at > 0 && at == lines_.size() && lines_[at - 1].end == LineEnd::None &&
            !inserted.empty()) {
            SourceLine fixed = lines_[at - 1];
            fixed.end = end_;
            Splice(at - 1, 1, {fixed});
        }
        LineSplice s;
        s.at = at;
        auto first = lines_.begin() + static_cast<std::ptrdiff_t>(at);
        s.removed.assign(first, first + static_cast<std::ptrdiff_t>(count));
        s.inserted = std::move(inserted);
        first = lines_.erase(first, first + static_cast<std::ptrdiff_t>(count));
        lines_.insert(first, s.inserted.begin(), s.inserted.end());
        splices_.push_back(std::move(s));
    }
    void Replace(std::size_t at, std::string text) {
        if (lines_[at].text == text) return;
        SourceLine line = lines_[at];
        line.text = std::move(text);
        Splice(at, 1, {line});
    }

    EditCommand Finish(std::string text, int focus) {
        for (std::size_t i = 0; i + 1 < lines_.size(); ++i) {
            if (lines_[i].end != LineEnd::None) continue;
            SourceLine fixed = lines_[i];
            fixed.end = end_;
            Splice(i, 1, {fixed});
        }
        EditCommand c;
        c.text = std::move(text);
        c.splices = std::move(splices_);
        c.focusLevel = focus;
        return c;
    }

private:
    std::vector<SourceLine> lines_;
    LineEnd end_;
    std::vector<LineSplice> splices_;
};

inline bool IsLevelLine(std::size_t index, const LevelDocument& doc) {
    return index < doc.LevelCount();
}

}  // namespace gdl::edits
