// Texts handed to the interface where it takes char*.
#pragma once

#include <string>
#include <string_view>

// The interface takes texts as char* although it only reads them. A WritableText is
// a writable copy to hand it, so that no text constant is cast to char*.
class WritableText {
public:
    explicit WritableText(std::string_view text) : copy(text) {}
    char* data() { return copy.data(); }

private:
    std::string copy;
};
