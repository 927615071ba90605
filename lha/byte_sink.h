// Where encoded bytes go; implementations may throw to stop the encoder.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lha {

class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void write(const std::uint8_t* data, std::size_t size) = 0;
};

} // namespace lha
