// One suggested reply as handed to the host.
#pragma once

#include <string>

namespace Varnex {

class Reply {
public:
    Reply() = default;
    explicit Reply(const std::string& t) : text(t) {}
    virtual ~Reply() = default;

    std::string text;
};

}  // namespace Varnex
