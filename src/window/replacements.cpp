#include "window/replacements.h"

#include <utility>

namespace hexpane {

void Replacements::clear() {
    texts_.clear();
    unsaved_ = false;
}

std::string_view Replacements::newHex(std::size_t i, std::string_view original) const {
    const auto found = texts_.find(i);
    return found == texts_.end() ? original : std::string_view(found->second.back());
}

void Replacements::replace(std::size_t i, std::string text) {
    texts_[i].push_back(std::move(text));
    unsaved_ = true;
}

bool Replacements::undo(std::size_t i) {
    const auto found = texts_.find(i);
    if (found == texts_.end()) return false;
    found->second.pop_back();
    if (found->second.empty()) texts_.erase(found);
    unsaved_ = true;
    return true;
}

std::vector<std::size_t> Replacements::pictures() const {
    std::vector<std::size_t> indexes;
    indexes.reserve(texts_.size());
    for (const auto& entry : texts_) indexes.push_back(entry.first);
    return indexes;
}

}  // namespace hexpane
