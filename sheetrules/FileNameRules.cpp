#include "FileNameRules.h"

namespace pelorin {

int DotsInFileName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    int dots = 0;
    for (char c : name) dots += c == '.' ? 1 : 0;
    return dots;
}

}  // namespace pelorin
