#pragma once
// ByteSource: bytes that a CborReader reads piece by piece instead of holding them all in memory (a
// packet file being loaded). The reader keeps only a bounded window of them.

#include <cstddef>

namespace orva::components {

class ByteSource {
public:
    virtual ~ByteSource() = default;

    // The size of the input when reading began; the reader checks every length against it.
    virtual size_t Size() const = 0;

    // Copies up to size bytes starting at offset (any offset, also one read before) into out and
    // returns how many; fewer only where the input ends, 0 at or past its end. Raises AutomationError
    // when the bytes cannot be read.
    virtual size_t ReadAt(size_t offset, char* out, size_t size) = 0;
};

}  // namespace orva::components
