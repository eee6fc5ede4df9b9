#include "tables/number_reader.h"

namespace hexpane {

double readNumber(std::string_view) { return 0; }
std::optional<std::int32_t> readWholeNumber(std::string_view) { return std::nullopt; }

}  // namespace hexpane
