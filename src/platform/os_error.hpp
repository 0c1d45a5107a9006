#pragma once

#include <string>

namespace zentomi {

// The operating system's description of an error number in the form the logs and messages use:
// "No such file or directory (os error 2)".
std::string os_error_text(int error_number);

}  // namespace zentomi
