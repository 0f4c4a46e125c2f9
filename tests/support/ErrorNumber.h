#pragma once
// The number of the AutomationError an action raises (0 when it raises none), and optionally its
// description.

#include <functional>

#include "automation/AutomationError.h"

namespace orva::testing {

inline int32_t ErrorNumberOf(const std::function<void()>& action, automation::Text* description = nullptr) {
    try {
        action();
    } catch (const automation::AutomationError& error) {
        if (description) *description = error.Description();
        return error.Number();
    }
    return 0;
}

}  // namespace orva::testing
