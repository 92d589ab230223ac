#pragma once
// One state variable of a service description. The current value starts as the default value.

#include <string>
#include <vector>

namespace corvid::server {

struct StateVariable {
    std::string sendEvents;  // "yes" / "no"
    std::string name;
    std::string dataType;
    std::string defaultValue;
    std::string value;
    std::string minimum;
    std::string maximum;
    std::string step;
    std::vector<std::string> allowedValues;
};

}  // namespace corvid::server
