#pragma once
// SharedText: an immutable text shared by an intrusive reference count, one pointer wide. Dictionary
// keys are held this way: a loaded packet repeats the same dozen keys in every entry, and each entry
// then carries a pointer instead of a 16-byte shared_ptr. Copies share the text; the count is atomic,
// so copies may live on different threads (the text itself is never changed).

#include <atomic>
#include <cstddef>
#include <utility>

#include "automation/Text.h"

namespace orva::components {

class SharedText {
public:
    // Holds no text; only assignment and destruction are allowed on it.
    SharedText() = default;
    // Takes text into a new shared block. Raises std::bad_alloc when memory runs out.
    explicit SharedText(automation::Text text) : m_block(new Block{{1}, std::move(text)}) {}

    SharedText(const SharedText& other) noexcept : m_block(other.m_block) {
        if (m_block) m_block->count.fetch_add(1, std::memory_order_relaxed);
    }
    SharedText(SharedText&& other) noexcept : m_block(std::exchange(other.m_block, nullptr)) {}
    SharedText& operator=(SharedText other) noexcept {
        std::swap(m_block, other.m_block);
        return *this;
    }
    ~SharedText() {
        if (m_block && m_block->count.fetch_sub(1, std::memory_order_acq_rel) == 1) delete m_block;
    }

    const automation::Text& operator*() const { return m_block->text; }
    const automation::Text* operator->() const { return &m_block->text; }
    explicit operator bool() const { return m_block != nullptr; }

private:
    struct Block {
        std::atomic<size_t> count;
        const automation::Text text;
    };
    Block* m_block = nullptr;
};

}  // namespace orva::components
