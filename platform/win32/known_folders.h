// Folders the platform names for the user.
#pragma once

#include <string>

namespace velkor {

// The user's personal documents folder (not created when missing); empty
// when the platform can't say.
std::u16string DocumentsFolder();

}  // namespace velkor
