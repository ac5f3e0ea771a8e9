#include "cli/Selection.h"

#include "exif/TextFormat.h"

namespace cli {

namespace {

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The part of a key after its group ("IFD0:Make" -> "Make"); a bare key whole.
std::string_view NamePartOfKey(std::string_view key) {
    const size_t colon = key.find(':');
    return colon == std::string_view::npos ? key : key.substr(colon + 1);
}

bool GroupMatches(std::string_view group, const Field &field) {
    return WildcardMatch(group, field.Origin) || WildcardMatch(group, GroupName(field.Group));
}

bool NameMatches(std::string_view name, const Field &field) {
    if (exif::SameTextAscii(name, "all")) return true;
    const std::string base = field.Group == RowGroup::Iptc ? CompactName(field.Name) : std::string(field.Name);
    return WildcardMatch(name, field.Name) || WildcardMatch(name, base) ||
           (!field.ToolName.empty() && WildcardMatch(name, field.ToolName)) ||
           WildcardMatch(name, NamePartOfKey(field.Key)) || WildcardMatch(name, NamePartOfKey(field.Name));
}

}  // namespace

// Backtracking over the last "*" only: linear in practice, and never
// exponential whatever the pattern holds.
bool WildcardMatch(std::string_view pattern, std::string_view text) {
    size_t p = 0;
    size_t t = 0;
    size_t star = std::string_view::npos;
    size_t resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = t;
        } else if (p < pattern.size() && (pattern[p] == '?' || LowerAscii(pattern[p]) == LowerAscii(text[t]))) {
            ++p;
            ++t;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool IsPattern(std::string_view tag) {
    if (tag.find_first_of("*?") != std::string_view::npos) return true;
    const size_t colon = tag.rfind(':');
    return colon != std::string_view::npos && exif::SameTextAscii(tag.substr(colon + 1), "all");
}

bool TagSelects(std::string_view tag, const Field &field) {
    if (WildcardMatch(tag, field.Key) || NameMatches(tag, field)) return true;
    const size_t colon = tag.rfind(':');
    if (colon == std::string_view::npos) return false;
    return GroupMatches(tag.substr(0, colon), field) && NameMatches(tag.substr(colon + 1), field);
}

}  // namespace cli
