#include "automation/MemberTable.h"

namespace orva::automation::detail {

bool KindAccepted(CallKinds kinds, CallKind kind) {
    return (kinds & (1u << static_cast<unsigned>(kind))) != 0;
}

}  // namespace orva::automation::detail
