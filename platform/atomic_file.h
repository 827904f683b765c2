// Writing a whole file so that a failure midway never leaves a half-written
// file in place of a good one: the bytes go to a temporary file of a unique
// name beside it, which then replaces it.
#pragma once

#include <cstddef>
#include <string>

namespace velkor {

bool WriteFileAtomically(const std::u16string& path, const void* data, size_t size);

}  // namespace velkor
