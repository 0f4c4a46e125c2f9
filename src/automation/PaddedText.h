#pragma once
// PaddedText: a text made of a head filled with blanks (U+0020) to a fixed width, then a tail, held
// without the blanks. Keyed list entries are such texts (a display of 255 units, mostly blanks, and a
// key): a reopened publish list holds four of them per line and language, and stored whole they would
// take ten times the memory of the packet file they were read from. Immutable once made.

#include <cstdint>
#include <mutex>

#include "automation/Text.h"

namespace orva::automation {

class PaddedText {
public:
    // head, then width - head.size() blanks, then tail. A head longer than width is taken whole, with
    // no blank after it.
    PaddedText(Text head, size_t width, Text tail)
        : m_parts(std::move(head)),
          m_headSize(static_cast<uint32_t>(m_parts.size())),
          m_blanks(static_cast<uint32_t>(width > m_parts.size() ? width - m_parts.size() : 0)) {
        m_parts += tail;
    }

    // The whole text, blanks included. Raises std::bad_alloc when memory runs out.
    Text Whole() const {
        Text whole;
        whole.reserve(m_parts.size() + m_blanks);
        whole.append(m_parts, 0, m_headSize);
        whole.append(m_blanks, u' ');
        whole.append(m_parts, m_headSize);
        return whole;
    }

    // The whole text, made on the first call and kept: for readers that need a stored text (TextIf).
    // Safe to call from several threads at once.
    const Text& KeptWhole() const {
        std::call_once(m_keptOnce, [this] { m_kept = Whole(); });
        return m_kept;
    }

    size_t size() const { return m_parts.size() + m_blanks; }

private:
    Text m_parts;  // head and tail, joined
    uint32_t m_headSize;
    uint32_t m_blanks;
    mutable std::once_flag m_keptOnce;
    mutable Text m_kept;  // the whole text once KeptWhole was called
};

}  // namespace orva::automation
