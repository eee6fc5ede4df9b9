// The pictures the user replaced from images, until the patch is saved or
// another opened: each one's new text as it now stands, with the texts it
// had before, so that a replacement can be undone step by step. The texts as
// read from the patch stay where they are; a picture not replaced has none here.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace hexpane {

class Replacements {
public:
    // Forgets every replacement: another patch is open.
    void clear();

    // Picture i's new text as it now stands; original is the text read.
    std::string_view newHex(std::size_t i, std::string_view original) const;
    bool replaced(std::size_t i) const { return texts_.contains(i); }
    bool any() const { return !texts_.empty(); }
    // Changed since the patch was last saved, or opened.
    bool unsaved() const { return unsaved_; }

    // Picture i's new text becomes text; the one it had can be brought back.
    void replace(std::size_t i, std::string text);
    // Brings back the text picture i had before its last replacement; false
    // when it has none.
    bool undo(std::size_t i);
    void saved() { unsaved_ = false; }

    // The replaced pictures, in file order.
    std::vector<std::size_t> pictures() const;

private:
    // [i]: the texts picture i has had since it was read, the present one last.
    std::map<std::size_t, std::vector<std::string>> texts_;
    bool unsaved_ = false;
};

}  // namespace hexpane
