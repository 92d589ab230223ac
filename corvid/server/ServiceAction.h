#pragma once
// One action of a service description, with its arguments in document order.

#include <string>
#include <vector>

namespace corvid::server {

struct ActionArgument {
    std::string name;
    std::string direction;
    std::string retval;
    std::string relatedStateVariable;
};

struct ServiceAction {
    std::string name;
    std::vector<ActionArgument> arguments;
};

}  // namespace corvid::server
